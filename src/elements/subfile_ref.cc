// Subfile references: type-1 lines with position, matrix and file name.
#include "elements/subfile_ref.h"

#include "elements/edge_line.h"
#include "geometry/number_text.h"

namespace quillery {

SubfileRef::SubfileRef(std::string_view line) {
  std::size_t pos = readColorField(line);
  Point row1;
  Point row2;
  Point row3;
  std::optional<std::size_t> end =
      readPoints(line, pos, {&position, &row1, &row2, &row3});
  matrix = Matrix(row1, row2, row3);
  // After a token that is not a number nothing more is read: the name
  // stays empty rather than swallowing the rest of the numbers.
  if (end) fileName = std::string(line.substr(skipSpace(line, *end)));
}

SubfileRef::SubfileRef(const SubfileRef& source)
    : ShapeElement(source.color, source.hexColor),
      position(source.position),
      matrix(source.matrix),
      fileName(source.fileName),
      sourceChain(source.sourceChain) {}

void SubfileRef::swapXY() {
  position.swapXY();
  matrix.swapXY();
}

void SubfileRef::swapYZ() {
  position.swapYZ();
  matrix.swapYZ();
}

void SubfileRef::flattenY() {
  position.flattenY();
  matrix.flattenY();
}

std::string SubfileRef::toText() const {
  std::string line;
  appendText(line);
  return line;
}

void SubfileRef::appendText(std::string& out) const {
  appendHead(out, kSubfileType);
  position.appendText(out);
  out.push_back(' ');
  matrix.appendText(out);
  out.push_back(' ');
  out.append(fileName);
}

bool SubfileRef::onPositiveSideOf(const EdgeLine& line) const {
  return position.planTurn(line.p1, line.p2) > 0;
}

void SubfileRef::projectOnto(const Element& surface) {
  if (!surface.isSurface()) return;
  // The position moves onto the plane whether or not it lands inside.
  (void)surface.projectPoint(position);
  std::optional<Vector> n = surface.normal();
  if (n) matrix.shearToPlane(*n);
}

void SubfileRef::translate(const Vector& v) { v.addTo(position); }

void SubfileRef::transform(const Matrix& t) {
  position.setFrom(t.times(position));
  matrix = t.times(matrix);
}

}  // namespace quillery
