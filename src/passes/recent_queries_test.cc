// Tests of the remembered index answers: more points than are remembered,
// two answers held at once, and positions filed after a point was asked.
#include "passes/recent_queries.h"

#include <gtest/gtest.h>

#include <vector>

namespace quillery {
namespace {

using Positions = std::vector<std::uint32_t>;

// Files `point` under `position` in layer 0 and tells `recent`.
void file(SpatialIndex& index, RecentQueries& recent, const Point& point,
          std::uint32_t position) {
  SpatialIndex::CellNumbers cell;
  ASSERT_TRUE(SpatialIndex::cellOf(point, cell));
  index.add(cell, position, 0);
  recent.filed(position, &cell, 1);
}

TEST(RecentQueriesTest, AnswersStayExactBeyondWhatIsRemembered) {
  // Twelve points far apart, each filed under its own number; four more
  // than are remembered, so every slot is reused.
  SpatialIndex index;
  RecentQueries recent(index, 0);
  std::vector<Point> points;
  points.reserve(12);
  for (std::uint32_t k = 0; k < 12; ++k) {
    points.emplace_back(k * 10.0, 0, 0);
    file(index, recent, points.back(), k);
  }
  for (std::uint32_t round = 0; round < 40; ++round) {
    std::uint32_t a = round % 12;
    std::uint32_t b = (round * 7 + 3) % 12;
    // The first answer must survive the second call.
    const Positions& first = recent.near(points[a]);
    const Positions& second = recent.near(points[b]);
    EXPECT_EQ(first, Positions{a}) << round;
    EXPECT_EQ(second, Positions{b}) << round;
  }
  // Asked again, a remembered answer is the one kept through the next
  // search, even when its slot is the next to be reused: fill every slot,
  // ask the first point again, then a new one.
  RecentQueries fresh(index, 0);
  for (std::uint32_t k = 0; k < 8; ++k) (void)fresh.near(points[k]);
  const Positions& again = fresh.near(points[0]);
  EXPECT_EQ(fresh.near(points[8]), Positions{8});
  EXPECT_EQ(again, Positions{0});
  // A position filed later joins the remembered answer of its point.
  file(index, recent, points[5], 12);
  EXPECT_EQ(recent.near(points[5]), (Positions{5, 12}));
}

}  // namespace
}  // namespace quillery
