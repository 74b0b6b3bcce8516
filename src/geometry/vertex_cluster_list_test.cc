// Tests of vertex welding: which cluster a point joins, where the cluster
// centre moves, and where snapping puts a point.
#include "geometry/vertex_cluster_list.h"

#include <gtest/gtest.h>

#include <array>
#include <initializer_list>

namespace quillery {
namespace {

std::array<double, 3> coordinatesOf(const Point& p) { return {p.x, p.y, p.z}; }

VertexClusterList listOf(std::initializer_list<Point> points) {
  VertexClusterList list;
  for (const Point& p : points) list.add(p);
  return list;
}

TEST(VertexClusterListTest, OpensANewClusterForAPointOutsideTheRadius) {
  const VertexClusterList list =
      listOf({{0, 0, 0}, {0.004, 0, 0}, {0.008, 0, 0}});
  ASSERT_EQ(list.clusters.size(), 2u);
  EXPECT_EQ(coordinatesOf(list.clusters[0]),
            (std::array<double, 3>{0.002, 0, 0}));
  EXPECT_EQ(list.clusters[0].count, 2);
  EXPECT_EQ(coordinatesOf(list.clusters[1]),
            (std::array<double, 3>{0.008, 0, 0}));
  EXPECT_EQ(list.clusters[1].count, 1);
}

TEST(VertexClusterListTest, JoinsOnlyStrictlyWithinTheManhattanRadius) {
  struct Case {
    Point second;  // added after (0, 0, 0)
    std::size_t clusters;
  };
  const Case cases[] = {
      {{0.0049, 0, 0}, 1},
      {{0, -0.0049, 0}, 1},
      {{0.002, -0.001, 0.0015}, 1},
      {{0.005, 0, 0}, 2},
      {{0, 0, -0.005}, 2},
      // Close in every coordinate, but 0.006 away when summed.
      {{0.002, 0.002, 0.002}, 2},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.second.toText());
    EXPECT_EQ(listOf({{0, 0, 0}, c.second}).clusters.size(), c.clusters);
  }
}

TEST(VertexClusterListTest, CentreIsTheAverageOfAllPointsAdded) {
  const VertexClusterList list =
      listOf({{0, 0, 0}, {0.003, 0, 0}, {0.003, 0.003, 0}});
  ASSERT_EQ(list.clusters.size(), 1u);
  EXPECT_EQ(list.clusters[0].count, 3);
  EXPECT_DOUBLE_EQ(list.clusters[0].x, 0.002);
  EXPECT_DOUBLE_EQ(list.clusters[0].y, 0.001);
  EXPECT_EQ(list.clusters[0].z, 0);
}

TEST(VertexClusterListTest, MembershipIsMeasuredFromTheMovedCentre) {
  // 0.0065 from the first point, but 0.0045 from the centre (0.002, 0, 0).
  const VertexClusterList list =
      listOf({{0, 0, 0}, {0.004, 0, 0}, {0.0065, 0, 0}});
  ASSERT_EQ(list.clusters.size(), 1u);
  EXPECT_EQ(list.clusters[0].count, 3);
}

TEST(VertexClusterListTest,
     JoinsTheFirstCloseClusterEvenWhenALaterOneIsCloser) {
  VertexClusterList list = listOf({{0, 0, 0}, {0.006, 0, 0}});
  ASSERT_EQ(list.clusters.size(), 2u);
  list.add({0.004, 0, 0});
  EXPECT_EQ(list.clusters[0].count, 2);
  EXPECT_EQ(list.clusters[1].count, 1);
}

TEST(VertexClusterListTest, SnapMovesToTheFirstCloseClusterCentre) {
  const VertexClusterList list =
      listOf({{0, 0, 0}, {0.004, 0, 0}, {0.01, 0, 0}});
  ASSERT_EQ(list.clusters.size(), 2u);
  struct Case {
    Point p;
    std::array<double, 3> snapped;
  };
  const Case cases[] = {
      {{0.001, 0, 0}, {0.002, 0, 0}},
      // Closer to the second centre, but within reach of the first.
      {{0.0065, 0, 0}, {0.002, 0, 0}},
      {{0.0099, 0.001, 0}, {0.01, 0, 0}},
      // Exactly at the radius of the second cluster: not snapped.
      {{0.01, 0, 0.005}, {0.01, 0, 0.005}},
      {{1, 2, 3}, {1, 2, 3}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.p.toText());
    Point p = c.p;
    list.snap(p);
    EXPECT_EQ(coordinatesOf(p), c.snapped);
  }
}

TEST(VertexClusterListTest, SnapLeavesPointsWhenThereAreNoClusters) {
  const VertexClusterList list;
  Point p(0.001, 0, 0);
  list.snap(p);
  EXPECT_EQ(coordinatesOf(p), (std::array<double, 3>{0.001, 0, 0}));
}

}  // namespace
}  // namespace quillery
