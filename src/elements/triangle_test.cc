// Tests of Triangle: type-3 line text, edges and vertices, fold angles,
// projection along y, clipping by a line and reordering of the vertices.
#include "elements/triangle.h"

#include <gtest/gtest.h>

#include <cmath>
#include <memory>
#include <optional>
#include <string>
#include <string_view>

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

TEST(TriangleTest, ReadsAndWritesTypeThreeLines) {
  struct Case {
    std::string_view line;
    std::string_view written;
  };
  const Case cases[] = {
      {kFloor, kFloor},
      {"\t 3 16\t0 0 0  10 0 0 0 0 10", kFloor},
      {"3 0x2FF 0 0 0 10 0 0 0 0 10", "3 0 0 0 0 10 0 0 0 0 10"},
      {"3", "3 0 0 0 0 0 0 0 0 0 0"},
      {"3 1 1 2 3 4 5", "3 1 1 2 3 4 5 0 0 0 0"},
      // A token that is not a number stops the reading.
      {"3 1 1 2 3 4 x 6 7 8 9", "3 1 1 2 3 4 0 0 0 0 0"},
      {"3 1 1 2 3 4 5 6 7 8 9.5abc", "3 1 1 2 3 4 5 6 7 8 9.5"},
      {"3 1 nan 0 0 1e400 0 0 0 0 1", "3 1 nan 0 0 inf 0 0 0 0 1"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.line));
    EXPECT_EQ(Triangle(c.line).toText(), c.written);
  }
}

TEST(TriangleTest, HasEdgeWhenTwoVerticesAreItsEnds) {
  struct Case {
    Point a;
    Point b;
    bool hasEdge;
  };
  const Case cases[] = {
      {{0, 0, 10}, {0, 0, 0}, true},
      {{0, 0, 0}, {0, 0, 10}, true},
      {{0, 0, 0}, {10, 0, 0}, true},
      {{0, 0, 10}, {10, 0, 0}, true},
      {{0.001, 0, 10}, {0, 0.001, 0}, true},
      {{0, 0, 0}, {5, 0, 5}, false},
      {{0, 0, 10}, {0, 0, 5}, false},
      {{5, 0, 5}, {6, 0, 6}, false},
      // Both ends on one vertex.
      {{10, 0, 0}, {10, 0, 0.0009}, false},
  };
  Triangle triangle(kFloor);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.a.toText() + " - " + c.b.toText());
    EXPECT_EQ(triangle.hasEdge(EdgeLine(c.a, c.b, 0)), c.hasEdge);
  }
}

TEST(TriangleTest, VertexOffEdgePointsIntoTheTriangle) {
  Triangle triangle(kFloor);
  const Point& p1 = triangle.p1;
  const Point& p2 = triangle.p2;
  const Point& p3 = triangle.p3;
  struct Case {
    const Point& a;
    const Point& b;
    const Point* off;
  };
  const Case cases[] = {
      {p2, p3, &p1}, {p1, p2, &p3}, {p1, p3, &p2}, {p3, p1, &p2}, {p3, p2, &p1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.a.toText() + " - " + c.b.toText());
    EXPECT_EQ(triangle.vertexOffEdge(EdgeLine(c.a, c.b, 0)), c.off);
  }
}

TEST(TriangleTest, OppositeVertexOnlyAlongTheWinding) {
  struct Case {
    Point a;
    Point b;
    std::optional<std::string> opposite;
  };
  const Case cases[] = {
      {{0, 0, 0}, {10, 0, 0}, "0 0 10"},
      {{10, 0, 0}, {0, 0, 10}, "0 0 0"},
      {{0, 0, 10}, {0, 0, 0}, "10 0 0"},
      {{10.001, 0, 0}, {0, 0, 9.999}, "0 0 0"},
      {{0, 0, 10}, {10, 0, 0}, std::nullopt},
      {{10, 0, 0}, {0, 0, 0}, std::nullopt},
      {{0, 0, 0}, {0, 0, 10}, std::nullopt},
      {{0, 0, 0}, {5, 0, 0}, std::nullopt},
  };
  Triangle triangle(kFloor);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.a.toText() + " - " + c.b.toText());
    std::optional<Point> opposite = triangle.oppositeVertex(c.a, c.b);
    ASSERT_EQ(opposite.has_value(), c.opposite.has_value());
    if (opposite) {
      EXPECT_EQ(opposite->toText(), *c.opposite);
    }
  }
}

