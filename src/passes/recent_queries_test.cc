// Tests of the remembered index answers over an index that has grown: more
// points than are remembered, and two answers held at once.
#include "passes/recent_queries.h"

#include <gtest/gtest.h>

#include <vector>

namespace quillery {
namespace {

using Positions = std::vector<std::uint32_t>;

TEST(RecentQueriesTest, AnswersStayExactBeyondWhatIsRemembered) {
  // Points a unit apart, each filed under its own number: far more cells
  // than the index's first table holds, so it grows five times, each time
  // while a new cell is being filed.
  SpatialIndex index;
  constexpr std::uint32_t kPoints = 20000;
  std::vector<Point> points;
  points.reserve(kPoints);
  for (std::uint32_t k = 0; k < kPoints; ++k) {
    points.emplace_back(k, 0, 0);
    index.add(points.back(), k);
  }
  RecentQueries recent(index);
  for (std::uint32_t k = 0; k < kPoints; ++k) {
    ASSERT_EQ(recent.near(points[k]), Positions{k}) << k;
  }
  // Twelve points, four more than are remembered, so every slot is reused.
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
  RecentQueries fresh(index);
  for (std::uint32_t k = 0; k < 8; ++k) (void)fresh.near(points[k]);
  const Positions& again = fresh.near(points[0]);
  EXPECT_EQ(fresh.near(points[8]), Positions{8});
  EXPECT_EQ(again, Positions{0});
}

}  // namespace
}  // namespace quillery
