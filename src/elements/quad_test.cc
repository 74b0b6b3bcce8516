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

TEST(QuadTest, ReadsAndWritesTypeFourLines) {
  struct Case {
    std::string_view line;
    std::string_view written;
  };
  const Case cases[] = {
      {kSquare, kSquare},
      {"4 16 1.23456789 0 0 1 0 0 1 0 1 0 0 1",
       "4 16 1.234568 0 0 1 0 0 1 0 1 0 0 1"},
      {" \t4\t16 0 0 0  1 0 0 1 0 1\t0 0 1", kSquare},
      {"4 0x2FF 0 0 0 1 0 0 1 0 1 0 0 1", "4 0 0 0 0 1 0 0 1 0 1 0 0 1"},
      {"4", "4 0 0 0 0 0 0 0 0 0 0 0 0 0"},
      {"4 1 1 2 3 4 5 6 7", "4 1 1 2 3 4 5 6 7 0 0 0 0 0"},
      // A token that is not a number stops the reading.
      {"4 1 1 2 3 4 5 6 x 8 9 10 11 12", "4 1 1 2 3 4 5 6 0 0 0 0 0 0"},
      {"4 1 5.5abc 2 3 4 5 6 7 8 9 1e400 nan 12",
       "4 1 5.5 2 3 4 5 6 7 8 9 inf nan 12"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.line));
    EXPECT_EQ(Quad(c.line).toText(), c.written);
  }
}

TEST(QuadTest, SplitsAlongTheFlatterDiagonal) {
  const double nan = std::nan("");
  struct Case {
    std::string_view quad;
    double angleA;  // bend of the p1-p3 split
    double angleB;  // bend of the p2-p4 split
    std::string_view first;
    std::string_view second;
    std::string_view diagonal;  // "" for a DeletedElement
  };
  const Case cases[] = {
      // A tie goes to p1-p3; a flat quad needs no line along it.
      {kSquare, 0, 0, "3 16 0 0 0 1 0 0 1 0 1", "3 16 1 0 1 0 0 1 0 0 0", ""},
      {kSaddle, 70.5288, 70.5288, "3 16 0 1 0 1 0 0 1 1 1",
       "3 16 1 1 1 0 0 1 0 1 0", "5 24 0 1 0 1 1 1 1 0 0 0 0 1"},
      {kKite, 19.9268, 10.0013, "3 16 0 0 -1 2 0.3527 0 0 0 1",
       "3 16 0 0 1 -2 0 0 0 0 -1", "5 24 0 0 -1 0 0 1 -2 0 0 2 0.3527 0"},
      {kKiteTurned, 10.0013, 19.9268, "3 16 0 0 -1 2 0.3527 0 0 0 1",
       "3 16 0 0 1 -2 0 0 0 0 -1", "5 24 0 0 -1 0 0 1 2 0.3527 0 -2 0 0"},
      // The 0.1-degree limit applies to the split taken, not the other one.
      {"4 7 -2 0 0 0 0 -1 2 0.002 0 0 0 1", 0.1146, 0.0573,
       "3 7 0 0 -1 2 0.002 0 0 0 1", "3 7 0 0 1 -2 0 0 0 0 -1", ""},
      {"4 7 -2 0 0 0 0 -1 2 0.004 0 0 0 1", 0.2292, 0.1146,
       "3 7 0 0 -1 2 0.004 0 0 0 1", "3 7 0 0 1 -2 0 0 0 0 -1",
       "5 24 0 0 -1 0 0 1 -2 0 0 2 0.004 0"},
      // Without a usable normal the split falls back to p1-p3.
      {"4 16 1 2 3 1 2 3 1 2 3 1 2 3", 0, 0, "3 16 1 2 3 1 2 3 1 2 3",
       "3 16 1 2 3 1 2 3 1 2 3", ""},
      {"4 16 nan 0 0 1 0 0 1 0 1 0 0 1", nan, nan, "3 16 nan 0 0 1 0 0 1 0 1",
       "3 16 1 0 1 0 0 1 nan 0 0", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.quad));
    Quad quad(c.quad);
    const Point& p1 = quad.p1;
    const Point& p2 = quad.p2;
    const Point& p3 = quad.p3;
    const Point& p4 = quad.p4;
    // The corners bend as the case says.
    double angleA = bendAngle(Triangle(p1, p2, p3, 0), Triangle(p3, p4, p1, 0));
    double angleB = bendAngle(Triangle(p2, p3, p4, 0), Triangle(p4, p1, p2, 0));
    if (std::isnan(c.angleA)) {
      EXPECT_TRUE(std::isnan(angleA));
      EXPECT_TRUE(std::isnan(angleB));
    } else {
      EXPECT_NEAR(angleA, c.angleA, 1e-4);
      EXPECT_NEAR(angleB, c.angleB, 1e-4);
    }

    std::unique_ptr<Element> first;
    std::unique_ptr<Element> second;
    std::unique_ptr<Element> diagonal;
    quad.splitInTwo(first, second, diagonal);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    ASSERT_NE(diagonal, nullptr);
    EXPECT_EQ(first->toText(), c.first);
    EXPECT_EQ(second->toText(), c.second);
    EXPECT_EQ(diagonal->toText(), c.diagonal);
    EXPECT_EQ(diagonal->typeCode(),
              c.diagonal.empty() ? kDeletedType : kCondLineType);
    EXPECT_EQ(quad.toText(), c.quad);
  }
}