TEST(TriangleTest, BendAngleIsTheAngleBetweenThePlanes) {
  Triangle floor(kFloor);
  Triangle sameFloor("3 16 10 0 0 10 0 10 0 0 10");
  Triangle sameFloorReversed("3 16 0 0 10 10 0 10 10 0 0");
  Triangle wall("3 16 0 0 0 10 0 0 0 10 0");
  EXPECT_EQ(bendAngle(floor, sameFloor), 0);
  EXPECT_EQ(bendAngle(floor, sameFloorReversed), 0);
  EXPECT_EQ(bendAngle(sameFloorReversed, floor), 0);
  EXPECT_NEAR(bendAngle(floor, wall), 90, 1e-9);
  EXPECT_NEAR(bendAngle(floor, tiltedFromFloor(60)), 60, 1e-9);
  // Normals at 150 degrees are planes at 30 degrees.
  EXPECT_NEAR(bendAngle(floor, tiltedFromFloor(150)), 30, 1e-9);
  EXPECT_NEAR(bendAngle(tiltedFromFloor(150), floor), 30, 1e-9);
}

TEST(TriangleTest, AngleAcrossIsSignedByEdgeDirectionAndNeighbourWinding) {
  struct Case {
    bool edgeReversed;
    int ownWinding;
    int otherWinding;
    double angle;
  };
  const Case cases[] = {
      {false, 0, 0, 30},  {true, 0, 0, -30}, {false, 0, -1, -30},
      {true, 0, -1, 30},  {false, 0, 1, 30}, {false, -1, 0, 30},
      {true, -1, 1, -30},
  };
  Triangle floor(kFloor);
  Triangle tilted = tiltedFromFloor(150);
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message()
                 << "reversed " << c.edgeReversed << ", windings "
                 << c.ownWinding << " " << c.otherWinding);
    floor.winding = c.ownWinding;
    tilted.winding = c.otherWinding;
    EdgeLine shared(Point(0, 0, 0), Point(10, 0, 0), 0);
    if (c.edgeReversed) shared.reverse();
    double angle = floor.angleAcross(tilted, shared);
    EXPECT_NEAR(angle, c.angle, 1e-9);
    EXPECT_NEAR(std::fabs(angle), bendAngle(floor, tilted), 1e-12);
  }
}

TEST(TriangleTest, DegenerateWhenAnyTwoVerticesMeet) {
  struct Case {
    std::string_view line;
    bool degenerate;
  };
  const Case cases[] = {
      {"3 4 0 0 0 0.0004 0.0004 0.0001 50 50 50", true},
      {"3 4 50 50 50 0 0 0 0.0004 0.0004 0.0001", true},
      {"3 4 0 0 0 50 50 50 0.0004 0.0004 0.0001", true},
      {"3 4 0 0 0 0.0005 0.0005 0 50 50 50", false},
      // Only the distances count: a flat sliver is not degenerate.
      {"3 4 0 0 0 1 0 0 2 0 0", false},
      {kFloor, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.line));
    std::unique_ptr<Element> replacement = std::make_unique<DeletedElement>();
    const Element* kept = replacement.get();
    EXPECT_EQ(Triangle(c.line).degenerate(replacement), c.degenerate);
    if (c.degenerate) {
      ASSERT_NE(replacement, nullptr);
      EXPECT_NE(replacement.get(), kept);
      EXPECT_EQ(replacement->typeCode(), kDeletedType);
    } else {
      EXPECT_EQ(replacement.get(), kept);
    }
  }
}

TEST(TriangleTest, ProjectPointMovesAlongYOntoThePlane) {
  struct Case {
    std::string_view triangle;
    Point p;
    bool inside;
    std::string_view moved;
  };
  const Case cases[] = {
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
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.triangle) + " with " + c.p.toText());
    Point p = c.p;
    EXPECT_EQ(Triangle(c.triangle).projectPoint(p), c.inside);
    EXPECT_EQ(p.toText(), c.moved);
  }
}

