// Tests of EdgeLine: type-2 line text, vertex and edge matching, plan-view
// side tests, crossing points and clipping by a line.
#include "elements/edge_line.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>

#include "elements/deleted_element.h"

namespace quillery {
namespace {

TEST(EdgeLineTest, ReadsAndWritesTypeTwoLines) {
  struct Case {
    std::string_view line;
    std::string_view written;
  };
  const Case cases[] = {
      {"2 24 -10 0 5 10 0 5", "2 24 -10 0 5 10 0 5"},
      {"  \t2\t24 \t-10\t0 5  10 0\t5", "2 24 -10 0 5 10 0 5"},
      // Colour: the leading decimal digits of the token, else 0.
      {"2 0x2FF 1 2 3 4 5 6", "2 0 1 2 3 4 5 6"},
      {"2 16abc 1 2 3 4 5 6", "2 16 1 2 3 4 5 6"},
      {"2 x 1 2 3 4 5 6", "2 0 1 2 3 4 5 6"},
      {"2 4294967300 1 2 3 4 5 6", "2 4 1 2 3 4 5 6"},
      {"2", "2 0 0 0 0 0 0 0"},
      {"2 4 1 2", "2 4 1 2 0 0 0 0"},
      // A token that is not a number stops the reading.
      {"2 4 1 2 3 4 x 6", "2 4 1 2 3 4 0 0"},
      {"2 4 1 x 3 4 5 6", "2 4 1 0 0 0 0 0"},
      {"2 4 5.5abc 1 2 3 4 5", "2 4 5.5 1 2 3 4 5"},
      {"2 4 1e400 nan -1e400 0.123456789 -0 -nan",
       "2 4 inf nan -inf 0.1234568 -0 -nan"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.line));
    EXPECT_EQ(EdgeLine(c.line).toText(), c.written);
  }
}

TEST(EdgeLineTest, ReverseExchangesTheEndPoints) {
  EdgeLine edge("2 4 1 2 3 4 5 6");
  edge.reverse();
  EXPECT_EQ(edge.toText(), "2 4 4 5 6 1 2 3");
}

TEST(EdgeLineTest, DegenerateBelowOneThousandthManhattan) {
  struct Case {
    std::string_view line;
    bool degenerate;
  };
  const Case cases[] = {
      {"2 4 0 0 0 0.0004 0.0004 0.0001", true},
      {"2 4 1 1 1 1 1 1", true},
      {"2 4 0 0 0 0.0005 0.0005 0", false},
      {"2 4 0 0 0 0 0 0.001", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.line));
    std::unique_ptr<Element> replacement = std::make_unique<DeletedElement>();
    const Element* kept = replacement.get();
    EXPECT_EQ(EdgeLine(c.line).degenerate(replacement), c.degenerate);
    if (c.degenerate) {
      ASSERT_NE(replacement, nullptr);
      EXPECT_NE(replacement.get(), kept);
      EXPECT_EQ(replacement->typeCode(), kDeletedType);
    } else {
      EXPECT_EQ(replacement.get(), kept);
    }
  }
}

TEST(EdgeLineTest, MatchesVerticesWithinTheToleranceInEveryCoordinate) {
  struct Case {
    std::string_view line;
    bool hasOrigin;
  };
  const Case cases[] = {
      {"2 0 0.001 0 0 5 5 5", true},
      {"2 0 0.0011 0 0 5 5 5", false},
      {"2 0 5 5 5 0 0 -0.001", true},
      {"2 0 5 5 5 0 0.0011 0", false},
      // Each coordinate on its own: together they are further than 0.001.
      {"2 0 5 5 5 -0.001 0.001 0.001", true},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.line));
    EXPECT_EQ(EdgeLine(c.line).hasVertex(Point(0, 0, 0)), c.hasOrigin);
  }
}

TEST(EdgeLineTest, HasEdgeWithTheSameEndsInEitherDirection) {
  struct Case {
    Point a;
    Point b;
    bool hasEdge;
  };
  const Case cases[] = {
      {{0, 0, 0}, {10, 0, 0}, true},
      {{10, 0, 0}, {0, 0, 0}, true},
      {{0.001, 0, -0.001}, {10, 0.001, 0}, true},
      {{0.0011, 0, 0}, {10, 0, 0}, false},
      {{10, 0, 0}, {0, 0, 0.0011}, false},
      // Both ends at the same end point is not the edge.
      {{0, 0, 0}, {0, 0, 0}, false},
      {{0, 0, 0}, {5, 0, 0}, false},
  };
  EdgeLine edge("2 4 0 0 0 10 0 0");
  for (const Case& c : cases) {
    SCOPED_TRACE(c.a.toText() + " - " + c.b.toText());
    EXPECT_EQ(edge.hasEdge(EdgeLine(c.a, c.b, 0)), c.hasEdge);
  }
}