TEST(QuadTest, HasEdgeForSidesButNotDiagonals) {
  struct Case {
    Point a;
    Point b;
    bool hasEdge;
  };
  const Case cases[] = {
      {{1, 0, 0}, {0, 0, 0}, true},    {{0, 0, 0}, {1, 0, 0}, true},
      {{1, 0, 0}, {1, 0, 1}, true},    {{0, 0, 1}, {1, 0, 1}, true},
      {{0, 0, 0}, {0, 0, 1}, true},    {{0.001, 0, 1}, {0, 0, 0}, true},
      {{0, 0, 0}, {1, 0, 1}, false},   {{1, 0, 1}, {0, 0, 0}, false},
      {{1, 0, 0}, {0, 0, 1}, false},   {{0, 0, 1}, {1, 0, 0}, false},
      {{0, 0, 0}, {0.5, 0, 0}, false}, {{0.0011, 0, 1}, {0, 0, 0}, false},
  };
  Quad quad(kSquare);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.a.toText() + " - " + c.b.toText());
    EXPECT_EQ(quad.hasEdge(EdgeLine(c.a, c.b, 0)), c.hasEdge);
  }
}

TEST(QuadTest, VertexOffEdgeIsNeverTheFourthCorner) {
  Quad quad(kSquare);
  const Point& p1 = quad.p1;
  const Point& p2 = quad.p2;
  const Point& p3 = quad.p3;
  const Point& p4 = quad.p4;
  struct Case {
    const Point& a;
    const Point& b;
    const Point* off;
  };
  const Case cases[] = {
      {p1, p2, &p3}, {p2, p3, &p1}, {p3, p4, &p1},
      {p4, p1, &p2}, {p1, p3, &p2}, {p2, p4, &p1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.a.toText() + " - " + c.b.toText());
    EXPECT_EQ(quad.vertexOffEdge(EdgeLine(c.a, c.b, 0)), c.off);
  }
}

TEST(QuadTest, OppositeVertexPrecedesTheDirectedSide) {
  struct Case {
    Point a;
    Point b;
    std::optional<std::string> opposite;
  };
  const Case cases[] = {
      {{0, 0, 0}, {1, 0, 0}, "0 0 1"},
      {{1, 0, 0}, {1, 0, 1}, "0 0 0"},
      {{1, 0, 1}, {0, 0, 1}, "1 0 0"},
      {{0, 0, 1}, {0, 0, 0}, "1 0 1"},
      {{1, 0, 0}, {0, 0, 0}, std::nullopt},
      {{0, 0, 0}, {1, 0, 1}, std::nullopt},
      {{0, 0, 0}, {0, 0, 1}, std::nullopt},
  };
  Quad quad(kSquare);
  for (const Case& c : cases) {
    SCOPED_TRACE(c.a.toText() + " - " + c.b.toText());
    std::optional<Point> opposite = quad.oppositeVertex(c.a, c.b);
    ASSERT_EQ(opposite.has_value(), c.opposite.has_value());
    if (opposite) {
      EXPECT_EQ(opposite->toText(), *c.opposite);
    }
  }
}

TEST(QuadTest, AngleAcrossIsSignedByEdgeDirectionAndNeighbourWinding) {
  // The normal comes from p1, p2, p3 alone: (0, -1, 0), although p4 is
  // raised.
  Quad quad("4 16 0 0 0 10 0 0 10 0 10 0 3 10");
  // Shares the side p1-p2; its normal makes 150 degrees with the quad's.
  Triangle tilted(Point(0, 0, 0), Point(10, 0, 0),
                  Point(0, 5, -10 * std::sqrt(0.75)), 16);
  struct Case {
    bool edgeReversed;
    int otherWinding;
    double angle;
  };
  const Case cases[] = {
      {false, 0, 30}, {true, 0, -30}, {false, -1, -30},
      {true, -1, 30}, {false, 1, 30},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(::testing::Message() << "reversed " << c.edgeReversed
                                      << ", winding " << c.otherWinding);
    tilted.winding = c.otherWinding;
    EdgeLine shared(Point(0, 0, 0), Point(10, 0, 0), 0);
    if (c.edgeReversed) shared.reverse();
    double angle = quad.angleAcross(tilted, shared);
    EXPECT_NEAR(angle, c.angle, 1e-9);
    EXPECT_NEAR(std::fabs(angle), bendAngle(quad, tilted), 1e-12);
  }
}

