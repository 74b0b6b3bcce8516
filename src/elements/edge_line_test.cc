// Tests of EdgeLine: type-2 line text, vertex and edge matching, plan-view
// side tests, crossing points and clipping by a line.
#include "elements/edge_line.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>

#include "elements/deleted_element.h"

namespace quillery {
namespace {

// Along +x at z = 0: planTurn is positive for z < 0, planDistance for z > 0.
const EdgeLine kAlongX(Point(-100, 0, 0), Point(100, 0, 0), 0);

// Damaged fields of every kind are read end to end in
// tests/bad_input_test.cc.
TEST(EdgeLineTest, ReadsAndWritesTypeTwoLines) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"  \t2\t24 \t-10\t0 5  10 0\t5", "2 24 -10 0 5 10 0 5"},
      // A token that is not a number stops the reading.
      {"2 4 1 2 3 4 x 6", "2 4 1 2 3 4 0 0"},
      {"2 4 1e400 nan -1e400 0.123456789 -0 -nan",
       "2 4 inf nan -inf 0.1234568 -0 -nan"},
  };
  for (const auto& [line, written] : cases) {
    EXPECT_EQ(EdgeLine(line).toText(), written) << line;
  }
  EdgeLine edge("2 4 1 2 3 4 5 6");
  edge.reverse();
  EXPECT_EQ(edge.toText(), "2 4 4 5 6 1 2 3");
}

TEST(EdgeLineTest, DegenerateBelowOneThousandthManhattan) {
  const std::pair<std::string_view, bool> cases[] = {
      {"2 4 0 0 0 0.0004 0.0004 0.0001", true},
      {"2 4 1 1 1 1 1 1", true},
      {"2 4 0 0 0 0.0005 0.0005 0", false},
      {"2 4 0 0 0 0 0 0.001", false},
  };
  for (const auto& [line, degenerate] : cases) {
    std::unique_ptr<Element> replacement = std::make_unique<DeletedElement>();
    const Element* kept = replacement.get();
    EXPECT_EQ(EdgeLine(line).degenerate(replacement), degenerate) << line;
    ASSERT_NE(replacement, nullptr);
    EXPECT_EQ(replacement.get() != kept, degenerate) << line;
    EXPECT_EQ(replacement->typeCode(), kDeletedType);
  }
}

TEST(EdgeLineTest, MatchesVerticesAndEdgesWithinTheToleranceInEveryCoordinate) {
  const std::pair<std::string_view, bool> vertices[] = {
      {"2 0 0.001 0 0 5 5 5", true},
      {"2 0 0.0011 0 0 5 5 5", false},
      {"2 0 5 5 5 0 0.0011 0", false},
      // Each coordinate on its own: together they are further than 0.001.
      {"2 0 5 5 5 -0.001 0.001 0.001", true},
  };
  for (const auto& [line, hasOrigin] : vertices) {
    EXPECT_EQ(EdgeLine(line).hasVertex(Point(0, 0, 0)), hasOrigin) << line;
  }
  // The same two ends in either direction.
  const std::pair<std::string_view, bool> edges[] = {
      {"2 4 10 0 0 0 0 0", true},
      {"2 4 0.001 0 -0.001 10 0.001 0", true},
      {"2 4 10 0 0 0 0 0.0011", false},
      {"2 4 0 0 0 0 0 0", false},  // both ends at one end point
      {"2 4 0 0 0 5 0 0", false},
  };
  const EdgeLine edge("2 4 0 0 0 10 0 0");
  for (const auto& [line, hasEdge] : edges) {
    EXPECT_EQ(edge.hasEdge(EdgeLine(line)), hasEdge) << line;
  }
}

TEST(EdgeLineTest, PositiveSideExcludesTheLineItself) {
  const std::pair<std::string_view, bool> cases[] = {
      {"2 4 1 0 -1 5 9 -2", true}, {"2 4 1 0 -1 5 0 0", false},
      {"2 4 0 0 0 5 0 -1", false}, {"2 4 1 0 -1 5 0 1", false},
      {"2 4 1 0 1 5 0 2", false},
  };
  for (const auto& [line, positive] : cases) {
    EXPECT_EQ(EdgeLine(line).onPositiveSideOf(kAlongX), positive) << line;
  }
}

