// RecentQueries: the answers of the last few queries of a spatial index
// that no longer changes.
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "geometry/point.h"
#include "passes/spatial_index.h"

namespace quillery {

// Splitting one quad asks for the same few corners again and again, and the
// next quad shares two of them. Each answer is the sorted, repeat-free list
// of positions that SpatialIndex::collectNear gives for a point; nothing may
// be filed in the index while answers are remembered.
class RecentQueries {
 public:
  explicit RecentQueries(const SpatialIndex& index) : index(index) {}

  // The positions filed near `point`, in increasing order, without repeats.
  // Valid until the second call after this one.
  const std::vector<std::uint32_t>& near(const Point& point);

 private:
  struct Answer {
    Point point;
    std::vector<std::uint32_t> positions;
  };
  static constexpr std::size_t kRemembered = 8;

  const SpatialIndex& index;
  Answer answers[kRemembered];
  std::size_t count = 0;
  std::size_t nextToForget = 0;
  std::size_t lastAnswer = kRemembered;
};

// Sorts `positions` and removes repeats.
void sortUnique(std::vector<std::uint32_t>& positions);

}  // namespace quillery
