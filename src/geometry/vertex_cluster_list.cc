// First-fit vertex welding.
#include "geometry/vertex_cluster_list.h"

namespace quillery {

void VertexClusterList::add(const Point& p) {
  for (VertexCluster& cluster : clusters) {
    if (cluster.manhattanDistance(p) < kWeldTolerance) {
      cluster.add(p);
      return;
    }
  }
  clusters.emplace_back(p);
}

void VertexClusterList::snap(Point& p) const {
  for (const VertexCluster& cluster : clusters) {
    if (cluster.manhattanDistance(p) < kWeldTolerance) {
      p.setFrom(cluster);
      return;
    }
  }
}

}  // namespace quillery
