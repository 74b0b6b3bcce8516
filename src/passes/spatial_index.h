// SpatialIndex: a hash grid of points, each tagged with a list position, for
// finding the entries whose points may coincide with a given point.
#pragma once

#include <cstdint>
#include <vector>

#include "geometry/point.h"

namespace quillery {

// Points are filed in cubic cells of side 1/16; a query visits the cells
// that a box of twice the coincidence tolerance around the point touches,
// so every filed point that coincides with the query point is visited
// (together with some that do not: callers apply the exact test). A point
// with a NaN or infinite coordinate coincides with nothing and is neither
// filed nor searched. Entries are never removed: callers look at what is at
// a visited position now.
class SpatialIndex {
 public:
  // Files `point` under `position`.
  void add(const Point& point, std::uint32_t position);

  // Appends to `positions` the position of every entry filed near `point`
  // (possibly more than once).
  void collectNear(const Point& point,
                   std::vector<std::uint32_t>& positions) const;

 private:
  struct Cell {
    std::int64_t x = 0;
    std::int64_t y = 0;
    std::int64_t z = 0;
    std::uint32_t head = kNone;
  };
  struct Entry {
    std::uint32_t position;
    std::uint32_t next;
  };
  static constexpr std::uint32_t kNone = 0xffffffffu;

  std::size_t slotOf(std::int64_t x, std::int64_t y, std::int64_t z) const;
  void grow();

  std::vector<Cell> cells = std::vector<Cell>(1024);
  std::size_t usedCells = 0;
  std::vector<Entry> entries;
};

}  // namespace quillery
