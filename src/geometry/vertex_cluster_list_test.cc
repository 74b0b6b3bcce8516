// Tests of vertex welding: which cluster a point joins, where the cluster
// centre moves, and where snapping puts a point.
#include "geometry/vertex_cluster_list.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>
#include <vector>

namespace quillery {
namespace {

VertexClusterList listOf(const std::vector<Point>& points) {
  VertexClusterList list;
  for (const Point& p : points) list.add(p);
  return list;
}

// Each cluster as "centre xcount; ".
std::string clustersOf(const std::vector<Point>& points) {
  std::string text;
  for (const VertexCluster& c : listOf(points).clusters) {
    text += c.toText() + " x" + std::to_string(c.count) + "; ";
  }
  return text;
}

TEST(VertexClusterListTest, JoinsTheFirstClusterStrictlyWithinTheRadius) {
  const std::pair<std::vector<Point>, const char*> cases[] = {
      {{{0, 0, 0}, {0.004, 0, 0}, {0.008, 0, 0}},
       "0.002 0 0 x2; 0.008 0 0 x1; "},
      // The centre is the average of every point added.
      {{{0, 0, 0}, {0.003, 0, 0}, {0.003, 0.003, 0}}, "0.002 0.001 0 x3; "},
      // 0.0065 from the first point, but 0.0045 from the moved centre.
      {{{0, 0, 0}, {0.004, 0, 0}, {0.0065, 0, 0}}, "0.0035 0 0 x3; "},
      // The first close cluster, even when a later one is closer.
      {{{0, 0, 0}, {0.006, 0, 0}, {0.004, 0, 0}},
       "0.002 0 0 x2; 0.006 0 0 x1; "},
      // Manhattan distance strictly below 0.005.
      {{{0, 0, 0}, {0, -0.0049, 0}}, "0 -0.00245 0 x2; "},
      {{{0, 0, 0}, {0.002, -0.001, 0.0015}}, "0.001 -0.0005 0.00075 x2; "},
      {{{0, 0, 0}, {0, 0, -0.005}}, "0 0 0 x1; 0 0 -0.005 x1; "},
      {{{0, 0, 0}, {0.002, 0.002, 0.002}}, "0 0 0 x1; 0.002 0.002 0.002 x1; "},
  };
  for (const auto& [points, clusters] : cases) {
    EXPECT_EQ(clustersOf(points), clusters);
  }
}

TEST(VertexClusterListTest, SnapMovesToTheFirstCloseClusterCentre) {
  const VertexClusterList list =
      listOf({{0, 0, 0}, {0.004, 0, 0}, {0.01, 0, 0}});
  const std::pair<Point, const char*> cases[] = {
      {{0.001, 0, 0}, "0.002 0 0"},
      // Closer to the second centre, but within reach of the first.
      {{0.0065, 0, 0}, "0.002 0 0"},
      {{0.0099, 0.001, 0}, "0.01 0 0"},
      // Exactly at the radius of the second cluster: not snapped.
      {{0.01, 0, 0.005}, "0.01 0 0.005"},
  };
  for (auto [p, snapped] : cases) {
    list.snap(p);
    EXPECT_EQ(p.toText(), snapped);
  }
  Point p(0.001, 0, 0);
  VertexClusterList().snap(p);
  EXPECT_EQ(p.toText(), "0.001 0 0");
}

}  // namespace
}  // namespace quillery