TEST(EdgeLineTest, PlanIntersectionMeetsTheLineWithinTheSegment) {
  // The segment, the line, and the crossing (the output, preset to 7 7 7).
  const std::tuple<std::string_view, std::string_view, std::string_view>
      cases[] = {
          // The ends of the segment themselves count (t = 0 and t = 1).
          {"2 0 0 0 0 10 4 0", "2 0 0 0 -5 0 0 5", "0 0 0"},
          {"2 0 0 0 0 10 4 0", "2 0 10 9 -5 10 9 5", "10 4 0"},
          // y follows the segment; the line's y plays no part.
          {"2 0 -10 0 0 10 4 0", "2 0 5 9 -5 5 9 5", "5 3 0"},
          {"2 0 0 0 0 0 2 10", "2 0 -5 0 0 5 0 10", "0 1 5"},
          {"2 0 0 0 0 10 0 0", "2 0 11 0 -5 11 0 5", "7 7 7"},
          {"2 0 0 0 0 10 0 0", "2 0 -1 0 -5 -1 0 5", "7 7 7"},
          // Parallel in plan, also when lying on each other.
          {"2 0 0 0 0 10 0 0", "2 0 0 0 5 10 0 5", "7 7 7"},
          {"2 0 0 0 0 10 0 0", "2 0 -5 7 0 20 7 0", "7 7 7"},
          // The parallel test is on the unnormalised cross product: short
          // segments that do cross count as parallel.
          {"2 0 0 0 0 0.01 0 0", "2 0 0.005 0 -0.01 0.005 0 0.01", "7 7 7"},
      };
  for (const auto& [segment, line, point] : cases) {
    SCOPED_TRACE(std::string(segment) + " by " + std::string(line));
    Point x(7, 7, 7);
    EXPECT_EQ(EdgeLine(segment).planIntersection(EdgeLine(line), x),
              point != "7 7 7");
    EXPECT_EQ(x.toText(), point);
  }
}

TEST(EdgeLineTest, ClipKeepsThePartOnThePositiveSide) {
  const EdgeLine backX(Point(100, 0, 0), Point(-100, 0, 0), 0);
  // The line, the edge, and the piece written ("" for nothing).
  const std::tuple<const EdgeLine*, std::string_view, std::string_view>
      cases[] = {
          {&kAlongX, "2 4 1 0 1 2 0 2", "2 4 1 0 1 2 0 2"},
          // An end within the tolerance of the line keeps the whole edge.
          {&kAlongX, "2 4 0 0 0.0005 5 0 5", "2 4 0 0 0.0005 5 0 5"},
          {&kAlongX, "2 4 0 0 -0.0009 5 0 5", "2 4 0 0 -0.0009 5 0 5"},
          // One end on each side: from the kept end to the crossing.
          {&kAlongX, "2 4 0 7 -5 10 3 5", "2 4 10 3 5 5 5 0"},
          {&kAlongX, "2 4 10 3 5 0 7 -5", "2 4 10 3 5 5 5 0"},
          {&kAlongX, "2 4 0 0 -5 10 0 0.05", "2 4 10 0 0.05 9.90099 0 0"},
          {&backX, "2 4 0 7 -5 10 3 5", "2 4 0 7 -5 5 5 0"},
          // Nothing on the kept side.
          {&kAlongX, "2 4 1 0 -1 2 0 -2", ""},
          {&kAlongX, "2 4 1 0 0.0005 2 0 -0.0009", ""},
          {&kAlongX, "2 4 1 0 0.0005 2 0 -3", ""},
      };
  for (const auto& [line, edge, expected] : cases) {
    SCOPED_TRACE(std::string(edge));
    // Placeholders in both outputs tell "nothing written" apart.
    std::unique_ptr<Element> piece = std::make_unique<DeletedElement>();
    std::unique_ptr<Element> other = std::make_unique<DeletedElement>();
    const Element* keptOther = other.get();
    EdgeLine(edge).clipByLine(*line, piece, other);
    ASSERT_NE(piece, nullptr);
    EXPECT_EQ(piece->toText(), expected);
    EXPECT_EQ(other.get(), keptOther);
  }
}

}  // namespace
}  // namespace quillery
