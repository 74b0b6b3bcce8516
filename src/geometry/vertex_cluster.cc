// Running average of welded points.
#include "geometry/vertex_cluster.h"

namespace quillery {

VertexCluster::VertexCluster(const Point& p)
    : Point(p), sumX(p.x), sumY(p.y), sumZ(p.z), count(1) {}

void VertexCluster::add(const Point& p) {
  sumX += p.x;
  sumY += p.y;
  sumZ += p.z;
  ++count;
  x = sumX / count;
  y = sumY / count;
  z = sumZ / count;
}

}  // namespace quillery
