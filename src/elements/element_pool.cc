// Size-segregated free lists over large chunks. Chunks are asked to be
// backed by huge pages where the host allows it: a model of a million
// elements otherwise spends a good part of its time in page faults.
#include "elements/element_pool.h"

#include <bit>
#include <cstdint>
#include <cstdlib>
#include <new>

#include "elements/huge_page_allocator.h"

#if !defined(_WIN32)
#include <sys/mman.h>
#endif

#if defined(__SANITIZE_ADDRESS__)
#define QUILLERY_POOL_DISABLED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUILLERY_POOL_DISABLED 1
#endif
#endif

namespace quillery {

namespace {

// Blocks at least this large are mapped by themselves, in whole huge
// pages: the host then places them on a huge page boundary, and none of
// their memory falls back to small pages. A block takes at most twice its
// size, as a growing array does anyway.
[[maybe_unused]] constexpr std::size_t kLargeBlock = std::size_t{1} << 20;
[[maybe_unused]] constexpr std::size_t kHugePage = std::size_t{2} << 20;

[[maybe_unused]] bool mappedAlone(std::size_t bytes) {
  return bytes >= kLargeBlock;
}

[[maybe_unused]] std::size_t mappedSize(std::size_t bytes) {
  return (bytes + kHugePage - 1) / kHugePage * kHugePage;
}

// Anonymous memory is mapped from no file.
[[maybe_unused]] constexpr int kNoFile = -1;

#if !defined(QUILLERY_POOL_DISABLED)
// Elements hold doubles: eight-byte steps keep every slot aligned for them
// and waste at most seven bytes an element.
constexpr std::size_t kGranule = 8;
constexpr std::size_t kLargestPooled = 256;
constexpr std::size_t kClasses = kLargestPooled / kGranule;
static_assert(kClasses <= 32, "one bit per size class");
constexpr std::size_t kChunkSize = std::size_t{32} << 20;

struct FreeSlot {
  FreeSlot* next;
};

struct PoolState {
  FreeSlot* freeLists[kClasses] = {};
  // Bit k is set while freeLists[k] holds a slot.
  std::uint32_t nonEmpty = 0;
  char* chunkNext = nullptr;
  char* chunkEnd = nullptr;
};

// One pool per thread, so that a file can be parsed on two threads at once.
// Memory freed on one thread is kept for reuse by that thread, whichever
// thread's chunk it came from; chunks are never returned, so that is safe.
PoolState& state() {
  static thread_local PoolState pool;
  return pool;
}

char* newChunk() { return static_cast<char*>(allocateLarge(kChunkSize)); }
#endif

}  // namespace

void* allocateLarge(std::size_t bytes) {
#if !defined(_WIN32) && !defined(QUILLERY_POOL_DISABLED)
  if (mappedAlone(bytes)) {
    const std::size_t size = mappedSize(bytes);
    void* memory = mmap(nullptr, size, PROT_READ | PROT_WRITE,
                        MAP_PRIVATE | MAP_ANONYMOUS, kNoFile, 0);
    if (memory == MAP_FAILED) throw std::bad_alloc();
#if defined(MADV_HUGEPAGE)
    (void)madvise(memory, size, MADV_HUGEPAGE);
#endif
    return memory;
  }
#endif
  return ::operator new(bytes);
}

void releaseLarge(void* memory, std::size_t bytes) {
#if !defined(_WIN32) && !defined(QUILLERY_POOL_DISABLED)
  if (mappedAlone(bytes)) {
    (void)munmap(memory, mappedSize(bytes));
    return;
  }
#endif
  ::operator delete(memory, bytes);
}

void* ElementPool::allocate(std::size_t size) {
#if defined(QUILLERY_POOL_DISABLED)
  return ::operator new(size);
#else
  if (size == 0 || size > kLargestPooled) return ::operator new(size);
  std::size_t slotClass = (size - 1) / kGranule;
  PoolState& pool = state();
  // A freed slot of this size, or else of a larger one: when a pass
  // replaces elements of one kind by smaller ones (quads by triangles), the
  // memory of the old ones is used again before fresh memory is touched.
  // Larger slots are borrowed up to half again the size asked for, so that
  // a placeholder never takes the slot a triangle could use.
  std::size_t largestClass = ((slotClass + 1) * 3 / 2) - 1;
  std::uint32_t window =
      largestClass + 1 >= kClasses
          ? ~std::uint32_t{0}
          : (std::uint32_t{1} << (largestClass + 1)) - 1;
  if (std::uint32_t available = (pool.nonEmpty & window) >> slotClass) {
    std::size_t candidate = slotClass + std::countr_zero(available);
    FreeSlot* slot = pool.freeLists[candidate];
    pool.freeLists[candidate] = slot->next;
    if (slot->next == nullptr) {
      pool.nonEmpty &= ~(std::uint32_t{1} << candidate);
    }
    return slot;
  }
  std::size_t slotSize = (slotClass + 1) * kGranule;
  if (pool.chunkNext == nullptr ||
      static_cast<std::size_t>(pool.chunkEnd - pool.chunkNext) < slotSize) {
    // The rest of the old chunk (smaller than one slot) is left unused.
    pool.chunkNext = newChunk();
    pool.chunkEnd = pool.chunkNext + kChunkSize;
  }
  void* memory = pool.chunkNext;
  pool.chunkNext += slotSize;
  return memory;
#endif
}

void ElementPool::release(void* memory, std::size_t size) {
#if defined(QUILLERY_POOL_DISABLED)
  ::operator delete(memory, size);
#else
  if (memory == nullptr) return;
  if (size == 0 || size > kLargestPooled) {
    ::operator delete(memory, size);
    return;
  }
  std::size_t slotClass = (size - 1) / kGranule;
  PoolState& pool = state();
  auto* slot = static_cast<FreeSlot*>(memory);
  slot->next = pool.freeLists[slotClass];
  pool.freeLists[slotClass] = slot;
  pool.nonEmpty |= std::uint32_t{1} << slotClass;
#endif
}

}  // namespace quillery
