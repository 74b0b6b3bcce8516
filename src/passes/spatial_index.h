// SpatialIndex: a hash grid of points, each tagged with a list position, for
// finding the entries whose points may coincide with a given point.
#pragma once

#include <cstdint>
#include <vector>

#include "elements/huge_page_allocator.h"
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
  // Prepares for about `points` calls of add().
  void reserve(std::size_t points);

  // True until a point has been filed.
  bool empty() const { return entries.empty(); }

  // Files `point` under `position`.
  void add(const Point& point, std::uint32_t position);

  // True when collectNear(query) would visit the entries of `filed`.
  bool reaches(const Point& query, const Point& filed) const;

  // Appends to `positions` the position of every entry filed near `point`,
  // newest first (possibly more than once).
  void collectNear(const Point& point,
                   std::vector<std::uint32_t>& positions) const;

 private:
  static constexpr std::uint32_t kNone = 0xffffffffu;
  struct Cell {
    std::int64_t x;
    std::int64_t y;
    std::int64_t z;
    std::uint32_t head;  // newest entry of the cell
  };
  struct Entry {
    std::uint32_t position;
    std::uint32_t next;  // older entry of the same cell, or kNone
  };

  // The slot that holds, or would hold, the cell with these numbers.
  std::size_t slotOf(std::int64_t x, std::int64_t y, std::int64_t z,
                     std::uint64_t hash) const;
  void grow();

  // Open addressing over `cells`: 0 for an empty slot, otherwise the high
  // half of the cell's hash and the cell's index + 1.
  std::vector<std::uint64_t, HugePageAllocator<std::uint64_t>> slots =
      std::vector<std::uint64_t, HugePageAllocator<std::uint64_t>>(1024);
  std::vector<Cell, HugePageAllocator<Cell>> cells;
  std::vector<Entry, HugePageAllocator<Entry>> entries;
};

}  // namespace quillery
