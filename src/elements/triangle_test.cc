// Tests of Triangle: type-3 line text, edges and vertices, fold angles,
// projection along y, clipping by a line and reordering of the vertices.
#include "elements/triangle.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>

#include "elements/deleted_element.h"
#include "elements/edge_line.h"

namespace quillery {
namespace {

// Horizontal, wound so that its plan area is positive: p1 = (0, 0, 0),
// p2 = (10, 0, 0), p3 = (0, 0, 10).
constexpr std::string_view kFloor = "3 16 0 0 0 10 0 0 0 0 10";

// The triangle (0, 0, 0), (10, 0, 0) and the point 10 away from the origin
// in the y-z plane whose normal makes `degrees` with that of kFloor.
Triangle tiltedFromFloor(double degrees) {
  double radians = degrees * std::acos(-1.0) / 180;
  return Triangle(Point(0, 0, 0), Point(10, 0, 0),
                  Point(0, 10 * std::sin(radians), 10 * std::cos(radians)), 16);
}

// Damaged fields of every kind are read end to end in
// tests/bad_input_test.cc.
TEST(TriangleTest, ReadsWritesAndReordersTypeThreeLines) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"\t 3 16\t0 0 0  10 0 0 0 0 10", kFloor},
      {"3 1 1 2 3 4 5", "3 1 1 2 3 4 5 0 0 0 0"},
  };
  for (const auto& [line, written] : cases) {
    EXPECT_EQ(Triangle(line).toText(), written) << line;
  }
  Triangle triangle("3 4 1 2 3 4 5 6 7 8 9");
  triangle.reverse();
  EXPECT_EQ(triangle.toText(), "3 4 7 8 9 4 5 6 1 2 3");
  triangle.rotateVertices();
  EXPECT_EQ(triangle.toText(), "3 4 4 5 6 1 2 3 7 8 9");
  triangle.rotateVertices();
  triangle.rotateVertices();
  EXPECT_EQ(triangle.toText(), "3 4 7 8 9 4 5 6 1 2 3");
}

TEST(TriangleTest, BendAngleIsTheAngleBetweenThePlanes) {
  const Triangle floor(kFloor);
  const Triangle sameFloorReversed("3 16 0 0 10 10 0 10 10 0 0");
  EXPECT_EQ(bendAngle(floor, Triangle("3 16 10 0 0 10 0 10 0 0 10")), 0);
  EXPECT_EQ(bendAngle(floor, sameFloorReversed), 0);
  EXPECT_EQ(bendAngle(sameFloorReversed, floor), 0);
  EXPECT_NEAR(bendAngle(floor, Triangle("3 16 0 0 0 10 0 0 0 10 0")), 90, 1e-9);
  EXPECT_NEAR(bendAngle(floor, tiltedFromFloor(60)), 60, 1e-9);
  // Normals at 150 degrees are planes at 30 degrees.
  EXPECT_NEAR(bendAngle(floor, tiltedFromFloor(150)), 30, 1e-9);
  EXPECT_NEAR(bendAngle(tiltedFromFloor(150), floor), 30, 1e-9);
}

TEST(TriangleTest, AngleAcrossIsSignedByEdgeDirectionAndNeighbourWinding) {
  const std::tuple<bool, int, int, double> cases[] = {
      {false, 0, 0, 30},  {true, 0, 0, -30}, {false, 0, -1, -30},
      {true, 0, -1, 30},  {false, 0, 1, 30}, {false, -1, 0, 30},
      {true, -1, 1, -30},
  };
  Triangle floor(kFloor);
  Triangle tilted = tiltedFromFloor(150);
  for (const auto& [edgeReversed, ownWinding, otherWinding, angle] : cases) {
    SCOPED_TRACE(::testing::Message()
                 << edgeReversed << ownWinding << otherWinding);
    floor.winding = ownWinding;
    tilted.winding = otherWinding;
    EdgeLine shared(Point(0, 0, 0), Point(10, 0, 0), 0);
    if (edgeReversed) shared.reverse();
    EXPECT_NEAR(floor.angleAcross(tilted, shared), angle, 1e-9);
  }
}

TEST(TriangleTest, DegenerateWhenAnyTwoVerticesMeet) {
  const std::pair<std::string_view, bool> cases[] = {
      {"3 4 0 0 0 0.0004 0.0004 0.0001 50 50 50", true},
      {"3 4 50 50 50 0 0 0 0.0004 0.0004 0.0001", true},
      {"3 4 0 0 0 50 50 50 0.0004 0.0004 0.0001", true},
      {"3 4 0 0 0 0.0005 0.0005 0 50 50 50", false},
      // Only the distances count: a flat sliver is not degenerate.
      {"3 4 0 0 0 1 0 0 2 0 0", false},
  };
  for (const auto& [line, degenerate] : cases) {
    std::unique_ptr<Element> replacement = std::make_unique<DeletedElement>();
    const Element* kept = replacement.get();
    EXPECT_EQ(Triangle(line).degenerate(replacement), degenerate) << line;
    ASSERT_NE(replacement, nullptr);
    EXPECT_EQ(replacement.get() != kept, degenerate) << line;
    EXPECT_EQ(replacement->typeCode(), kDeletedType);
  }
}

