// Tests of the index's own bookkeeping: growing the cell table, and
// removing entries (the removed one leaves its cell's list, the others keep
// their order, and its memory serves the next filing).
#include "passes/spatial_index.h"

#include <gtest/gtest.h>

#include <vector>

namespace quillery {
namespace {

using Positions = std::vector<std::uint32_t>;

Positions near(const SpatialIndex& index, const Point& point, int layer) {
  Positions positions;
  index.collectNear(point, layer, positions);
  return positions;
}

TEST(SpatialIndexTest, RemovedEntriesLeaveTheirCellInEitherLayer) {
  SpatialIndex index;
  const Point here(1, 2, 3);
  const Point elsewhere(50, 2, 3);
  for (std::uint32_t position : {1u, 2u, 3u, 4u}) index.add(here, position, 1);
  index.add(here, 2, 0);
  index.add(elsewhere, 7, 1);
  // The middle, the newest and the oldest of one list; the same position in
  // the other layer and the entry of another cell stay.
  index.remove(here, 3, 1);
  EXPECT_EQ(near(index, here, 1), (Positions{4, 2, 1}));
  index.remove(here, 4, 1);
  index.remove(here, 1, 1);
  EXPECT_EQ(near(index, here, 1), Positions{2});
  EXPECT_EQ(near(index, here, 0), Positions{2});
  // Entries that were never filed: nothing changes.
  index.remove(here, 9, 1);
  index.remove(Point(80, 0, 0), 2, 1);
  EXPECT_EQ(near(index, here, 1), Positions{2});
  // New entries take the freed memory and are found newest first, and
  // no other list changes.
  for (std::uint32_t position : {10u, 11u, 12u}) index.add(here, position, 1);
  EXPECT_EQ(near(index, here, 1), (Positions{12, 11, 10, 2}));
  EXPECT_EQ(near(index, elsewhere, 1), Positions{7});
}

TEST(SpatialIndexTest, EveryPointIsFoundAfterTheTableGrows) {
  // Far more cells than the first table holds: it grows five times, and
  // each growth happens while a new cell is being filed.
  SpatialIndex index;
  constexpr std::uint32_t kPoints = 20000;
  for (std::uint32_t k = 0; k < kPoints; ++k) index.add(Point(k, 0, 0), k, 0);
  for (std::uint32_t k = 0; k < kPoints; ++k) {
    ASSERT_EQ(near(index, Point(k, 0, 0), 0), Positions{k}) << k;
  }
}

}  // namespace
}  // namespace quillery
