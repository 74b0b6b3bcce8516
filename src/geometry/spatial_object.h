// The common root of everything that has coordinates: points, vectors,
// matrices and model elements share four coordinate operations.
#pragma once

namespace quillery {

// Abstract base of Point, Matrix and Element. Holds no data.
class SpatialObject {
 public:
  virtual ~SpatialObject() = default;

  // Diagnostic print to standard output.
  virtual void print() const = 0;
  // Exchanges the x and y coordinates of everything the object holds.
  virtual void swapXY() = 0;
  // Exchanges the y and z coordinates of everything the object holds.
  virtual void swapYZ() = 0;
  // Puts everything the object holds on the plane y = 0.
  virtual void flattenY() = 0;

 protected:
  SpatialObject() = default;
  SpatialObject(const SpatialObject&) = default;
  SpatialObject& operator=(const SpatialObject&) = default;
};

}  // namespace quillery
