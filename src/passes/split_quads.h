// Quad splitting: every quad becomes two triangles along its flatter
// diagonal, with the conditional lines around it kept consistent.
#pragma once

#include <cstdint>
#include <initializer_list>
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

// Replaces every conditional line that lies on a side of `quad` by a
// placeholder.
void removeCondLinesOn(Model& model, const Quad& quad);

// Appends a conditional line along each side of `triangle` (not in the
// list) where the first surface of the list sharing that side meets it at a
// fold of at least 0.1 degrees and below 90; a surface at 90 or more is
// passed over for a later one.
void addCondLinesAlong(Model& model, Element& triangle);

// The splitting pass over one model, with the surfaces and conditional
// lines of the list filed by their points so that each neighbour search
// looks only at entries near the edge instead of scanning the whole list.
// The search still takes candidates in list order and applies the exact
// edge and angle tests, so the result is that of a full scan.
class QuadSplitter {
 public:
  explicit QuadSplitter(Model& model);

  // Files every surface and conditional line of the model; from then on
  // every element appended is filed too.
  void fileModel();

  void splitQuads(int keyColor, bool manageCondLines);
  void removeCondLinesOn(const Quad& quad);
  void addCondLinesAlong(Element& triangle);

 private:
  // Appends `element` to the model (and files it once filing has begun).
  void append(std::unique_ptr<Element> element);
  // Appends the second triangle of the quad split at `quadPosition`.
  void appendSecondTriangle(std::size_t quadPosition,
                            std::unique_ptr<Element> triangle);
  // Starts loading the index cells of the element's points.
  void prefetchCorners(const Element& element) const;
  // Files `triangle` among the pinched triangles when it is one.
  void filePinched(const Triangle& triangle, std::uint32_t position);
  // Puts the first triangle of a split quad in the quad's place.
  void putFirstTriangle(std::size_t position,
                        std::unique_ptr<Element> triangle);
  void file(std::size_t position);
  // Files the (at most four) `filedPoints` under `position` in `layer`, and
  // tells `recent` of them.
  void file(std::uint32_t position,
            std::initializer_list<const Point*> filedPoints, int layer,
            RecentQueries& recent);

  // True when `surface`, at `position`, is a quad that the running pass
  // will split after the current one.
  bool splitLater(std::size_t position, const Element& surface) const;

  // Fills `candidates` with the positions, in list order, of every surface
  // that may have the side `edge`.
  void collectSurfacesAlong(const EdgeLine& edge);

  Model& model;
  bool filing = false;
  // The position of the quad being split while splitQuads runs (past every
  // position otherwise), and the colour the pass splits (-1 for every quad).
  std::size_t splitting = SIZE_MAX;
  int splitColor = -1;
  // Surfaces by each vertex, and conditional lines by their first end
  // point, in the two layers of one index.
  static constexpr int kSurfaceLayer = 0;
  static constexpr int kCondLineLayer = 1;
  SpatialIndex points;
  // Triangles with two vertices so close that both may coincide with one
  // end of an edge: they can have a side without touching its other end.
  SpatialIndex pinchedTriangles;
  RecentQueries recentSurfaces{points, kSurfaceLayer};
  RecentQueries recentCondLines{points, kCondLineLayer};
  SecondTriangles secondTriangles;
  std::vector<std::uint32_t> candidates;
};

}  // namespace quillery
