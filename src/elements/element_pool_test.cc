// Tests of the element memory: alignment and room of every pooled size, and
// large blocks released the way they were taken.
#include "elements/element_pool.h"

#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <vector>

#include "elements/huge_page_allocator.h"

namespace quillery {
namespace {

TEST(ElementPoolTest, SlotsAreAlignedAndDistinct) {
  std::vector<void*> taken;
  for (std::size_t size = 1; size <= 520; size += 7) {
    void* memory = ElementPool::allocate(size);
    EXPECT_EQ(reinterpret_cast<std::uintptr_t>(memory) % alignof(double), 0u)
        << size;
    // Filled whole: a slot shorter than asked would overwrite its neighbour.
    std::memset(memory, static_cast<int>(size), size);
    taken.push_back(memory);
  }
  for (std::size_t k = 0; k < taken.size(); ++k) {
    const std::size_t size = 1 + 7 * k;
    EXPECT_EQ(*static_cast<unsigned char*>(taken[k]),
              static_cast<unsigned char>(size));
    ElementPool::release(taken[k], size);
  }
}

TEST(ElementPoolTest, LargeBlocksAroundTheMappingSizes) {
  constexpr std::size_t kMiB = std::size_t{1} << 20;
  for (std::size_t bytes : {kMiB - 8, kMiB, kMiB + 8, 2 * kMiB - 8, 2 * kMiB,
                            2 * kMiB + 8, 5 * kMiB + 8}) {
    char* memory = static_cast<char*>(allocateLarge(bytes));
    memory[0] = 1;
    memory[bytes - 1] = 2;
    releaseLarge(memory, bytes);
  }
}

}  // namespace
}  // namespace quillery
