// Generator of large LDraw models for the benchmarks: a terraced height
// field with conditional and edge lines, Rect references and key-coloured
// references to a small subfile, the same bytes on every build and host.
#pragma once

#include <string>

namespace quillery::bench {

// Colour of the references to knob.dat, the ones `-k 16` flattens.
inline constexpr int kKeyColor = 16;

// The text of a generated model file (CR LF line ends) and its line count.
struct GeneratedModel {
  std::string text;
  long long lines = 0;
};

// A model of about `lines` lines: the surface grows row by row and stops at
// the last row that keeps the total within `lines`, but it always has one
// row, so very small requests give a few hundred lines. Depends on nothing
// but `lines`: no clock, no library random numbers, no floating point.
GeneratedModel generateModel(long long lines);

// A denser model of about `lines` lines, closer to flattened real parts:
// a height field of quads in which every vertex has its own small height,
// so almost every quad is slightly bent, and every interior side carries a
// conditional line. No references.
GeneratedModel generateDenseModel(long long lines);

// The subfiles the model references, each as its whole file text.
std::string rectText();    // p/rect.dat: a 2 x 2 square with four edges
std::string rect2pText();  // p/rect2p.dat: the square with two edges
std::string knobText();    // knob.dat: a tapered block with a pointed top

// Writes <dir>/model.dat of about `lines` lines, <dir>/p/rect.dat,
// <dir>/p/rect2p.dat and <dir>/knob.dat, creating the folders. False when a
// folder or a file could not be written completely.
// With `dense`, model.dat is the dense model instead.
[[nodiscard]] bool writeModel(const std::string& dir, long long lines,
                              bool dense = false);

}  // namespace quillery::bench
