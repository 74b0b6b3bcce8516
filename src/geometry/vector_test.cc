// Tests of Vector: differences, products and normalization, with the
// orientation conventions the surfaces depend on.
#include "geometry/vector.h"

#include <gtest/gtest.h>

#include <string>
#include <utility>

namespace quillery {
namespace {

TEST(VectorTest, NormalizeLeavesVectorsShorterThanTheTolerance) {
  const std::pair<Vector, const char*> cases[] = {
      {{0.0005, 0, 0}, "0.0005 0 0"},
      {{0, 0, 0}, "0 0 0"},
      {{3, 0, -4}, "0.6 0 -0.8"},
      {{0, 0.001, 0}, "0 1 0"},  // exactly the tolerance: normalized
  };
  for (auto [v, expected] : cases) {
    v.normalize();
    EXPECT_EQ(v.toText(), expected);
  }
}

TEST(VectorTest, ProductsAreRightHandedAndPlanCrossRunsFromXTowardsZ) {
  const std::tuple<Vector, Vector, const char*, double> cases[] = {
      {{1, 0, 0}, {0, 1, 0}, "0 0 1", 0},
      {{0, 1, 0}, {1, 0, 0}, "0 0 -1", 0},
      {{1, 0, 0}, {0, 0, 1}, "0 -1 0", 1},
      {{1, 2, 3}, {4, 5, 6}, "-3 6 -3", -6},
      {{2, 4, 6}, {1, 2, 3}, "0 0 0", 0},
  };
  for (const auto& [u, w, cross, planCross] : cases) {
    SCOPED_TRACE(u.toText() + " x " + w.toText());
    const Vector product = u.cross(w);
    EXPECT_EQ(product.toText(), cross);
    EXPECT_EQ(product.dot(u), 0);
    EXPECT_EQ(u.planCross(w), planCross);
  }
}

}  // namespace
}  // namespace quillery
