// HugePageAllocator: an allocator for the large arrays of the model and its
// indexes, asking the host for huge pages under them.
#pragma once

#include <cstddef>
#include <new>
#include <vector>

namespace quillery {

// Large blocks (a MiB and more) are mapped by themselves and advised
// to use huge pages: filling hundreds of MiB through 4 KiB page faults
// costs more than the work done on them. Small blocks come from the
// general allocator.
void* allocateLarge(std::size_t bytes);
void releaseLarge(void* memory, std::size_t bytes);

template <typename T>
struct HugePageAllocator {
  using value_type = T;

  HugePageAllocator() = default;
  template <typename U>
  HugePageAllocator(const HugePageAllocator<U>&) {}

  T* allocate(std::size_t count) {
    return static_cast<T*>(allocateLarge(count * sizeof(T)));
  }
  void deallocate(T* memory, std::size_t count) {
    releaseLarge(memory, count * sizeof(T));
  }

  template <typename U>
  bool operator==(const HugePageAllocator<U>&) const {
    return true;
  }
};

// A vector that may grow to many MiB.
template <typename T>
using LargeVector = std::vector<T, HugePageAllocator<T>>;

}  // namespace quillery
