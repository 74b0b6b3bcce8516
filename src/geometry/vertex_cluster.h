// VertexCluster: a welded vertex, the running average of the points in it.
#pragma once

#include "geometry/point.h"

namespace quillery {

// x, y, z always hold the average of the points added so far.
class VertexCluster : public Point {
 public:
  // A cluster of the single point `p`.
  explicit VertexCluster(const Point& p);

  // Adds `p` to the sums and moves the centre to the new average.
  void add(const Point& p);

  double sumX;
  double sumY;
  double sumZ;
  int count;
};

}  // namespace quillery
