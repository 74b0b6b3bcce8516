// Tests of Quad: type-4 line text, splitting along the flatter diagonal,
// sides and corners, collapse to a triangle, projection, clipping by a line
// and reordering of the corners.
#include "elements/quad.h"

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
#include "elements/triangle.h"

namespace quillery {
namespace {

// The unit square in the plane y = 0: p1 = (0, 0, 0), p2 = (1, 0, 0),
// p3 = (1, 0, 1), p4 = (0, 0, 1).
constexpr std::string_view kSquare = "4 16 0 0 0 1 0 0 1 0 1 0 0 1";

// A kite that is flat but for p3, lifted to y = 0.3527. Seen from above,
// x to the right and z upwards:
//
//         p4
//       /    \     p1 = (-2, 0, 0)   p2 = (0, 0, -1)
//     p1      p3   p3 = (2, 0.3527, 0)   p4 = (0, 0, 1)
//       \    /
//         p2
//
// The p1-p3 split bends by about 20 degrees, the p2-p4 split by about 10.
constexpr std::string_view kKite = "4 16 -2 0 0 0 0 -1 2 0.3527 0 0 0 1";
// The same kite with its corners turned by one place, so that the flatter
// split runs along p1-p3.
constexpr std::string_view kKiteTurned = "4 16 0 0 -1 2 0.3527 0 0 0 1 -2 0 0";
// A saddle: p1 and p3 raised by 1 over the unit square. Both splits bend by
// exactly the same angle (about 70.5 degrees).
constexpr std::string_view kSaddle = "4 16 0 1 0 1 0 0 1 1 1 0 0 1";

// Damaged fields of every kind are read end to end in
// tests/bad_input_test.cc.
TEST(QuadTest, ReadsWritesAndReordersTypeFourLines) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {" \t4\t16 0 0 0  1 0 0 1 0 1\t0 0 1", kSquare},
      {"4 1 1 2 3 4 5 6 7", "4 1 1 2 3 4 5 6 7 0 0 0 0 0"},
  };
  for (const auto& [line, written] : cases) {
    EXPECT_EQ(Quad(line).toText(), written) << line;
  }
  Quad quad("4 4 1 2 3 4 5 6 7 8 9 10 11 12");
  quad.reverse();
  EXPECT_EQ(quad.toText(), "4 4 7 8 9 4 5 6 1 2 3 10 11 12");
  quad.rotateVertices();
  EXPECT_EQ(quad.toText(), "4 4 4 5 6 1 2 3 10 11 12 7 8 9");
  for (int turn = 1; turn < 4; ++turn) quad.rotateVertices();
  EXPECT_EQ(quad.toText(), "4 4 7 8 9 4 5 6 1 2 3 10 11 12");
}

TEST(QuadTest, SplitsAlongTheFlatterDiagonal) {
  // The two triangles and the diagonal, "" for a DeletedElement.
  // The bends of the p1-p3 and p2-p4 splits in degrees follow each quad.
  const std::tuple<std::string_view, std::string_view, std::string_view,
                   std::string_view>
      cases[] = {
          // A tie goes to p1-p3; a flat quad needs no line along it.
          {kSquare, "3 16 0 0 0 1 0 0 1 0 1", "3 16 1 0 1 0 0 1 0 0 0", ""},
          {kSaddle,  // 70.5288, 70.5288
           "3 16 0 1 0 1 0 0 1 1 1", "3 16 1 1 1 0 0 1 0 1 0",
           "5 24 0 1 0 1 1 1 1 0 0 0 0 1"},
          {kKite,  // 19.9268, 10.0013
           "3 16 0 0 -1 2 0.3527 0 0 0 1", "3 16 0 0 1 -2 0 0 0 0 -1",
           "5 24 0 0 -1 0 0 1 -2 0 0 2 0.3527 0"},
          {kKiteTurned,  // 10.0013, 19.9268
           "3 16 0 0 -1 2 0.3527 0 0 0 1", "3 16 0 0 1 -2 0 0 0 0 -1",
           "5 24 0 0 -1 0 0 1 2 0.3527 0 -2 0 0"},
          // The 0.1-degree limit applies to the split taken, not the other one.
          {"4 7 -2 0 0 0 0 -1 2 0.002 0 0 0 1",  // 0.1146, 0.0573
           "3 7 0 0 -1 2 0.002 0 0 0 1", "3 7 0 0 1 -2 0 0 0 0 -1", ""},
          {"4 7 -2 0 0 0 0 -1 2 0.004 0 0 0 1",  // 0.2292, 0.1146
           "3 7 0 0 -1 2 0.004 0 0 0 1", "3 7 0 0 1 -2 0 0 0 0 -1",
           "5 24 0 0 -1 0 0 1 -2 0 0 2 0.004 0"},
          // Without a usable normal the split falls back to p1-p3.
          {"4 16 1 2 3 1 2 3 1 2 3 1 2 3", "3 16 1 2 3 1 2 3 1 2 3",
           "3 16 1 2 3 1 2 3 1 2 3", ""},
          {"4 16 nan 0 0 1 0 0 1 0 1 0 0 1", "3 16 nan 0 0 1 0 0 1 0 1",
           "3 16 1 0 1 0 0 1 nan 0 0", ""},
      };
  for (const auto& [line, firstText, secondText, diagonalText] : cases) {
    SCOPED_TRACE(std::string(line));
    const Quad quad(line);
    std::unique_ptr<Element> first, second, diagonal;
    quad.splitInTwo(first, second, diagonal);
    ASSERT_TRUE(first && second && diagonal);
    EXPECT_EQ(first->toText(), firstText);
    EXPECT_EQ(second->toText(), secondText);
    EXPECT_EQ(diagonal->toText(), diagonalText);
    EXPECT_EQ(diagonal->typeCode(),
              diagonalText.empty() ? kDeletedType : kCondLineType);
    EXPECT_EQ(quad.toText(), line);
  }
}