TEST(EdgeLineTest, PositiveSideExcludesTheLineItself) {
  // Along +x at z = 0: planTurn is positive for z < 0.
  EdgeLine line(Point(0, 0, 0), Point(10, 0, 0), 0);
  struct Case {
    std::string_view edge;
    bool positive;
  };
  const Case cases[] = {
      {"2 4 1 0 -1 5 9 -2", true}, {"2 4 1 0 -1 5 0 0", false},
      {"2 4 0 0 0 5 0 -1", false}, {"2 4 1 0 -1 5 0 1", false},
      {"2 4 1 0 1 5 0 2", false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.edge));
    EXPECT_EQ(EdgeLine(c.edge).onPositiveSideOf(line), c.positive);
  }
}

TEST(EdgeLineTest, PlanIntersectionMeetsTheLineWithinTheSegment) {
  struct Case {
    Point p1, p2;  // the segment
    Point a, b;    // the line
    bool crosses;
    std::string_view point;  // the output, preset to (7, 7, 7)
  };
  const Case cases[] = {
      // The ends of the segment themselves count (t = 0 and t = 1).
      {{0, 0, 0}, {10, 4, 0}, {0, 0, -5}, {0, 0, 5}, true, "0 0 0"},
      {{0, 0, 0}, {10, 4, 0}, {10, 9, -5}, {10, 9, 5}, true, "10 4 0"},
      // y follows the segment; the line's y plays no part.
      {{-10, 0, 0}, {10, 4, 0}, {5, 9, -5}, {5, 9, 5}, true, "5 3 0"},
      {{0, 0, 0}, {0, 2, 10}, {-5, 0, 0}, {5, 0, 10}, true, "0 1 5"},
      {{0, 0, 0}, {10, 0, 0}, {11, 0, -5}, {11, 0, 5}, false, "7 7 7"},
      {{0, 0, 0}, {10, 0, 0}, {-1, 0, -5}, {-1, 0, 5}, false, "7 7 7"},
      // Parallel in plan, also when lying on each other.
      {{0, 0, 0}, {10, 0, 0}, {0, 0, 5}, {10, 0, 5}, false, "7 7 7"},
      {{0, 0, 0}, {10, 0, 0}, {-5, 7, 0}, {20, 7, 0}, false, "7 7 7"},
      // The parallel test is on the unnormalised cross product: short
      // segments that do cross count as parallel.
      {{0, 0, 0},
       {0.01, 0, 0},
       {0.005, 0, -0.01},
       {0.005, 0, 0.01},
       false,
       "7 7 7"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.p1.toText() + " - " + c.p2.toText() + " by " + c.a.toText() +
                 " - " + c.b.toText());
    Point x(7, 7, 7);
    EXPECT_EQ(
        EdgeLine(c.p1, c.p2, 0).planIntersection(EdgeLine(c.a, c.b, 0), x),
        c.crosses);
    EXPECT_EQ(x.toText(), c.point);
  }
}

TEST(EdgeLineTest, ClipKeepsThePartOnThePositiveSide) {
  // Along +x at z = 0: planDistance is positive for z > 0.
  const EdgeLine alongX(Point(-100, 0, 0), Point(100, 0, 0), 0);
  const EdgeLine backX(Point(100, 0, 0), Point(-100, 0, 0), 0);
  struct Case {
    const EdgeLine* line;
    std::string_view edge;
    std::string_view piece;  // "" for nothing written
  };
  const Case cases[] = {
      {&alongX, "2 4 1 0 1 2 0 2", "2 4 1 0 1 2 0 2"},
      // An end within the tolerance of the line keeps the whole edge.
      {&alongX, "2 4 0 0 0.0005 5 0 5", "2 4 0 0 0.0005 5 0 5"},
      {&alongX, "2 4 0 0 -0.0009 5 0 5", "2 4 0 0 -0.0009 5 0 5"},
      // One end on each side: from the kept end to the crossing.
      {&alongX, "2 4 0 7 -5 10 3 5", "2 4 10 3 5 5 5 0"},
      {&alongX, "2 4 10 3 5 0 7 -5", "2 4 10 3 5 5 5 0"},
      {&backX, "2 4 0 7 -5 10 3 5", "2 4 0 7 -5 5 5 0"},
      // Nothing on the kept side.
      {&alongX, "2 4 1 0 -1 2 0 -2", ""},
      {&alongX, "2 4 1 0 0.0005 2 0 -0.0009", ""},
      {&alongX, "2 4 1 0 0.0005 2 0 -3", ""},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.edge));
    EdgeLine edge(c.edge);
    // Placeholders in both outputs tell "nothing written" apart.
    std::unique_ptr<Element> piece = std::make_unique<DeletedElement>();
    std::unique_ptr<Element> other = std::make_unique<DeletedElement>();
    const Element* keptPiece = piece.get();
    const Element* keptOther = other.get();
    edge.clipByLine(*c.line, piece, other);
    if (c.piece.empty()) {
      EXPECT_EQ(piece.get(), keptPiece);
    } else {
      ASSERT_NE(piece, nullptr);
      EXPECT_EQ(piece->toText(), c.piece);
    }
    EXPECT_EQ(other.get(), keptOther);
  }
}

}  // namespace
}  // namespace quillery
