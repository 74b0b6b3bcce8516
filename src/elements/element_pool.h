// ElementPool: the memory that elements live in. A model holds millions of
// small elements of a handful of sizes; taking them from large blocks kept
// per size is much cheaper than one general allocation each.
#pragma once

#include <cstddef>

namespace quillery {

// Hands out and takes back memory for elements. Blocks are reserved in
// large chunks that are never returned to the system; freed memory is kept
// per size for the next element of that size, by each thread for itself.
// In sanitiser builds every request goes to the general allocator so that
// misuse of freed elements is still caught.
class ElementPool {
 public:
  // Memory for one object of `size` bytes, aligned for any element.
  static void* allocate(std::size_t size);
  // Returns memory from allocate() with the same `size`.
  static void release(void* memory, std::size_t size);
};

}  // namespace quillery