TEST(QuadTest, VertexOffEdgeIsNeverTheFourthCorner) {
  const Quad quad(kSquare);
  const Point &p1 = quad.p1, &p2 = quad.p2, &p3 = quad.p3, &p4 = quad.p4;
  struct Case {
    const Point &a, &b;
    const Point* off;
  };
  const Case cases[] = {
      {p1, p2, &p3}, {p2, p3, &p1}, {p3, p4, &p1},
      {p4, p1, &p2}, {p1, p3, &p2}, {p2, p4, &p1},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(quad.vertexOffEdge(EdgeLine(c.a, c.b, 0)), c.off)
        << c.a.toText() << " - " << c.b.toText();
  }
  // The corner before a when a, b follow the winding; "" otherwise.
  const std::pair<std::string_view, std::string_view> opposite[] = {
      {"2 0 0 0 0 1 0 0", "0 0 1"}, {"2 0 1 0 0 1 0 1", "0 0 0"},
      {"2 0 1 0 1 0 0 1", "1 0 0"}, {"2 0 0 0 1 0 0 0", "1 0 1"},
      {"2 0 1 0 0 0 0 0", ""},      {"2 0 0 0 0 1 0 1", ""},
      {"2 0 0 0 0 0 0 1", ""},
  };
  for (const auto& [edge, corner] : opposite) {
    const EdgeLine e(edge);
    const std::optional<Point> found = quad.oppositeVertex(e.p1, e.p2);
    EXPECT_EQ(found ? found->toText() : "", corner) << edge;
  }
}

TEST(QuadTest, AngleAcrossIsSignedByEdgeDirectionAndNeighbourWinding) {
  // The normal comes from p1, p2, p3 alone: (0, -1, 0), although p4 is
  // raised.
  Quad quad("4 16 0 0 0 10 0 0 10 0 10 0 3 10");
  // Shares the side p1-p2; its normal makes 150 degrees with the quad's.
  Triangle tilted(Point(0, 0, 0), Point(10, 0, 0),
                  Point(0, 5, -10 * std::sqrt(0.75)), 16);
  const std::tuple<bool, int, double> cases[] = {
      {false, 0, 30}, {true, 0, -30}, {false, -1, -30},
      {true, -1, 30}, {false, 1, 30},
  };
  for (const auto& [edgeReversed, otherWinding, angle] : cases) {
    SCOPED_TRACE(::testing::Message() << edgeReversed << otherWinding);
    tilted.winding = otherWinding;
    EdgeLine shared(Point(0, 0, 0), Point(10, 0, 0), 0);
    if (edgeReversed) shared.reverse();
    EXPECT_NEAR(quad.angleAcross(tilted, shared), angle, 1e-9);
  }
}

TEST(QuadTest, CollapsesToATriangleAtTheFirstShortSide) {
  // The triangle that replaces the quad; "" when it is not degenerate.
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"4 5 0 0 0 10 0 0 10 0 10 10.002 0 10", ""},
      {"4 5 0 0 0 10 0 0 10 0 10 10.0004 0 10",
       "3 5 0 0 0 10 0 0 10.0004 0 10"},
      {"4 5 0 0 0 0.0004 0 0 10 0 10 0 0 10", "3 5 0.0004 0 0 10 0 10 0 0 10"},
      {"4 5 0 0 0 10 0 0 10 0.0004 0 0 0 10", "3 5 0 0 0 10 0.0004 0 0 0 10"},
      {"4 5 0 0 0 10 0 0 10 0 10 0 0.0004 0", "3 5 0 0 0 10 0 0 10 0 10"},
      {"4 5 0 0 0 0 0 0 0 0 0.0004 0 0 10", "3 5 0 0 0 0 0 0.0004 0 0 10"},
      // Close corners across a diagonal do not make a short side.
      {"4 5 0 0 0 10 0 0 0.0004 0 0 0 0 10", ""},
  };
  for (const auto& [quad, triangle] : cases) {
    std::unique_ptr<Element> replacement = std::make_unique<DeletedElement>();
    EXPECT_EQ(Quad(quad).degenerate(replacement), !triangle.empty()) << quad;
    ASSERT_NE(replacement, nullptr);
    EXPECT_EQ(replacement->toText(), triangle) << quad;
  }
}