TEST(TriangleTest, ClipKeepsThePartOnThePositiveSide) {
  // Along +x at z = 0: planDistance is positive for z > 0.
  const EdgeLine alongX(Point(-100, 0, 0), Point(100, 0, 0), 0);
  // The same line, but a segment that ends before reaching the triangles.
  const EdgeLine shortOfIt(Point(-100, 0, 0), Point(-50, 0, 0), 0);
  struct Case {
    const EdgeLine* line;
    std::string_view triangle;
    std::string_view piece;  // "" for nothing written
  };
  const Case cases[] = {
      // Two vertices kept: a quad whose first and last corners are on the
      // line, whichever vertex is the far one.
      {&alongX, "3 4 0 2 -4 4 6 4 -4 10 4", "4 4 2 4 0 4 6 4 -4 10 4 -2 6 0"},
      {&alongX, "3 4 4 6 4 -4 10 4 0 2 -4", "4 4 2 4 0 4 6 4 -4 10 4 -2 6 0"},
      // One vertex kept: the corner beyond the line.
      {&alongX, "3 4 0 2 4 -4 0 -4 4 0 -4", "3 4 0 2 4 -2 1 0 2 1 0"},
      {&alongX, "3 4 -4 0 -4 4 0 -4 0 2 4", "3 4 0 2 4 -2 1 0 2 1 0"},
      // One near, one far, one kept vertex: cut from the near vertex.
      {&alongX, "3 4 -4 0 0.0004 4 0 -4 4 8 4", "3 4 -4 0 0.0004 4 4 0 4 8 4"},
      {&alongX, "3 4 4 0 -4 4 8 4 -4 0 0.0004", "3 4 -4 0 0.0004 4 4 0 4 8 4"},
      {&alongX, "3 4 -4 0 0.0004 4 8 4 4 0 -4", "3 4 -4 0 0.0004 4 8 4 4 4 0"},
      // Nothing beyond the line but near vertices: a whole copy.
      {&alongX, "3 4 -5 0 1 5 0 1 0 0 6", "3 4 -5 0 1 5 0 1 0 0 6"},
      {&alongX, "3 4 -4 0 0 4 0 0.0009 0 0 5", "3 4 -4 0 0 4 0 0.0009 0 0 5"},
      {&shortOfIt, "3 4 0 2 -4 4 6 4 -4 10 4", "3 4 0 2 -4 4 6 4 -4 10 4"},
      // Nothing kept.
      {&alongX, "3 4 -5 0 -1 0 0 -6 5 0 -1", ""},
      {&alongX, "3 4 -4 0 0 4 0 0 0 0 -5", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.triangle));
    Triangle triangle(c.triangle);
    // Placeholders in both outputs tell "nothing written" apart.
    std::unique_ptr<Element> piece = std::make_unique<DeletedElement>();
    std::unique_ptr<Element> other = std::make_unique<DeletedElement>();
    const Element* keptPiece = piece.get();
    const Element* keptOther = other.get();
    triangle.clipByLine(*c.line, piece, other);
    if (c.piece.empty()) {
      EXPECT_EQ(piece.get(), keptPiece);
    } else {
      ASSERT_NE(piece, nullptr);
      EXPECT_EQ(piece->toText(), c.piece);
    }
    EXPECT_EQ(other.get(), keptOther);
  }
}

TEST(TriangleTest, ReverseAndRotateReorderTheVertices) {
  constexpr std::string_view kLine = "3 4 1 2 3 4 5 6 7 8 9";
  Triangle reversed(kLine);
  reversed.reverse();
  EXPECT_EQ(reversed.toText(), "3 4 7 8 9 4 5 6 1 2 3");
  reversed.reverse();
  EXPECT_EQ(reversed.toText(), kLine);

  Triangle rotated(kLine);
  rotated.rotateVertices();
  EXPECT_EQ(rotated.toText(), "3 4 4 5 6 7 8 9 1 2 3");
  rotated.rotateVertices();
  rotated.rotateVertices();
  EXPECT_EQ(rotated.toText(), kLine);
}

TEST(TriangleTest, TranslateAndTransformMoveEveryVertex) {
  Triangle moved("3 4 1 2 3 4 5 6 7 8 9");
  moved.translate(Vector(1, 2, 3));
  EXPECT_EQ(moved.toText(), "3 4 2 4 6 5 7 9 8 10 12");

  // A quarter turn about y: (x, y, z) becomes (z, y, -x).
  Triangle turned("3 4 1 2 3 4 5 6 7 8 9");
  turned.transform(Matrix(0, 0, 1, 0, 1, 0, -1, 0, 0));
  EXPECT_EQ(turned.toText(), "3 4 3 2 -1 6 5 -4 9 8 -7");
}

}  // namespace
}  // namespace quillery
