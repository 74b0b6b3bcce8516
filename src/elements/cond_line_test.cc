// Tests of CondLine: type-5 line text, the drawn segment as its only edge,
// and which operations move its control points.
#include "elements/cond_line.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>

#include "elements/edge_line.h"

namespace quillery {
namespace {

TEST(CondLineTest, ReadsAndWritesTypeFiveLines) {
  struct Case {
    std::string_view line;
    std::string_view written;
  };
  const Case cases[] = {
      {"5 24 0 0 0 1 0 0 0 1 0 1 1 1", "5 24 0 0 0 1 0 0 0 1 0 1 1 1"},
      {"\t 5  24\t0 0 0 1 0 0 0 1 0 1 1 1", "5 24 0 0 0 1 0 0 0 1 0 1 1 1"},
      {"5 0x2FF 1 2 3 4 5 6 7 8 9 10 11 12", "5 0 1 2 3 4 5 6 7 8 9 10 11 12"},
      {"5", "5 0 0 0 0 0 0 0 0 0 0 0 0 0"},
      {"5 24 1 2 3 4 5 6 7 8 9 10 11", "5 24 1 2 3 4 5 6 7 8 9 10 11 0"},
      // A token that is not a number stops the reading: the points after it
      // stay (0, 0, 0), a partly read one keeps what it got.
      {"5 24 1 2 3 4 5 6 7 8 9 x 11 12", "5 24 1 2 3 4 5 6 7 8 9 0 0 0"},
      {"5 24 1 2 3 4 x 6 7 8 9 10 11 12", "5 24 1 2 3 4 0 0 0 0 0 0 0 0"},
      {"5 24 1e400 nan 5.5abc 1 2 3 4 5 6 7 8 9",
       "5 24 inf nan 5.5 1 2 3 4 5 6 7 8 9"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.line));
    EXPECT_EQ(CondLine(c.line).toText(), c.written);
  }
}

TEST(CondLineTest, EdgeIsTheDrawnSegmentOnly) {
  CondLine line("5 24 0 0 0 1 0 0 0 1 0 1 1 1");
  CondLine sameSegment("5 24 0 0 0 1 0 0 5 5 5 -3 2 1");
  std::unique_ptr<EdgeLine> edge = line.firstEdge();
  std::unique_ptr<EdgeLine> otherEdge = sameSegment.firstEdge();
  EXPECT_EQ(edge->toText(), "2 0 0 0 0 1 0 0");
  EXPECT_TRUE(line.hasEdge(*otherEdge));
  EXPECT_TRUE(sameSegment.hasEdge(*edge));

  EXPECT_TRUE(line.hasEdge(EdgeLine(Point(1, 0, 0.001), Point(0, 0, 0), 0)));
  // Segments to the control points are not edges.
  EXPECT_FALSE(line.hasEdge(EdgeLine(Point(0, 0, 0), Point(0, 1, 0), 0)));
  EXPECT_FALSE(line.hasEdge(EdgeLine(Point(0, 1, 0), Point(1, 1, 1), 0)));
  EXPECT_FALSE(line.hasEdge(EdgeLine(Point(1, 0, 0), Point(1, 1, 1), 0)));
}

TEST(CondLineTest, ReverseAndFlattenLeaveTheLineAsItIs) {
  CondLine line("5 24 1 2 3 4 5 6 7 8 9 10 11 12");
  line.reverse();
  line.flattenY();
  EXPECT_EQ(line.toText(), "5 24 1 2 3 4 5 6 7 8 9 10 11 12");
}

TEST(CondLineTest, TranslateAndTransformMoveAllFourPoints) {
  CondLine moved("5 24 1 2 3 4 5 6 7 8 9 10 11 12");
  moved.translate(Vector(1, 2, 3));
  EXPECT_EQ(moved.toText(), "5 24 2 4 6 5 7 9 8 10 12 11 13 15");

  // A quarter turn about y: (x, y, z) becomes (z, y, -x).
  CondLine turned("5 24 1 2 3 4 5 6 7 8 9 10 11 12");
  turned.transform(Matrix(0, 0, 1, 0, 1, 0, -1, 0, 0));
  EXPECT_EQ(turned.toText(), "5 24 3 2 -1 6 5 -4 9 8 -7 12 11 -10");
}

}  // namespace
}  // namespace quillery
