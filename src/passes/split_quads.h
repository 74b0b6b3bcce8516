// Quad splitting: every quad becomes two triangles along its flatter
// diagonal, with the conditional lines around it kept consistent.
#pragma once

#include "elements/edge_line.h"
#include "elements/quad.h"
#include "model/model.h"

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

}  // namespace quillery
