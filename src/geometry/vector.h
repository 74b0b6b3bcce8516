// Vector: a point used as a direction, with the products the surfaces need.
#pragma once

#include "geometry/point.h"

namespace quillery {

// Below this length a vector is left as it is by normalize().
inline constexpr double kNormalizeTolerance = 0.001;

// A difference of two points, a cross product or a matrix product.
class Vector : public Point {
 public:
  Vector() = default;
  Vector(double x, double y, double z) : Point(x, y, z) {}
  // The vector with the coordinates of `p`.
  explicit Vector(const Point& p) : Point(p) {}
  // to - from.
  Vector(const Point& from, const Point& to)
      : Point(to.x - from.x, to.y - from.y, to.z - from.z) {}

  // (y w.z - z w.y, z w.x - x w.z, x w.y - y w.x).
  Vector cross(const Vector& w) const;
  double dot(const Vector& w) const;
  double length() const;
  void scale(double k);
  // Divides by the length when it is at least kNormalizeTolerance; a shorter
  // vector is left unchanged (and so is not of unit length).
  void normalize();
  // w.z x - z w.x: the cross product in the x-z plane.
  double planCross(const Vector& w) const;
};

}  // namespace quillery
