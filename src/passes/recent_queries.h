// RecentQueries: the answers of the last few queries of a spatial index,
// kept exact as entries are filed.
#pragma once

#include <cstddef>
#include <cstdint>
#include <initializer_list>
#include <vector>

#include "geometry/point.h"
#include "passes/spatial_index.h"

namespace quillery {

// Splitting one quad asks for the same few corners again and again, and the
// next quad shares two of them. Each answer is the sorted, repeat-free list
// of positions that SpatialIndex::collectNear gives for a point; filing an
// entry appends its position to every remembered answer that would now
// include it, which keeps the lists sorted as long as positions are filed
// in increasing order.
class RecentQueries {
 public:
  RecentQueries(const SpatialIndex& index, int layer)
      : index(index), layer(layer) {}

  // The positions filed near `point`, in increasing order, without repeats.
  // Valid until the second call after this one.
  const std::vector<std::uint32_t>& near(const Point& point);
  // Records that `position`, the highest so far, was just filed in each of
  // the `count` cells at `cells`.
  void filed(std::uint32_t position, const SpatialIndex::CellNumbers* cells,
             std::size_t count);

 private:
  struct Answer {
    Point point;
    bool searched;  // false for a point that coincides with nothing
    SpatialIndex::CellBox box;
    std::vector<std::uint32_t> positions;
  };
  static constexpr std::size_t kRemembered = 8;

  const SpatialIndex& index;
  int layer;
  Answer answers[kRemembered];
  std::size_t count = 0;
  std::size_t nextToForget = 0;
  std::size_t lastAnswer = kRemembered;
};

// Sorts `positions` and removes repeats.
void sortUnique(std::vector<std::uint32_t>& positions);

}  // namespace quillery
