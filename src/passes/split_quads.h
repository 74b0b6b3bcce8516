// Quad splitting: every quad becomes two triangles along its flatter
// diagonal, with the conditional lines around it kept consistent.
#pragma once

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <memory>
#include <vector>

#include "elements/edge_line.h"
#include "elements/huge_page_allocator.h"
#include "elements/quad.h"
#include "elements/triangle.h"
#include "geometry/point.h"
#include "model/model.h"
#include "model/side_by_side.h"
#include "passes/recent_queries.h"
#include "passes/second_triangles.h"
#include "passes/spatial_index.h"

namespace quillery {

// Fold angles, in degrees, between which a conditional line is made.
inline constexpr double kMinFoldAngle = 0.1;
inline constexpr double kMaxFoldAngle = 90;

// Splits every quad of the model (only those of `keyColor` when it is 0 or
// more). The first triangle takes the quad's place, the second goes to the
// end of the list. With `manageCondLines`, the conditional lines on the
// quad's sides are removed and new ones (colour 24) are appended where the
// new triangles meet another surface at a fold of at least 0.1 and below 90
// degrees, and along the diagonal when the split bends.
void splitQuads(Model& model, int keyColor, bool manageCondLines);

// How the splitting pass shares its work between two threads.
struct SplitBatching {
  // The most quads in a batch, and the most list positions it spans (for
  // the table of its quads). Large enough that handing a batch's searches
  // over costs next to nothing, small enough that the pieces made for it
  // are still in the cache when they go into the list.
  std::size_t quads = 512;
  std::size_t span = std::size_t{1} << 16;
  // Below this many quads, sharing a batch with the other thread costs
  // more than it saves.
  std::size_t smallestShared = 256;
  // The threads take turns at this many quads of a batch, and at this many
  // list entries when they look for the conditional lines on the sides of
  // quads to be split.
  std::size_t quadsPerTurn = 32;
  std::size_t entriesPerTurn = 2048;
};

// The splitting pass over one model, with the surfaces of the list filed by
// their corners so that each neighbour search looks only at entries near
// the edge instead of scanning the whole list. The search still takes
// candidates in list order and applies the exact edge and angle tests, so
// the result is that of a full scan. Conditional lines are not looked up
// at all: which ones the splits would remove is known from the quads to be
// split, so those of the list go before the first split, and a new line
// that a later split would remove is not made (removed lines are never
// written, so the written file is the same).
//
// What a split's searches see depends only on the quad's place in the
// list: quads before it are triangles by then (their second triangles at
// the end, in split order), quads after it are still quads, and the lines
// the splits append are no surfaces. So the quads are split in batches:
// the pieces of every quad of a batch are made first, then the searches of
// the batch run on two threads, each split looking at the list as it will
// stand when that quad's turn comes, and last the pieces and the lines
// found go into the list in split order, as one thread would have put them.
class QuadSplitter {
 public:
  explicit QuadSplitter(Model& model, SplitBatching batching = {});

  void splitQuads(int keyColor, bool manageCondLines);

 private:
  // A conditional line that the split of a batch's quad `ordinal` appends.
  struct NewLine {
    std::size_t ordinal;
    Point p1, p2, p3, p4;
  };
  // What one thread needs to look for the surfaces along a side, and what
  // it found. Each thread's lies on cache lines of its own: a line written
  // by both threads would go back and forth between their caches.
  struct alignas(64) Search {
    explicit Search(const SpatialIndex& points) : recentSurfaces(points) {}
    RecentQueries recentSurfaces;
    // The positions of the surfaces along the side last looked at.
    std::vector<std::uint32_t> candidates;
    std::vector<NewLine> found;
    // Conditional lines of the list on a side of a quad to be split.
    LargeVector<std::uint32_t> onSplitQuads;
  };
  // A quad of the batch, its pieces and what its searches found.
  struct BatchQuad {
    std::uint32_t position;
    std::unique_ptr<Element> first;
    std::unique_ptr<Element> second;
    std::unique_ptr<Element> diagonal;
    bool keepDiagonal = false;
  };

