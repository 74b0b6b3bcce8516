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

#include "geometry/vector.h"

namespace quillery {
namespace {

using namespace std::string_view_literals;

std::array<double, 3> coordinatesOf(const Point& p) { return {p.x, p.y, p.z}; }

TEST(PointTest, ReadsThreeNumbersAndStopsAtTheNextToken) {
  const double inf = std::numeric_limits<double>::infinity();
  struct Case {
    std::string_view text;
    std::size_t start;
    std::array<double, 3> expected;  // read into a point holding (7, 8, 9)
    std::optional<std::size_t> end;
  };
  const Case cases[] = {
      {" 1.5  -2 3e2 rest", 0, {1.5, -2, 300}, 12},
      // A missing number at the end keeps the old value and is no failure.
      {" 4 5", 0, {4, 5, 9}, 4},
      {"", 0, {7, 8, 9}, 0},
      {"  ", 0, {7, 8, 9}, 2},
      // A token that is not a number stops the reading there.
      {" 4 x 6", 0, {4, 8, 9}, std::nullopt},
      {" 1 2 .", 0, {1, 2, 9}, std::nullopt},
      {"x 1 2 3", 0, {7, 8, 9}, std::nullopt},
      // The whole token is skipped, whatever part of it formed the number.
      {" 1.5abc 2 3 x", 0, {1.5, 2, 3}, 11},
      {" 1\0"
       "5 2 3"sv,
       0,
       {1, 2, 3},
       8},
      {"\t1\t2\t3\r", 0, {1, 2, 3}, 6},
      {" 0x1p3 -inf 1e", 0, {8, -inf, 1}, 14},
      {"1 16 1 2 3 a.dat", 4, {1, 2, 3}, 10},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.text));
    Point p(7, 8, 9);
    EXPECT_EQ(p.readFrom(c.text, c.start), c.end);
    EXPECT_EQ(coordinatesOf(p), c.expected);
  }
}

TEST(PointTest, WritesSevenSignificantDigitsJoinedByBlanks) {
  EXPECT_EQ(Point(0, -0.0, 12345678).toText(), "0 -0 1.234568e+07");
  EXPECT_EQ(Point(1.5, 10, -0.70710678118).toText(), "1.5 10 -0.7071068");
  EXPECT_EQ(Point(2.0 / 3, 0.0001, 1e-17).toText(), "0.6666667 0.0001 1e-17");

  std::string text = "3 16 ";
  Point(1, -2, 3).appendText(text);
  EXPECT_EQ(text, "3 16 1 -2 3");
}

TEST(PointTest, CoincidesWithinTheToleranceInclusive) {
  const double inf = std::numeric_limits<double>::infinity();
  const double nan = std::numeric_limits<double>::quiet_NaN();
  struct Case {
    Point other;  // compared with (0, 0, 0)
    bool coincides;
  };
  const Case cases[] = {
      {{0, 0, 0}, true},
      {{0.001, 0, 0}, true},
      {{0, -0.001, 0}, true},
      {{0, 0, 0.001}, true},
      {{0.001, -0.001, 0.001}, true},
      {{0.0011, 0, 0}, false},
      {{0, 0.0011, 0}, false},
      {{0, 0, -0.0011}, false},
      {{-0.0011, 0, 0}, false},
      {{nan, 0, 0}, false},
      {{0, 0, inf}, false},
      {{0, -inf, 0}, false},
  };
  const Point origin;
  for (const Case& c : cases) {
    SCOPED_TRACE(c.other.toText());
    EXPECT_EQ(origin.coincides(c.other), c.coincides);
    EXPECT_EQ(c.other.coincides(origin), c.coincides);
  }
  // Not even with itself.
  const Point infinite(inf, 0, 0);
  EXPECT_FALSE(infinite.coincides(infinite));
  const Point undefined(0, nan, 0);
  EXPECT_FALSE(undefined.coincides(undefined));
}

