// Matrix: the 3x3 placement of a subfile reference, in LDraw row order.
#pragma once

#include <string>

#include "geometry/spatial_object.h"
#include "geometry/vector.h"

namespace quillery {

// Nine doubles a..i, row by row: a point p of a placed subfile lands at
// position + M p. A default matrix is all zeros, not the identity.
class Matrix : public SpatialObject {
 public:
  Matrix() = default;
  Matrix(double a, double b, double c, double d, double e, double f, double g,
         double h, double i)
      : a(a), b(b), c(c), d(d), e(e), f(f), g(g), h(h), i(i) {}
  // The rows from three points.
  Matrix(const Point& row1, const Point& row2, const Point& row3);
  Matrix(const Matrix&) = default;
  Matrix& operator=(const Matrix&) = default;

  // Does nothing.
  void print() const override;
  // Exchanges the first and second rows.
  void swapXY() override;
  // Exchanges the second and third rows.
  void swapYZ() override;
  // Sets the second row to (0, 1, 0).
  void flattenY() override;

  // The nine entries a..i in "%.7lg", joined by single blanks.
  std::string toText() const;
  void appendText(std::string& out) const;
  // M p, without translation.
  Vector times(const Point& p) const;
  // This x n.
  Matrix times(const Matrix& n) const;
  // aei + bfg + cdh - ceg - afh - bdi; negative for a mirroring placement.
  double determinant() const;
  // Rewrites the second row so that the local x-z plane lies in the plane
  // with normal `n`; divides by n.y (a vertical plane gives inf or NaN).
  void shearToPlane(const Vector& n);

  double a = 0, b = 0, c = 0;
  double d = 0, e = 0, f = 0;
  double g = 0, h = 0, i = 0;
};

}  // namespace quillery