TEST(QuadTest, CollapsesToATriangleAtTheFirstShortSide) {
  struct Case {
    std::string_view quad;
    std::string_view replacement;  // "" when not degenerate
  };
  const Case cases[] = {
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
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.quad));
    std::unique_ptr<Element> replacement = std::make_unique<DeletedElement>();
    const Element* kept = replacement.get();
    EXPECT_EQ(Quad(c.quad).degenerate(replacement), !c.replacement.empty());
    if (c.replacement.empty()) {
      EXPECT_EQ(replacement.get(), kept);
    } else {
      ASSERT_NE(replacement, nullptr);
      EXPECT_EQ(replacement->toText(), c.replacement);
    }
  }
}

TEST(QuadTest, ProjectPointUsesTheFlatterDiagonal) {
  struct Case {
    std::string_view quad;
    Point p;
    bool inside;
    std::string_view moved;
  };
  const Case cases[] = {
      // Over the p2-p4 split the kite's p3 half rises to y = 0.3527 x / 2;
      // over the p1-p3 split the point would land at 0.264525.
      {kKite, {1, -5, 0}, true, "1 0.17635 0"},
      {kKiteTurned, {1, -5, 0}, true, "1 0.17635 0"},
      // Not in the first triangle: projected again onto the second.
      {kKite, {-1, -5, 0}, true, "-1 0 0"},
      {kKiteTurned, {-1, -5, 0}, true, "-1 0 0"},
      {kKite, {10, -5, 0}, false, "10 0 0"},
      // A tie goes to p2-p4 here: over p1-p3 the point would land at 0.8.
      {kSaddle, {0.8, -5, 0.6}, true, "0.8 0.4 0.6"},
      {kSquare, {0.5, 3, 0.5}, true, "0.5 0 0.5"},
      {kSquare, {0.9, 3, 0.05}, true, "0.9 0 0.05"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.quad) + " with " + c.p.toText());
    Point p = c.p;
    EXPECT_EQ(Quad(c.quad).projectPoint(p), c.inside);
    EXPECT_EQ(p.toText(), c.moved);
  }
}

