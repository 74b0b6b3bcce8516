// SubfileRef: an LDraw line of type 1, which places another file.
#pragma once

#include <string>
#include <string_view>

#include "elements/shape_element.h"

namespace quillery {

// A file placed at `position` with `matrix` in `color`. The file name is kept
// exactly as written, inner and trailing blanks included.
class SubfileRef final : public ShapeElement {
 public:
  // Parses a whole type-1 line. Numbers missing at the end leave their
  // fields at 0; a token that is not a number stops the reading there (the
  // rows read so far make the matrix) and leaves the file name empty.
  explicit SubfileRef(std::string_view line);
  SubfileRef(const SubfileRef& source);

  void swapXY() override;
  void swapYZ() override;
  void flattenY() override;
  std::string toText() const override;
  // Appends the line to `out`, as toText() gives it.
  void appendText(std::string& out) const;
  int typeCode() const override { return kSubfileType; }
  // Strictly positive planTurn of the position against the line.
  bool onPositiveSideOf(const EdgeLine& line) const override;
  // Projects the position onto `surface` and shears the matrix onto its
  // plane.
  void projectOnto(const Element& surface) override;
  // Moves the position only.
  void translate(const Vector& v) override;
  // position = t position, matrix = t x matrix.
  void transform(const Matrix& t) override;

  Point position;
  Matrix matrix;
  std::string fileName;
  // Index of the chain of files this reference was read from, kept by the
  // primitive expansion to refuse expanding a file inside itself; 0 is the
  // input file.
  std::int32_t sourceChain = 0;
};

}  // namespace quillery