TEST(QuadTest, ProjectPointUsesTheFlatterDiagonal) {
  const std::tuple<std::string_view, Point, bool, std::string_view> cases[] = {
      // Over the p2-p4 split the kite's p3 half rises to y = 0.3527 x / 2;
      // over the p1-p3 split the point would land at 0.264525.
      {kKite, {1, -5, 0}, true, "1 0.17635 0"},
      {kKiteTurned, {1, -5, 0}, true, "1 0.17635 0"},
      // Not in the first triangle: projected again onto the second.
      {kKite, {-1, -5, 0}, true, "-1 0 0"},
      {kKite, {10, -5, 0}, false, "10 0 0"},
      // A tie goes to p2-p4 here: over p1-p3 the point would land at 0.8.
      {kSaddle, {0.8, -5, 0.6}, true, "0.8 0.4 0.6"},
      {kSquare, {0.5, 3, 0.5}, true, "0.5 0 0.5"},
      {kSquare, {0.9, 3, 0.05}, true, "0.9 0 0.05"},
  };
  for (const auto& [quad, point, inside, moved] : cases) {
    SCOPED_TRACE(std::string(quad) + " with " + point.toText());
    Point p = point;
    EXPECT_EQ(Quad(quad).projectPoint(p), inside);
    EXPECT_EQ(p.toText(), moved);
  }
}

TEST(QuadTest, ClipKeepsThePartOnThePositiveSide) {
  // Along +x at z = 0: planDistance is positive for z > 0.
  const EdgeLine alongX(Point(-100, 0, 0), Point(100, 0, 0), 0);
  // The two outputs, "" for nothing written.
  const std::tuple<std::string_view, std::string_view, std::string_view>
      cases[] = {
          // One corner kept (no corner near the line).
          {"4 4 -4 0 -4 4 0 -4 4 8 4 -4 0 -12", "3 4 4 8 4 2 6 0 4 4 0", ""},
          // One corner cut off: a triangle and a quad.
          {"4 4 -4 0 -2 4 0 2 4 0 6 -4 0 6", "3 4 -4 0 0 0 0 0 -4 0 6",
           "4 4 0 0 0 4 0 2 4 0 6 -4 0 6"},
          {"4 4 -4 0 -2 4 0 6 4 0 8 -4 0 2", "3 4 -4 0 0 -2 0 0 4 0 6",
           "4 4 -4 0 0 4 0 6 4 0 8 -4 0 2"},
          // Two corners on each side.
          {"4 4 -4 2 -4 4 0 -4 4 8 4 -4 6 4", "4 4 4 8 4 -4 6 4 -4 4 0 4 4 0",
           ""},
          {"4 4 4 0 4 -4 0 4 -4 0 -4 4 0 -4", "4 4 4 0 0 4 0 4 -4 0 4 -4 0 0",
           ""},
          // One corner near the line.
          {"4 4 -4 0 0 0 0 4 4 0 2 4 0 -6", "4 4 -4 0 0 0 0 4 4 0 2 4 0 0", ""},
          {"4 4 -4 0 0 0 0 -4 4 0 -2 4 0 6", "3 4 -4 0 0 4 0 0 4 0 6", ""},
          {"4 4 -4 0 0 0 0 4 4 0 -4 0 0 -6", "3 4 -4 0 0 0 0 4 2 0 0", ""},
          {"4 4 -4 0 0 0 0 -4 4 0 4 0 0 6", "4 4 -4 0 0 2 0 0 4 0 4 0 0 6", ""},
          {"4 4 -4 0 0.0005 0 0 4 4 0 -4 0 0 -6", "3 4 -4 0 0.0005 0 0 4 2 0 0",
           ""},
          // Two corners near the line.
          {"4 4 -4 0 0 0 0 4 4 0 0 0 0 -4", "3 4 -4 0 0 0 0 4 4 0 0", ""},
          {"4 4 -4 0 0 0 0 -4 4 0 0 0 0 4", "3 4 -4 0 0 4 0 0 0 0 4", ""},
          // Nothing beyond the line but near corners: a whole copy.
          {"4 4 -4 0 1 4 0 1 4 0 5 -4 0 5", "4 4 -4 0 1 4 0 1 4 0 5 -4 0 5",
           ""},
          {"4 4 -4 0 0 4 0 0.0009 4 0 5 -4 0 5",
           "4 4 -4 0 0 4 0 0.0009 4 0 5 -4 0 5", ""},
          // Nothing kept.
          {"4 4 -4 0 -1 4 0 0 4 0 -5 -4 0 -5", "", ""},
      };
  for (const auto& [line, pieceText, otherText] : cases) {
    SCOPED_TRACE(std::string(line));
    // Placeholders in both outputs tell "nothing written" apart.
    std::unique_ptr<Element> piece = std::make_unique<DeletedElement>();
    std::unique_ptr<Element> other = std::make_unique<DeletedElement>();
    Quad(line).clipByLine(alongX, piece, other);
    ASSERT_TRUE(piece && other);
    EXPECT_EQ(piece->toText(), pieceText);
    EXPECT_EQ(other->toText(), otherText);
  }
}

}  // namespace
}  // namespace quillery
