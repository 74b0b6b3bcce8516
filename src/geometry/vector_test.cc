// Tests of Vector: differences, products and normalization, with the
// orientation conventions the surfaces depend on.
#include "geometry/vector.h"

#include <gtest/gtest.h>

#include <array>
#include <string>

namespace quillery {
namespace {

std::array<double, 3> coordinatesOf(const Point& p) { return {p.x, p.y, p.z}; }

TEST(VectorTest, DifferencePointsFromTheFirstPointToTheSecond) {
  const Vector v(Point(1, 2, 3), Point(4, 6, 8));
  EXPECT_EQ(coordinatesOf(v), (std::array<double, 3>{3, 4, 5}));
}

TEST(VectorTest, NormalizeLeavesVectorsShorterThanTheTolerance) {
  struct Case {
    Vector v;
    std::array<double, 3> expected;
  };
  const Case cases[] = {
      {{0.0005, 0, 0}, {0.0005, 0, 0}},
      {{0, 0, 0}, {0, 0, 0}},
      {{3, 0, 4}, {0.6, 0, 0.8}},
      {{0, -2, 0}, {0, -1, 0}},
      // A length of exactly the tolerance is normalized.
      {{0.001, 0, 0}, {1, 0, 0}},
      {{0, 0, -0.001}, {0, 0, -1}},
  };
  for (Case c : cases) {
    SCOPED_TRACE(c.v.toText());
    c.v.normalize();
    EXPECT_EQ(coordinatesOf(c.v), c.expected);
  }
}

TEST(VectorTest, CrossProductIsRightHanded) {
  struct Case {
    Vector u, w;
    std::array<double, 3> expected;
  };
  const Case cases[] = {
      {{1, 0, 0}, {0, 1, 0}, {0, 0, 1}},   {{0, 1, 0}, {0, 0, 1}, {1, 0, 0}},
      {{0, 0, 1}, {1, 0, 0}, {0, 1, 0}},   {{0, 1, 0}, {1, 0, 0}, {0, 0, -1}},
      {{1, 2, 3}, {4, 5, 6}, {-3, 6, -3}}, {{2, 4, 6}, {1, 2, 3}, {0, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.u.toText() + " x " + c.w.toText());
    const Vector product = c.u.cross(c.w);
    EXPECT_EQ(coordinatesOf(product), c.expected);
    EXPECT_EQ(product.dot(c.u), 0);
    EXPECT_EQ(product.dot(c.w), 0);
  }
}

TEST(VectorTest, DotAndLength) {
  EXPECT_EQ(Vector(1, 2, 3).dot(Vector(4, -5, 6)), 12);
  EXPECT_EQ(Vector(2, -3, 6).length(), 7);
  Vector v(1, -2, 0.5);
  v.scale(-2);
  EXPECT_EQ(coordinatesOf(v), (std::array<double, 3>{-2, 4, -1}));
}

TEST(VectorTest, PlanCrossIsPositiveFromXTowardsZ) {
  struct Case {
    Vector u, w;
    double expected;
  };
  const Case cases[] = {
      {{1, 0, 0}, {0, 0, 1}, 1},  {{0, 0, 1}, {1, 0, 0}, -1},
      {{1, 7, 0}, {0, -3, 1}, 1}, {{2, 0, 3}, {4, 5, 6}, 0},
      {{3, 0, 1}, {-1, 0, 2}, 7},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.u.toText() + " x " + c.w.toText());
    EXPECT_EQ(c.u.planCross(c.w), c.expected);
  }
}

}  // namespace
}  // namespace quillery
