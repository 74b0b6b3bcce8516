// Tests of Point: reading and writing three numbers, the vertex tolerance,
// the plan-view predicates and the coordinate operations.
#include "geometry/point.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <cstddef>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <tuple>

#include "geometry/vector.h"

namespace quillery {
namespace {

using namespace std::string_view_literals;

const double inf = std::numeric_limits<double>::infinity();
const double nan = std::numeric_limits<double>::quiet_NaN();

std::array<double, 3> coordinatesOf(const Point& p) { return {p.x, p.y, p.z}; }

TEST(PointTest, ReadsThreeNumbersAndStopsAtTheNextToken) {
  // The text, the start, the coordinates read into a point holding
  // (7, 8, 9), and the end.
  const std::tuple<std::string_view, std::size_t, std::array<double, 3>,
                   std::optional<std::size_t>>
      cases[] = {
          {" 1.5  -2 3e2 rest", 0, {1.5, -2, 300}, 12},
          // A missing number at the end keeps the old value and is no failure.
          {" 4 5", 0, {4, 5, 9}, 4},
          // A token that is not a number stops the reading there.
          {" 4 x 6", 0, {4, 8, 9}, std::nullopt},
          // The whole token is skipped, whatever part of it formed the number.
          {" 1.5abc 2 3 x", 0, {1.5, 2, 3}, 11},
          {" 1\0005 2 3"sv, 0, {1, 2, 3}, 8},
          {"\t1\t2\t3\r", 0, {1, 2, 3}, 6},
          {" 0x1p3 -inf 1e", 0, {8, -inf, 1}, 14},
          {"1 16 1 2 3 a.dat", 4, {1, 2, 3}, 10},
      };
  for (const auto& [text, start, expected, end] : cases) {
    SCOPED_TRACE(std::string(text));
    Point p(7, 8, 9);
    EXPECT_EQ(p.readFrom(text, start), end);
    EXPECT_EQ(coordinatesOf(p), expected);
  }
}

TEST(PointTest, CoincidesWithinTheToleranceInclusive) {
  const Point origin;
  for (const Point& p : {Point(0, 0, 0), Point(0.001, 0, 0),
                         Point(0, -0.001, 0), Point(0.001, -0.001, 0.001)}) {
    EXPECT_TRUE(origin.coincides(p)) << p.toText();
    EXPECT_TRUE(p.coincides(origin)) << p.toText();
  }
  for (const Point& p :
       {Point(0.0011, 0, 0), Point(0, 0.0011, 0), Point(0, 0, -0.0011),
        Point(nan, 0, 0), Point(0, -inf, 0)}) {
    EXPECT_FALSE(origin.coincides(p)) << p.toText();
    EXPECT_FALSE(p.coincides(origin)) << p.toText();
    // Not finite: not even with itself.
    EXPECT_EQ(p.coincides(p), std::isfinite(p.x + p.y)) << p.toText();
  }
}

// The turn is negative when b lies to the +z side of a seen from the point;
// the distance is from the line through a and b, of the other sign.
TEST(PointTest, PlanTurnAndDistanceAreSignedAndIgnoreY) {
  // The points, the turn, and the distance (NaN: not finite).
  const std::tuple<Point, Point, Point, double, double> cases[] = {
      {{0, 0, 0}, {1, 0, 0}, {0, 0, 1}, -1, std::sqrt(0.5)},
      {{1, 5, 3}, {0, 0, 0}, {2, 0, 0}, -6, 3},
      {{7, 0, 0}, {0, 0, 0}, {2, 0, 0}, 0, 0},
      // A line of plan length 5 from (1, 1) towards (4, 5).
      {{5, 3, -2}, {1, 10, 1}, {4, -7, 5}, 25, -5},
      {{-3, 0, 4}, {1, 0, 1}, {4, 0, 5}, -25, 5},
      // Lines without plan length.
      {{0, 0, 0}, {1, 0, 1}, {1, 9, 1}, 0, nan},
      {{2, 0, 3}, {2, 0, 3}, {2, 0, 3}, 0, nan},
  };
  for (const auto& [self, a, b, turn, planDistance] : cases) {
    SCOPED_TRACE(self.toText() + " / " + a.toText() + " / " + b.toText());
    EXPECT_EQ(self.planTurn(a, b), turn);
    EXPECT_EQ(self.planTurn(b, a), -turn);
    const double distance = self.planDistance(a, b);
    if (std::isnan(planDistance)) {
      EXPECT_FALSE(std::isfinite(distance));
    } else {
      EXPECT_DOUBLE_EQ(distance, planDistance);
    }
  }
}

}  // namespace
}  // namespace quillery
