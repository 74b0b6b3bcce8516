// SecondTriangles: where the second triangle of each split quad went, by the
// quad's position (the first triangle took the quad's place).
#pragma once

#include <cstddef>
#include <cstdint>
#include <vector>

#include "elements/huge_page_allocator.h"

namespace quillery {

// Quads are split in list order, so their positions arrive in increasing
// order. A bit per list position up to the last split quad says which were
// split, and the second triangles are kept in split order: a few bits per
// list entry instead of a full position for every one (flattened models
// hold tens of millions of entries, most of them no quad).
class SecondTriangles {
 public:
  // Prepares for `quads` quads at positions below `listSize`. Room that is
  // not used costs no memory.
  void reserve(std::size_t quads, std::size_t listSize);
  // Records `second` for the quad at `quadPosition`, which must lie past
  // every quad recorded before.
  void add(std::size_t quadPosition, std::uint32_t second);
  // The second triangle of the quad split at `position`, if one was.
  bool find(std::size_t position, std::uint32_t& second) const;

 private:
  LargeVector<std::uint64_t> bits;
  // For each word of bits, how many quads were recorded in the words before.
  LargeVector<std::uint32_t> before;
  LargeVector<std::uint32_t> seconds;
};

}  // namespace quillery
