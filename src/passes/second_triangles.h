// SecondTriangles: where the second triangle of each split quad went, by the
// quad's position (the first triangle took the quad's place).
#pragma once

#include <bit>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace quillery {

// Quads are split in list order, so their positions arrive in increasing
// order. A bit per list position up to the last split quad says which were
// split, and the second triangles are kept in split order: a few bits per
// list entry instead of a full position for every one (flattened models
// hold tens of millions of entries, most of them no quad).
class SecondTriangles {
 public:
  // Records `second` for the quad at `quadPosition`, which must lie past
  // every quad recorded before.
  void add(std::size_t quadPosition, std::uint32_t second) {
    const std::size_t word = quadPosition / 64;
    while (bits.size() <= word) {
      bits.push_back(0);
      before.push_back(static_cast<std::uint32_t>(seconds.size()));
    }
    bits[word] |= std::uint64_t{1} << (quadPosition % 64);
    seconds.push_back(second);
  }

  // The second triangle of the quad split at `position`, if one was.
  bool find(std::size_t position, std::uint32_t& second) const {
    const std::size_t word = position / 64;
    if (word >= bits.size()) return false;
    const std::uint64_t bit = std::uint64_t{1} << (position % 64);
    if ((bits[word] & bit) == 0) return false;
    second = seconds[before[word] + std::popcount(bits[word] & (bit - 1))];
    return true;
  }

 private:
  std::vector<std::uint64_t> bits;
  // For each word of bits, how many quads were recorded in the words before.
  std::vector<std::uint32_t> before;
  std::vector<std::uint32_t> seconds;
};

}  // namespace quillery
