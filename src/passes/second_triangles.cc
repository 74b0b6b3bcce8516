// The split quads' bit per list position, with running counts per word.
#include "passes/second_triangles.h"

#include <bit>

namespace quillery {

void SecondTriangles::reserve(std::size_t quads, std::size_t listSize) {
  bits.reserve(listSize / 64 + 1);
  before.reserve(listSize / 64 + 1);
  seconds.reserve(quads);
}

void SecondTriangles::add(std::size_t quadPosition, std::uint32_t second) {
  const std::size_t word = quadPosition / 64;
  while (bits.size() <= word) {
    bits.push_back(0);
    before.push_back(static_cast<std::uint32_t>(seconds.size()));
  }
  bits[word] |= std::uint64_t{1} << (quadPosition % 64);
  seconds.push_back(second);
}

bool SecondTriangles::find(std::size_t position, std::uint32_t& second) const {
  const std::size_t word = position / 64;
  if (word >= bits.size()) return false;
  const std::uint64_t bit = std::uint64_t{1} << (position % 64);
  if ((bits[word] & bit) == 0) return false;
  second = seconds[before[word] + std::popcount(bits[word] & (bit - 1))];
  return true;
}

}  // namespace quillery
