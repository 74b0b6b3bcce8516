// Tests of vertex welding at the edge of the weld radius, which no written
// file shows.
#include "geometry/vertex_cluster_list.h"

#include <gtest/gtest.h>

namespace quillery {
namespace {

// A point joins a cluster strictly within the radius (Manhattan 0.005) of
// its centre, and snaps to it on the same terms.
TEST(VertexClusterListTest, WeldsStrictlyWithinTheRadius) {
  VertexClusterList list;
  list.add(Point(0, 0, 0));
  list.add(Point(0, 0, -0.005));
  list.add(Point(0, -0.0049, 0));
  ASSERT_EQ(list.clusters.size(), 2u);
  EXPECT_EQ(list.clusters[0].toText(), "0 -0.00245 0");
  EXPECT_EQ(list.clusters[1].toText(), "0 0 -0.005");
  Point atRadius(0, -0.00245, 0.005);
  list.snap(atRadius);
  EXPECT_EQ(atRadius.toText(), "0 -0.00245 0.005");
  Point within(0, -0.00245, 0.0049);
  list.snap(within);
  EXPECT_EQ(within.toText(), "0 -0.00245 0");
}

}  // namespace
}  // namespace quillery
