// VertexClusterList: welds vertices that lie within a small radius.
#pragma once

#include <vector>

#include "geometry/vertex_cluster.h"

namespace quillery {

// A point joins a cluster when its Manhattan distance is strictly below this.
inline constexpr double kWeldTolerance = 0.005;

// Clusters in the order they were opened; never removed or merged. A point
// joins the first cluster close enough, even when a later one is closer.
class VertexClusterList {
 public:
  // Adds `p` to the first cluster within kWeldTolerance, or opens a new one.
  void add(const Point& p);
  // Moves `p` to the centre of the first cluster within kWeldTolerance;
  // leaves it when there is none.
  void snap(Point& p) const;

  std::vector<VertexCluster> clusters;
};

}  // namespace quillery
