// Tests of the index's own bookkeeping: growing the cell table.
#include "passes/spatial_index.h"

#include <gtest/gtest.h>

#include <vector>

namespace quillery {
namespace {

using Positions = std::vector<std::uint32_t>;

Positions near(const SpatialIndex& index, const Point& point) {
  Positions positions;
  index.collectNear(point, positions);
  return positions;
}

TEST(SpatialIndexTest, EveryPointIsFoundAfterTheTableGrows) {
  // Far more cells than the first table holds: it grows five times, and
  // each growth happens while a new cell is being filed.
  SpatialIndex index;
  constexpr std::uint32_t kPoints = 20000;
  for (std::uint32_t k = 0; k < kPoints; ++k) index.add(Point(k, 0, 0), k);
  for (std::uint32_t k = 0; k < kPoints; ++k) {
    ASSERT_EQ(near(index, Point(k, 0, 0)), Positions{k}) << k;
  }
}

}  // namespace
}  // namespace quillery