TEST(TriangleTest, ProjectPointMovesAlongYOntoThePlane) {
  const std::tuple<std::string_view, Point, bool, std::string_view> cases[] = {
      {kFloor, {2, -5, 2}, true, "2 0 2"},
      {kFloor, {20, -5, 20}, false, "20 0 20"},
      // The weights may stray by 0.001 beyond the edges.
      {kFloor, {-0.005, 3, 5}, true, "-0.005 0 5"},
      {kFloor, {-0.02, 3, 5}, false, "-0.02 0 5"},
      {kFloor, {10.005, 1, -0.005}, true, "10.005 0 -0.005"},
      {kFloor, {5.0004, 1, 5.0004}, true, "5.0004 0 5.0004"},
      {kFloor, {5.006, 1, 5.006}, false, "5.006 0 5.006"},
      // On the plane y = x.
      {"3 0 0 0 0 10 10 0 0 0 10", {4, -3, 1}, true, "4 4 1"},
      // A plane that holds the y direction, and a triangle without a plane,
      // leave the point where it was.
      {"3 0 0 0 0 10 0 0 0 10 0", {2, -5, 0}, false, "2 -5 0"},
      {"3 0 0 0 0 5 0 0 10 0 0", {2, -5, 0}, false, "2 -5 0"},
  };
  for (const auto& [triangle, point, inside, moved] : cases) {
    SCOPED_TRACE(std::string(triangle) + " with " + point.toText());
    Point p = point;
    EXPECT_EQ(Triangle(triangle).projectPoint(p), inside);
    EXPECT_EQ(p.toText(), moved);
  }
}

TEST(TriangleTest, ClipKeepsThePartOnThePositiveSide) {
  // Along +x at z = 0: planDistance is positive for z > 0.
  const EdgeLine alongX(Point(-100, 0, 0), Point(100, 0, 0), 0);
  // The same line, but a segment that ends before reaching the triangles.
  const EdgeLine shortOfIt(Point(-100, 0, 0), Point(-50, 0, 0), 0);
  // Segments that end exactly on the line through a side still miss.
  const EdgeLine toTheSide(Point(-2, 0, 0), Point(-100, 0, 0), 0);
  const EdgeLine fromTheSide(Point(-100, 0, 0), Point(-2, 0, 0), 0);
  // Too short for the crossing test: the crossing is interpolated from the
  // distances to the line.
  const EdgeLine tiny(Point(0, 0, 0), Point(0.00006103515625, 0, 0), 0);
  // The line, the triangle, and the piece written ("" for nothing).
  const std::tuple<const EdgeLine*, std::string_view, std::string_view>
      cases[] = {
          // Two vertices kept: a quad whose first and last corners are on the
          // line, whichever vertex is the far one.
          {&alongX, "3 4 0 2 -4 4 6 4 -4 10 4",
           "4 4 2 4 0 4 6 4 -4 10 4 -2 6 0"},
          {&alongX, "3 4 4 6 4 -4 10 4 0 2 -4",
           "4 4 2 4 0 4 6 4 -4 10 4 -2 6 0"},
          // One vertex kept: the corner beyond the line.
          {&alongX, "3 4 0 2 4 -4 0 -4 4 0 -4", "3 4 0 2 4 -2 1 0 2 1 0"},
          {&alongX, "3 4 -4 0 -4 4 0 -4 0 2 4", "3 4 0 2 4 -2 1 0 2 1 0"},
          {&tiny, "3 4 -4 0 -4 4 0 -4 0 2 4", "3 4 0 2 4 -2 1 0 2 1 0"},
          // One near, one far, one kept vertex: cut from the near vertex.
          {&alongX, "3 4 -4 0 0.0004 4 0 -4 4 8 4",
           "3 4 -4 0 0.0004 4 4 0 4 8 4"},
          {&alongX, "3 4 4 0 -4 4 8 4 -4 0 0.0004",
           "3 4 -4 0 0.0004 4 4 0 4 8 4"},
          {&alongX, "3 4 -4 0 0.0004 4 8 4 4 0 -4",
           "3 4 -4 0 0.0004 4 8 4 4 4 0"},
          // Nothing beyond the line but near vertices: a whole copy.
          {&alongX, "3 4 -5 0 1 5 0 1 0 0 6", "3 4 -5 0 1 5 0 1 0 0 6"},
          {&alongX, "3 4 -4 0 0 4 0 0.0009 0 0 5",
           "3 4 -4 0 0 4 0 0.0009 0 0 5"},
          {&shortOfIt, "3 4 0 2 -4 4 6 4 -4 10 4", "3 4 0 2 -4 4 6 4 -4 10 4"},
          {&toTheSide, "3 4 0 2 -4 4 6 4 -4 10 4", "3 4 0 2 -4 4 6 4 -4 10 4"},
          {&fromTheSide, "3 4 0 2 -4 4 6 4 -4 10 4",
           "3 4 0 2 -4 4 6 4 -4 10 4"},
          // Nothing kept.
          {&alongX, "3 4 -5 0 -1 0 0 -6 5 0 -1", ""},
          {&alongX, "3 4 -4 0 0 4 0 0 0 0 -5", ""},
      };
  for (const auto& [line, triangle, expected] : cases) {
    SCOPED_TRACE(std::string(triangle));
    // Placeholders in both outputs tell "nothing written" apart.
    std::unique_ptr<Element> piece = std::make_unique<DeletedElement>();
    std::unique_ptr<Element> other = std::make_unique<DeletedElement>();
    const Element* keptOther = other.get();
    Triangle(triangle).clipByLine(*line, piece, other);
    ASSERT_NE(piece, nullptr);
    EXPECT_EQ(piece->toText(), expected);
    EXPECT_EQ(other.get(), keptOther);
  }
}

}  // namespace
}  // namespace quillery
