// Quad splitting: every quad becomes two triangles along its flatter
// diagonal, with the conditional lines around it kept consistent.
#pragma once

#include <cstdint>
#include <vector>

#include "elements/edge_line.h"
#include "elements/quad.h"
#include "elements/triangle.h"
#include "model/model.h"
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

// The splitting pass over one model, with the surfaces of the list filed by
// their corners so that each neighbour search looks only at entries near
// the edge instead of scanning the whole list. The search still takes
// candidates in list order and applies the exact edge and angle tests, so
// the result is that of a full scan. Conditional lines are not looked up
// at all: which ones the splits would remove is known from the quads to be
// split, so those of the list go before the first split, and a new line
// that a later split would remove is not made (removed lines are never
// written, so the written file is the same).
class QuadSplitter {
 public:
  explicit QuadSplitter(Model& model);

  void splitQuads(int keyColor, bool manageCondLines);

 private:
  // Files every surface of the model.
  void fileModel();
  // Appends a conditional line along each side of `triangle` (not in the
  // list) where the first surface of the list sharing that side meets it at
  // a fold of at least 0.1 degrees and below 90; a surface at 90 or more is
  // passed over for a later one. A side that a quad still to be split has
  // gets no line: that split would remove it.
  void addCondLinesAlong(Element& triangle);
  // Appends the second triangle of the quad split at `quadPosition`.
  void appendSecondTriangle(std::size_t quadPosition,
                            std::unique_ptr<Element> triangle);
  // Removes every conditional line that lies on a side of a quad that the
  // pass splits.
  void removeCondLinesOnSplitQuads();
  // Starts loading the index cells of the element's points.
  void prefetchCorners(const Element& element) const;
  // Files `triangle` among the pinched triangles when it is one.
  void filePinched(const Triangle& triangle, std::uint32_t position);
  // Puts the first triangle of a split quad in the quad's place.
  void putFirstTriangle(std::size_t position,
                        std::unique_ptr<Element> triangle);
  void file(std::size_t position);

  // Fills `candidates` with the positions, in list order, of every surface
  // that may have the side `edge`.
  void collectSurfacesAlong(const EdgeLine& edge);
  // True when a quad that the pass is still to split has the side `edge`;
  // `candidates` must hold the surfaces along it.
  bool splitQuadHasSide(const EdgeLine& edge) const;

  Model& model;
  // The colour of the quads split (-1 for every quad).
  int splitColor = -1;
  // Surfaces by each vertex.
  SpatialIndex points;
  // Triangles with two vertices so close that both may coincide with one
  // end of an edge: they can have a side without touching its other end.
  SpatialIndex pinchedTriangles;
  RecentQueries recentSurfaces{points};
  SecondTriangles secondTriangles;
  std::vector<std::uint32_t> candidates;
};

}  // namespace quillery
