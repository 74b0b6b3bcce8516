// Hash grid with open addressing; each cell heads a singly linked list of
// entries kept in one array.
#include "passes/spatial_index.h"

#include <cmath>

namespace quillery {

namespace {

// Cells per unit of length. A power of two, so that scaling a coordinate is
// exact and two coinciding points land in the same or in adjacent cells.
constexpr double kCellsPerUnit = 16;
// Half the side of the searched box: twice the coincidence tolerance, a
// margin for the rounding of the coordinate differences.
constexpr double kReach = 2 * kCoincidenceTolerance;
// Cell numbers are clamped here; far-away points share the edge cells.
constexpr double kCellLimit = 4611686018427387904.0;  // 2^62

std::int64_t cellNumber(double coordinate) {
  double scaled = std::floor(coordinate * kCellsPerUnit);
  if (!(scaled < kCellLimit)) return static_cast<std::int64_t>(kCellLimit);
  if (!(scaled > -kCellLimit)) return -static_cast<std::int64_t>(kCellLimit);
  return static_cast<std::int64_t>(scaled);
}

bool isFinite(const Point& p) {
  return std::isfinite(p.x) && std::isfinite(p.y) && std::isfinite(p.z);
}

std::uint64_t mix(std::int64_t x, std::int64_t y, std::int64_t z) {
  std::uint64_t h = static_cast<std::uint64_t>(x) * 0x9E3779B97F4A7C15ull;
  h ^= static_cast<std::uint64_t>(y) * 0xC2B2AE3D27D4EB4Full + (h >> 29);
  h ^= static_cast<std::uint64_t>(z) * 0x165667B19E3779F9ull + (h >> 32);
  return h ^ (h >> 31);
}

}  // namespace

std::size_t SpatialIndex::slotOf(std::int64_t x, std::int64_t y,
                                 std::int64_t z) const {
  std::size_t mask = cells.size() - 1;
  std::size_t slot = static_cast<std::size_t>(mix(x, y, z)) & mask;
  while (cells[slot].head != kNone &&
         (cells[slot].x != x || cells[slot].y != y || cells[slot].z != z)) {
    slot = (slot + 1) & mask;
  }
  return slot;
}

void SpatialIndex::grow() {
  std::vector<Cell> old(cells.size() * 2);
  old.swap(cells);
  for (const Cell& cell : old) {
    if (cell.head != kNone) cells[slotOf(cell.x, cell.y, cell.z)] = cell;
  }
}

void SpatialIndex::add(const Point& point, std::uint32_t position) {
  if (!isFinite(point)) return;
  if (2 * (usedCells + 1) > cells.size()) grow();
  std::int64_t x = cellNumber(point.x);
  std::int64_t y = cellNumber(point.y);
  std::int64_t z = cellNumber(point.z);
  Cell& cell = cells[slotOf(x, y, z)];
  if (cell.head == kNone) {
    cell.x = x;
    cell.y = y;
    cell.z = z;
    ++usedCells;
  }
  entries.push_back(Entry{position, cell.head});
  cell.head = static_cast<std::uint32_t>(entries.size() - 1);
}

void SpatialIndex::collectNear(const Point& point,
                               std::vector<std::uint32_t>& positions) const {
  if (!isFinite(point)) return;
  std::int64_t lowX = cellNumber(point.x - kReach);
  std::int64_t highX = cellNumber(point.x + kReach);
  std::int64_t lowY = cellNumber(point.y - kReach);
  std::int64_t highY = cellNumber(point.y + kReach);
  std::int64_t lowZ = cellNumber(point.z - kReach);
  std::int64_t highZ = cellNumber(point.z + kReach);
  for (std::int64_t x = lowX; x <= highX; ++x) {
    for (std::int64_t y = lowY; y <= highY; ++y) {
      for (std::int64_t z = lowZ; z <= highZ; ++z) {
        const Cell& cell = cells[slotOf(x, y, z)];
        for (std::uint32_t k = cell.head; k != kNone; k = entries[k].next) {
          positions.push_back(entries[k].position);
        }
      }
    }
  }
}

}  // namespace quillery