  // Files every surface of the model, and chooses the diagonal of every
  // quad to be split.
  void fileModel();
  // Chooses the diagonals of the quads to be split from `begin` to `end`.
  void chooseSplits(std::size_t begin, std::size_t end);
  // True for a quad that the pass splits.
  bool splits(const Element& element) const;
  // Removes every conditional line that lies on a side of a quad that the
  // pass splits.
  void removeCondLinesOnSplitQuads();
  // Finds those lines among the list entries from `begin` to `end`.
  void findCondLinesOnSplitQuads(std::size_t begin, std::size_t end,
                                 Search& search);
  // Runs work(begin, end, search) over the range from 0 to `count` in
  // turns of `turn`, on this thread and on the helper, each with its own
  // search; each thread takes its turns in increasing order. This thread
  // runs callerFirst() before its first turn.
  template <typename Work, typename First = void (*)()>
  void shareOut(std::size_t count, std::size_t turn, Work work,
                First callerFirst = [] {});
  // Splits the quads from `position` on, up to a batch of them and short of
  // `end`, and returns the position after the last one split.
  std::size_t splitBatch(std::size_t position, std::size_t end);
  // Splits the batch's quads into their pieces.
  void makePieces();
  // The searches of the batch's quads from `begin` to `end`.
  void searchBatch(std::size_t begin, std::size_t end, Search& search);
  // Puts the pieces of the batch's quads and the lines found in the list.
  void applyBatch();

  // The element at `position` as the split of the batch's quad `ordinal`
  // sees the list; positions from `batchEnd` on are the second triangles
  // of the batch's quads split before it.
  const Element& seenAt(std::uint32_t position, std::size_t ordinal) const;
  // True, with its place in the batch, when a quad of the batch stands at
  // `position`.
  bool inBatch(std::uint32_t position, std::size_t& ordinal) const;

  // Records a conditional line along each side of `triangle` (not in the
  // list) where the first surface of the list sharing that side meets it at
  // a fold of at least 0.1 degrees and below 90; a surface at 90 or more is
  // passed over for a later one. A side that a quad still to be split has
  // gets no line: that split would remove it.
  void addCondLinesAlong(const Triangle& triangle, std::size_t ordinal,
                         Search& search) const;
  // Fills the search's candidates with the positions, in list order, of
  // every surface that may have the side `edge`.
  void collectSurfacesAlong(const EdgeLine& edge, std::size_t ordinal,
                            Search& search) const;
  // True when a quad that the pass is still to split has the side `edge`;
  // the search's candidates must hold the surfaces along it.
  bool splitQuadHasSide(const EdgeLine& edge, std::size_t ordinal,
                        const Search& search) const;

  // Starts loading the index cells of the quad's corners.
  void prefetchCorners(const Quad& quad) const;
  // Files `triangle` among the pinched triangles when it is one.
  void filePinched(const Triangle& triangle, std::uint32_t position);
  // Adds the corners of the surface at `position` to `group`, to be filed.
  void collectCorners(std::size_t position,
                      std::vector<SpatialIndex::Filing>& group);

  Model& model;
  const SplitBatching batching;
  // The colour of the quads split (-1 for every quad).
  int splitColor = -1;
  // Surfaces by each vertex.
  SpatialIndex points;
  // Triangles with two vertices so close that both may coincide with one
  // end of an edge: they can have a side without touching its other end.
  SpatialIndex pinchedTriangles;
  SecondTriangles secondTriangles;
  // The diagonal chosen for the quad at each position.
  LargeVector<Quad::SplitChoice> choices;

  std::vector<BatchQuad> batch;
  // For each list position from batchStart on that the batch spans, the
  // place in the batch of the quad there, or kNotInBatch.
  static constexpr std::uint32_t kNotInBatch = 0xffffffffu;
  std::uint32_t batchStart = 0;
  std::vector<std::uint32_t> batchOrdinals;
  // The batch's quads whose second triangle is pinched.
  std::vector<std::size_t> pinchedSeconds;
  // The size of the list when the batch's searches run.
  std::uint32_t batchEnd = 0;
  Search searches[2] = {Search(points), Search(points)};
  // The start of the next turn that shareOut() gives out.
  alignas(64) std::atomic<std::size_t> nextTurn{0};
  HelperThread helper;
};

}  // namespace quillery
