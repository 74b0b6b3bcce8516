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
// filed nor searched. Callers look at what is at a visited position now, so
// an entry may outlive what was filed.
class SpatialIndex {
 public:
  // Prepares for about `cellCount` distinct cells and `entryCount` calls
  // of add(). Room for entries costs no memory until it is used.
  void reserve(std::size_t cellCount, std::size_t entryCount);

  // True until a point has been filed.
  bool empty() const { return entries.empty(); }

  // Files `point` under `position`.
  void add(const Point& point, std::uint32_t position);

  // A point to file, and the position to file it under.
  struct Filing {
    const Point* point;
    std::uint32_t position;
  };
  // Files the points of `filings` in turn, as add() would one by one. The
  // cells of a few dozen are worked out first and their slots asked for
  // together, so that the waits for memory overlap.
  void add(const std::vector<Filing>& filings);

  // Starts loading the memory that a query or a filing at `point` will
  // read, so that the wait overlaps other work.
  void prefetch(const Point& point) const;

  // Appends to `positions` the position of every entry filed near `point`,
  // newest first (possibly more than once).
  void collectNear(const Point& point,
                   std::vector<std::uint32_t>& positions) const;

 private:
  // The cell numbers of a point, and the range of cells a query around a
  // point visits.
  struct CellNumbers {
    std::int32_t x;
    std::int32_t y;
    std::int32_t z;
  };
  struct CellBox {
    CellNumbers low;
    CellNumbers high;
  };
  static constexpr std::uint32_t kNone = 0xffffffffu;
  struct Cell {
    std::int32_t x;
    std::int32_t y;
    std::int32_t z;
    std::uint32_t head;  // the newest entry in the cell
  };
  struct Entry {
    std::uint32_t position;
    std::uint32_t next;  // older entry of the same cell, or kNone
  };

  // False for a point with a NaN or infinite coordinate.
  static bool cellOf(const Point& point, CellNumbers& cell);
  static bool boxAround(const Point& point, CellBox& box);
  // add() for a point whose cell numbers and their hash are known.
  void add(const CellNumbers& cell, std::uint64_t hash,
           std::uint32_t position);
  // collectNear() for the box that boxAround gave for the point.
  void collectNear(const CellBox& box,
                   std::vector<std::uint32_t>& positions) const;
  // The slot that holds, or would hold, the cell with these numbers.
  std::size_t slotOf(std::int32_t x, std::int32_t y, std::int32_t z,
                     std::uint64_t hash) const;
  // Moves every cell into a table of `size` slots.
  void rehash(std::size_t size);

  // Open addressing over `cells`: 0 for an empty slot, otherwise the high
  // half of the cell's hash and the cell's index + 1.
  LargeVector<std::uint64_t> slots = LargeVector<std::uint64_t>(1024);
  LargeVector<Cell> cells;
  LargeVector<Entry> entries;
};

}  // namespace quillery