TEST(PointTest, PlanTurnIsNegativeWhenTheThirdPointLiesTowardsPlusZ) {
  struct Case {
    Point self, a, b;
    double turn;
  };
  const Case cases[] = {
      {{0, 0, 0}, {1, 0, 0}, {0, 0, 1}, -1},
      {{0, 0, 0}, {1, 0, 0}, {0, 0, -1}, 1},
      {{0, 0, 0}, {1, 0, 0}, {3, 0, 0}, 0},
      {{0, 0, 0}, {2, 0, 0}, {5, 0, 3}, -6},
      // The same as the first, moved and with y values that must not count.
      {{1, 5, 1}, {2, -3, 1}, {1, 8, 2}, -1},
      {{-4, 0, 2}, {-4, 9, 5}, {-2, -9, 2}, 6},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.self.toText() + " / " + c.a.toText() + " / " + c.b.toText());
    EXPECT_EQ(c.self.planTurn(c.a, c.b), c.turn);
    EXPECT_EQ(c.self.planTurn(c.b, c.a), -c.turn);
  }
}

TEST(PointTest, PlanDistanceIsSignedAndIgnoresY) {
  struct Case {
    Point self, a, b;
    double distance;
  };
  const Case cases[] = {
      {{1, 5, 3}, {0, 0, 0}, {2, 0, 0}, 3},
      {{1, -4, -3}, {0, 0, 0}, {2, 0, 0}, -3},
      {{7, 0, 0}, {0, 0, 0}, {2, 0, 0}, 0},
      // A line of plan length 5 from (1, 1) towards (4, 5).
      {{5, 0, -2}, {1, 0, 1}, {4, 0, 5}, -5},
      {{5, 3, -2}, {1, 10, 1}, {4, -7, 5}, -5},
      {{-3, 0, 4}, {1, 0, 1}, {4, 0, 5}, 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.self.toText() + " / " + c.a.toText() + " / " + c.b.toText());
    EXPECT_EQ(c.self.planDistance(c.a, c.b), c.distance);
  }
}

TEST(PointTest, PlanDistanceFromALineWithoutPlanLengthIsNotFinite) {
  EXPECT_FALSE(
      std::isfinite(Point(0, 0, 0).planDistance({1, 0, 1}, {1, 9, 1})));
  EXPECT_FALSE(
      std::isfinite(Point(2, 0, 3).planDistance({2, 0, 3}, {2, 0, 3})));
}

TEST(PointTest, ManhattanDistanceSumsTheAbsoluteDifferences) {
  const Point p(1, 2, 3);
  const Point q(0, -1, 3.5);
  EXPECT_EQ(p.manhattanDistance(q), 4.5);
  EXPECT_EQ(q.manhattanDistance(p), 4.5);
  EXPECT_EQ(p.manhattanDistance(p), 0);
}

TEST(PointTest, AddToMovesTheOtherPointAndReturnsIt) {
  const Vector shift(1, -2, 0.5);
  Point p(10, 20, 30);
  Point& result = shift.addTo(p);
  EXPECT_EQ(&result, &p);
  EXPECT_EQ(coordinatesOf(p), (std::array<double, 3>{11, 18, 30.5}));
  EXPECT_EQ(coordinatesOf(shift), (std::array<double, 3>{1, -2, 0.5}));
}

TEST(PointTest, SwapsAndFlattensTheRightCoordinates) {
  Point p(1, 2, 3);
  p.swapXY();
  EXPECT_EQ(coordinatesOf(p), (std::array<double, 3>{2, 1, 3}));
  p.swapYZ();
  EXPECT_EQ(coordinatesOf(p), (std::array<double, 3>{2, 3, 1}));
  p.flattenY();
  EXPECT_EQ(coordinatesOf(p), (std::array<double, 3>{2, 0, 1}));
}

TEST(PointTest, PrintWritesItsClassName) {
  ::testing::internal::CaptureStdout();
  Point(1, 2, 3).print();
  const SpatialObject& vector = Vector(4, 5, 6);
  vector.print();
  EXPECT_EQ(::testing::internal::GetCapturedStdout(),
            "classe point\nclasse point\n");
}

}  // namespace
}  // namespace quillery
