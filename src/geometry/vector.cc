// Vector products, evaluated in the order written.
#include "geometry/vector.h"

#include <cmath>

namespace quillery {

Vector Vector::cross(const Vector& w) const {
  return Vector(y * w.z - z * w.y, z * w.x - x * w.z, x * w.y - y * w.x);
}

double Vector::dot(const Vector& w) const {
  return x * w.x + y * w.y + z * w.z;
}

double Vector::length() const { return std::sqrt(x * x + y * y + z * z); }

void Vector::scale(double k) {
  x *= k;
  y *= k;
  z *= k;
}

void Vector::normalize() {
  double len = length();
  if (len >= kNormalizeTolerance) {
    x = x / len;
    y = y / len;
    z = z / len;
  }
}

double Vector::planCross(const Vector& w) const { return w.z * x - z * w.x; }

}  // namespace quillery
