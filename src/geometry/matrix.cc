// Matrix arithmetic, evaluated in the order written.
#include "geometry/matrix.h"

#include <utility>

#include "geometry/number_text.h"

namespace quillery {

Matrix::Matrix(const Point& row1, const Point& row2, const Point& row3)
    : a(row1.x), b(row1.y), c(row1.z),
      d(row2.x), e(row2.y), f(row2.z),
      g(row3.x), h(row3.y), i(row3.z) {}

void Matrix::print() const {}

void Matrix::swapXY() {
  std::swap(a, d);
  std::swap(b, e);
  std::swap(c, f);
}

void Matrix::swapYZ() {
  std::swap(d, g);
  std::swap(e, h);
  std::swap(f, i);
}

void Matrix::flattenY() {
  d = 0;
  e = 1;
  f = 0;
}

std::string Matrix::toText() const {
  std::string text;
  appendText(text);
  return text;
}

void Matrix::appendText(std::string& out) const {
  const double entries[] = {a, b, c, d, e, f, g, h, i};
  for (int k = 0; k < 9; ++k) {
    if (k > 0) out.push_back(' ');
    appendNumber(out, entries[k]);
  }
}

Vector Matrix::times(const Point& p) const {
  return Vector(a * p.x + b * p.y + c * p.z, d * p.x + e * p.y + f * p.z,
                g * p.x + h * p.y + i * p.z);
}

Matrix Matrix::times(const Matrix& n) const {
  return Matrix(a * n.a + b * n.d + c * n.g, a * n.b + b * n.e + c * n.h,
                a * n.c + b * n.f + c * n.i, d * n.a + e * n.d + f * n.g,
                d * n.b + e * n.e + f * n.h, d * n.c + e * n.f + f * n.i,
                g * n.a + h * n.d + i * n.g, g * n.b + h * n.e + i * n.h,
                g * n.c + h * n.f + i * n.i);
}

double Matrix::determinant() const {
  return a * e * i + b * f * g + c * d * h - c * e * g - a * f * h - b * d * i;
}

void Matrix::shearToPlane(const Vector& n) {
  d = -(n.z * g + n.x * a) / n.y;
  e = 1;
  f = -(n.z * i + n.x * c) / n.y;
}

}  // namespace quillery
