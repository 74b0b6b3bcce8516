// Hash grid with open addressing; each cell heads a list of its entries,
// kept in one array.
#include "passes/spatial_index.h"

#include <algorithm>
#include <cmath>

namespace quillery {

namespace {

// Cells per unit of length. Scaling and shifting a coordinate is monotonic,
// so two coinciding points land in the same or in adjacent cells.
constexpr double kCellsPerUnit = 16;
// Cell boundaries are moved off the round coordinates that models are full
// of, so that the box around a vertex rarely straddles two cells.
constexpr double kCellOffset = 0.4142;
// Half the side of the searched box: twice the coincidence tolerance, a
// margin for the rounding of the coordinate differences.
constexpr double kReach = 2 * kCoincidenceTolerance;
// Cell numbers are clamped here (2^30, some 67 million units out); points
// farther away share the edge cells, which only makes their queries slower.
constexpr double kCellLimit = 1073741824.0;

std::int32_t cellNumber(double coordinate) {
  double scaled = coordinate * kCellsPerUnit + kCellOffset;
  if (!(scaled < kCellLimit)) return static_cast<std::int32_t>(kCellLimit);
  if (!(scaled > -kCellLimit)) return -static_cast<std::int32_t>(kCellLimit);
  // The floor, without a library call: truncation rounds negative values
  // up, so step those back by one.
  auto cell = static_cast<std::int32_t>(scaled);
  if (static_cast<double>(cell) > scaled) --cell;
  return cell;
}

bool isFinite(const Point& p) {
  return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

std::uint64_t hashOf(std::int32_t x, std::int32_t y, std::int32_t z) {
  std::uint64_t h = static_cast<std::uint64_t>(x) * 0x9E3779B97F4A7C15ull;
  h = (h ^ (h >> 32)) + static_cast<std::uint64_t>(y) * 0xC2B2AE3D27D4EB4Full;
  h = (h ^ (h >> 29)) + static_cast<std::uint64_t>(z) * 0x165667B19E3779F9ull;
  h ^= h >> 32;
  h *= 0xD6E8FEB86659FD93ull;
  return h ^ (h >> 32);
}

constexpr std::uint64_t kIndexMask = 0xffffffffull;

}  // namespace

std::size_t SpatialIndex::slotOf(std::int32_t x, std::int32_t y, std::int32_t z,
                                 std::uint64_t hash) const {
  const std::size_t mask = slots.size() - 1;
  const std::uint64_t tag = hash & ~kIndexMask;
  std::size_t slot = static_cast<std::size_t>(hash) & mask;
  for (;; slot = (slot + 1) & mask) {
    std::uint64_t entry = slots[slot];
    if (entry == 0) return slot;
    if ((entry & ~kIndexMask) != tag) continue;
    const Cell& cell = cells[(entry & kIndexMask) - 1];
    if (cell.x == x && cell.y == y && cell.z == z) return slot;
  }
}

void SpatialIndex::rehash(std::size_t size) {
  decltype(slots) old(size);
  old.swap(slots);
  for (std::uint64_t entry : old) {
    if (entry == 0) continue;
    const Cell& cell = cells[(entry & kIndexMask) - 1];
    slots[slotOf(cell.x, cell.y, cell.z, hashOf(cell.x, cell.y, cell.z))] =
        entry;
  }
}

void SpatialIndex::reserve(std::size_t cellCount, std::size_t entryCount) {
  entries.reserve(entryCount);
  cells.reserve(cellCount);
  // Slots stay at most three quarters full: the tags keep a probe past a
  // slot of another cell from reading that cell.
  std::size_t size = slots.size();
  while (3 * size < 4 * cellCount) size *= 2;
  if (size > slots.size()) rehash(size);
}

bool SpatialIndex::cellOf(const Point& point, CellNumbers& cell) {
  if (!isFinite(point)) return false;
  cell = CellNumbers{cellNumber(point.x), cellNumber(point.y),
                     cellNumber(point.z)};
  return true;
}

bool SpatialIndex::boxAround(const Point& point, CellBox& box) {
  if (!isFinite(point)) return false;
  box.low =
      CellNumbers{cellNumber(point.x - kReach), cellNumber(point.y - kReach),
                  cellNumber(point.z - kReach)};
  box.high =
      CellNumbers{cellNumber(point.x + kReach), cellNumber(point.y + kReach),
                  cellNumber(point.z + kReach)};
  return true;
}

void SpatialIndex::add(const Point& point, std::uint32_t position) {
  CellNumbers numbers;
  if (cellOf(point, numbers)) {
    add(numbers, hashOf(numbers.x, numbers.y, numbers.z), position);
  }
}

void SpatialIndex::add(const std::vector<Filing>& filings) {
  constexpr std::size_t kGroup = 32;
  CellNumbers numbers[kGroup];
  std::uint64_t hashes[kGroup];
  bool finite[kGroup];
  for (std::size_t start = 0; start < filings.size(); start += kGroup) {
    const std::size_t count = std::min(kGroup, filings.size() - start);
    for (std::size_t k = 0; k < count; ++k) {
      finite[k] = cellOf(*filings[start + k].point, numbers[k]);
      if (!finite[k]) continue;
      hashes[k] = hashOf(numbers[k].x, numbers[k].y, numbers[k].z);
      // A slot that a growing table moves is only a wasted request.
      __builtin_prefetch(
          &slots[static_cast<std::size_t>(hashes[k]) & (slots.size() - 1)]);
    }
    for (std::size_t k = 0; k < count; ++k) {
      if (finite[k]) add(numbers[k], hashes[k], filings[start + k].position);
    }
  }
}

void SpatialIndex::add(const CellNumbers& numbers, std::uint64_t hash,
                       std::uint32_t position) {
  const std::int32_t x = numbers.x;
  const std::int32_t y = numbers.y;
  const std::int32_t z = numbers.z;
  std::size_t slot = slotOf(x, y, z, hash);
  if (slots[slot] == 0) {
    if (4 * (cells.size() + 1) > 3 * slots.size()) {
      rehash(slots.size() * 2);
      slot = slotOf(x, y, z, hash);
    }
    cells.push_back(Cell{x, y, z, kNone});
    slots[slot] = (hash & ~kIndexMask) | cells.size();
  }
  Cell& cell = cells[(slots[slot] & kIndexMask) - 1];
  entries.push_back(Entry{position, cell.head});
  cell.head = static_cast<std::uint32_t>(entries.size() - 1);
}

void SpatialIndex::prefetch(const Point& point) const {
  CellNumbers numbers;
  if (!cellOf(point, numbers)) return;
  std::uint64_t hash = hashOf(numbers.x, numbers.y, numbers.z);
  __builtin_prefetch(
      &slots[static_cast<std::size_t>(hash) & (slots.size() - 1)]);
}

void SpatialIndex::collectNear(const Point& point,
                               std::vector<std::uint32_t>& positions) const {
  CellBox box;
  if (boxAround(point, box)) collectNear(box, positions);
}

void SpatialIndex::collectNear(const CellBox& box,
                               std::vector<std::uint32_t>& positions) const {
  for (std::int32_t x = box.low.x; x <= box.high.x; ++x) {
    for (std::int32_t y = box.low.y; y <= box.high.y; ++y) {
      for (std::int32_t z = box.low.z; z <= box.high.z; ++z) {
        std::uint64_t slot = slots[slotOf(x, y, z, hashOf(x, y, z))];
        if (slot == 0) continue;
        for (std::uint32_t k = cells[(slot & kIndexMask) - 1].head;
             k != kNone; k = entries[k].next) {
          positions.push_back(entries[k].position);
        }
      }
    }
  }
}

}  // namespace quillery
