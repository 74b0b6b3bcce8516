// An LDraw reading of its own that draws a file's surfaces the way a viewer
// applying back-face culling does, and a comparison that tells whether a
// written file shows every surface of its input facing and culled as before.
#pragma once

#include <filesystem>
#include <string>
#include <vector>

namespace quillery::testing {

// How a reader takes a CERTIFY line that names a winding after the first
// drawing line of its file: readers in use differ.
enum class LateCertify { kSwitchesWinding, kIgnored };

struct Vec3 {
  double x = 0.0;
  double y = 0.0;
  double z = 0.0;
};

// One triangle or quad in model coordinates, as a viewer draws it.
struct Surface {
  std::vector<Vec3> corners;  // 3 or 4, in the order of the line
  Vec3 front;                 // front-face normal, not normalised
  bool culled = false;        // the viewer hides its back face
  int color = 16;             // with inherited colours resolved
};

// The surfaces of `file` with every reference that names a file found in
// `library` (folders tried in order) drawn in place, to any depth; a
// reference that is not found draws nothing.
std::vector<Surface> flattenSurfaces(
    const std::filesystem::path& file,
    const std::vector<std::filesystem::path>& library, LateCertify reading);

// Empty when every surface of `output` lies on a surface of `input` (a quad
// may come back as two triangles on its corners) with the same culling and,
// when culled, a front normal on the same side, and every input surface is
// covered once; otherwise the counts and the first offending surfaces.
// Degenerate surfaces (zero normal) are left out on both sides.
// With `coloursKept`, an output surface must also have its input surface's
// colour.
std::string compareSurfaces(const std::vector<Surface>& input,
                            const std::vector<Surface>& output,
                            bool coloursKept = false);

// compareSurfaces of `input` (late CERTIFY lines switching, as the input is
// written to be read) against `output` read both ways; empty when both agree.
std::string checkFacesKept(const std::filesystem::path& input,
                           const std::filesystem::path& output,
                           const std::vector<std::filesystem::path>& library);

}  // namespace quillery::testing
