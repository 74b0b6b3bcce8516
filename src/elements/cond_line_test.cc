// Tests of CondLine: type-5 line text, the drawn segment as its only edge,
// and which operations leave its points alone.
#include "elements/cond_line.h"

#include <gtest/gtest.h>

#include <string_view>
#include <utility>

#include "elements/edge_line.h"

namespace quillery {
namespace {

// Damaged fields of every kind are read end to end in
// tests/bad_input_test.cc.
TEST(CondLineTest, ReadsAndWritesTypeFiveLines) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"\t 5  24\t0 0 0 1 0 0 0 1 0 1 1 1", "5 24 0 0 0 1 0 0 0 1 0 1 1 1"},
      {"5 24 1 2 3 4 5 6 7 8 9 10 11", "5 24 1 2 3 4 5 6 7 8 9 10 11 0"},
      // A token that is not a number stops the reading: the points after it
      // stay (0, 0, 0), a partly read one keeps what it got.
      {"5 24 1 2 3 4 x 6 7 8 9 10 11 12", "5 24 1 2 3 4 0 0 0 0 0 0 0 0"},
  };
  for (const auto& [line, written] : cases) {
    EXPECT_EQ(CondLine(line).toText(), written) << line;
  }
  // Neither reversing nor flattening changes a conditional line.
  CondLine line("5 24 1 2 3 4 5 6 7 8 9 10 11 12");
  line.reverse();
  line.flattenY();
  EXPECT_EQ(line.toText(), "5 24 1 2 3 4 5 6 7 8 9 10 11 12");
}

TEST(CondLineTest, EdgeIsTheDrawnSegmentOnly) {
  CondLine line("5 24 0 0 0 1 0 0 0 1 0 1 1 1");
  EXPECT_EQ(line.firstEdge()->toText(), "2 0 0 0 0 1 0 0");
  EXPECT_TRUE(line.hasEdge(EdgeLine("2 0 1 0 0.001 0 0 0")));
  EXPECT_TRUE(
      line.hasEdge(*CondLine("5 0 0 0 0 1 0 0 5 5 5 -3 2 1").firstEdge()));
  // Segments to the control points are not edges.
  EXPECT_FALSE(line.hasEdge(EdgeLine("2 0 0 0 0 0 1 0")));
  EXPECT_FALSE(line.hasEdge(EdgeLine("2 0 0 1 0 1 1 1")));
  EXPECT_FALSE(line.hasEdge(EdgeLine("2 0 1 0 0 1 1 1")));
}

}  // namespace
}  // namespace quillery