TEST(QuadTest, ClipKeepsThePartOnThePositiveSide) {
  // Along +x at z = 0: planDistance is positive for z > 0.
  const EdgeLine alongX(Point(-100, 0, 0), Point(100, 0, 0), 0);
  struct Case {
    std::string_view quad;
    std::string_view piece;  // "" for nothing written
    std::string_view other;  // "" for nothing written
  };
  const Case cases[] = {
      // One corner kept (no corner near the line).
      {"4 4 -4 0 -4 4 0 -4 4 8 4 -4 0 -12", "3 4 4 8 4 2 6 0 4 4 0", ""},
      // One corner cut off: a triangle and a quad.
      {"4 4 -4 0 -2 4 0 2 4 0 6 -4 0 6", "3 4 -4 0 0 0 0 0 -4 0 6",
       "4 4 0 0 0 4 0 2 4 0 6 -4 0 6"},
      {"4 4 -4 0 -2 4 0 6 4 0 8 -4 0 2", "3 4 -4 0 0 -2 0 0 4 0 6",
       "4 4 -4 0 0 4 0 6 4 0 8 -4 0 2"},
      {"4 4 4 0 8 -4 0 2 -4 0 -2 4 0 6", "3 4 -4 0 0 -2 0 0 4 0 6",
       "4 4 -4 0 0 4 0 6 4 0 8 -4 0 2"},
      // Two corners on each side.
      {"4 4 -4 2 -4 4 0 -4 4 8 4 -4 6 4", "4 4 4 8 4 -4 6 4 -4 4 0 4 4 0", ""},
      {"4 4 4 0 4 -4 0 4 -4 0 -4 4 0 -4", "4 4 4 0 0 4 0 4 -4 0 4 -4 0 0", ""},
      {"4 4 4 0 -4 4 0 4 -4 0 4 -4 0 -4", "4 4 4 0 0 4 0 4 -4 0 4 -4 0 0", ""},
      // One corner near the line.
      {"4 4 -4 0 0 0 0 4 4 0 2 4 0 -6", "4 4 -4 0 0 0 0 4 4 0 2 4 0 0", ""},
      {"4 4 -4 0 0 0 0 -4 4 0 -2 4 0 6", "3 4 -4 0 0 4 0 0 4 0 6", ""},
      {"4 4 -4 0 0 0 0 4 4 0 -4 0 0 -6", "3 4 -4 0 0 0 0 4 2 0 0", ""},
      {"4 4 -4 0 0 0 0 -4 4 0 4 0 0 6", "4 4 -4 0 0 2 0 0 4 0 4 0 0 6", ""},
      {"4 4 4 0 2 4 0 -6 -4 0 0 0 0 4", "4 4 -4 0 0 0 0 4 4 0 2 4 0 0", ""},
      {"4 4 -4 0 0.0005 0 0 4 4 0 -4 0 0 -6", "3 4 -4 0 0.0005 0 0 4 2 0 0",
       ""},
      // Two corners near the line.
      {"4 4 -4 0 0 0 0 4 4 0 0 0 0 -4", "3 4 -4 0 0 0 0 4 4 0 0", ""},
      {"4 4 -4 0 0 0 0 -4 4 0 0 0 0 4", "3 4 -4 0 0 4 0 0 0 0 4", ""},
      {"4 4 0 0 4 4 0 0 0 0 -4 -4 0 0", "3 4 4 0 0 -4 0 0 0 0 4", ""},
      // Nothing beyond the line but near corners: a whole copy.
      {"4 4 -4 0 1 4 0 1 4 0 5 -4 0 5", "4 4 -4 0 1 4 0 1 4 0 5 -4 0 5", ""},
      {"4 4 -4 0 0 4 0 0.0009 4 0 5 -4 0 5",
       "4 4 -4 0 0 4 0 0.0009 4 0 5 -4 0 5", ""},
      // Nothing kept.
      {"4 4 -4 0 -1 4 0 0 4 0 -5 -4 0 -5", "", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.quad));
    Quad quad(c.quad);
    // Placeholders in both outputs tell "nothing written" apart.
    std::unique_ptr<Element> piece = std::make_unique<DeletedElement>();
    std::unique_ptr<Element> other = std::make_unique<DeletedElement>();
    const Element* keptPiece = piece.get();
    const Element* keptOther = other.get();
    quad.clipByLine(alongX, piece, other);
    if (c.piece.empty()) {
      EXPECT_EQ(piece.get(), keptPiece);
    } else {
      ASSERT_NE(piece, nullptr);
      EXPECT_EQ(piece->toText(), c.piece);
    }
    if (c.other.empty()) {
      EXPECT_EQ(other.get(), keptOther);
    } else {
      ASSERT_NE(other, nullptr);
      EXPECT_EQ(other->toText(), c.other);
    }
  }
}

TEST(QuadTest, ReverseAndRotateReorderTheCorners) {
  constexpr std::string_view kLine = "4 4 1 2 3 4 5 6 7 8 9 10 11 12";
  Quad reversed(kLine);
  reversed.reverse();
  EXPECT_EQ(reversed.toText(), "4 4 7 8 9 4 5 6 1 2 3 10 11 12");
  reversed.reverse();
  EXPECT_EQ(reversed.toText(), kLine);

  Quad rotated(kLine);
  rotated.rotateVertices();
  EXPECT_EQ(rotated.toText(), "4 4 4 5 6 7 8 9 10 11 12 1 2 3");
  for (int turn = 1; turn < 4; ++turn) rotated.rotateVertices();
  EXPECT_EQ(rotated.toText(), kLine);
}

TEST(QuadTest, MovesAndFlattensEveryCorner) {
  Quad moved("4 4 1 2 3 4 5 6 7 8 9 10 11 12");
  moved.translate(Vector(1, 2, 3));
  EXPECT_EQ(moved.toText(), "4 4 2 4 6 5 7 9 8 10 12 11 13 15");

  // A quarter turn about y: (x, y, z) becomes (z, y, -x).
  Quad turned("4 4 1 2 3 4 5 6 7 8 9 10 11 12");
  turned.transform(Matrix(0, 0, 1, 0, 1, 0, -1, 0, 0));
  EXPECT_EQ(turned.toText(), "4 4 3 2 -1 6 5 -4 9 8 -7 12 11 -10");

  Quad flattened("4 4 1 2 3 4 5 6 7 8 9 10 11 12");
  flattened.flattenY();
  EXPECT_EQ(flattened.toText(), "4 4 1 0 3 4 0 6 7 0 9 10 0 12");
}

}  // namespace
}  // namespace quillery
