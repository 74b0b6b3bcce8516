// Tests of Matrix: its LDraw text, products, determinant and the row
// operations that follow swapped, flattened or projected geometry.
#include "geometry/matrix.h"

#include <gtest/gtest.h>

#include <array>
#include <cmath>
#include <string>

namespace quillery {
namespace {

const Matrix kIdentity(1, 0, 0, 0, 1, 0, 0, 0, 1);
// Nine different entries, so that any exchanged index shows in the text.
const Matrix kCounting(1, 2, 3, 4, 5, 6, 7, 8, 9);

std::array<double, 3> coordinatesOf(const Point& p) { return {p.x, p.y, p.z}; }

TEST(MatrixTest, WritesTheNineEntriesRowByRow) {
  EXPECT_EQ(Matrix().toText(), "0 0 0 0 0 0 0 0 0");
  EXPECT_EQ(kIdentity.toText(), "1 0 0 0 1 0 0 0 1");
  EXPECT_EQ(Matrix(Point(1, 2, 3), Point(4, 5, 6), Point(7, 8, 9)).toText(),
            "1 2 3 4 5 6 7 8 9");
  EXPECT_EQ(
      Matrix(0.5, -0.0, 2.0 / 3, 1e7, -1e-5, 0.0001, 12345678, -1, 0).toText(),
      "0.5 -0 0.6666667 1e+07 -1e-05 0.0001 1.234568e+07 -1 0");

  const double tiny = -1.234567e-16;
  const Matrix allExponents(tiny, tiny, tiny, tiny, tiny, tiny, tiny, tiny,
                            tiny);
  std::string expected = "-1.234567e-16";
  for (int k = 1; k < 9; ++k) expected += " -1.234567e-16";
  EXPECT_EQ(allExponents.toText(), expected);

  std::string text = "1 16 0 0 0 ";
  kCounting.appendText(text);
  EXPECT_EQ(text, "1 16 0 0 0 1 2 3 4 5 6 7 8 9");
}

TEST(MatrixTest, DeterminantIsNegativeForAMirror) {
  struct Case {
    Matrix m;
    double determinant;
  };
  const Case cases[] = {
      {kIdentity, 1},
      {{-1, 0, 0, 0, 1, 0, 0, 0, 1}, -1},
      {{1, 0, 0, 0, 1, 0, 0, 0, -1}, -1},
      {{0, 1, 0, 1, 0, 0, 0, 0, 1}, -1},
      {{0, 0, 1, 0, 1, 0, -1, 0, 0}, 1},
      {kCounting, 0},
      {{2, 0, 1, 1, 3, 0, 0, 1, 4}, 25},
      {Matrix(), 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.m.toText());
    EXPECT_EQ(c.m.determinant(), c.determinant);
  }
}

TEST(MatrixTest, TimesPointAppliesTheRows) {
  const Vector v = kCounting.times(Point(1, 10, 100));
  EXPECT_EQ(coordinatesOf(v), (std::array<double, 3>{321, 654, 987}));
}

TEST(MatrixTest, TimesMatrixMultipliesThisOnTheLeft) {
  // A quarter turn about y and a stretch along x do not commute.
  const Matrix turn(0, 0, 1, 0, 1, 0, -1, 0, 0);
  const Matrix stretch(2, 0, 0, 0, 1, 0, 0, 0, 1);
  EXPECT_EQ(turn.times(stretch).toText(), "0 0 1 0 1 0 -2 0 0");
  EXPECT_EQ(stretch.times(turn).toText(), "0 0 2 0 1 0 -1 0 0");

  // Multiplying by a permutation on the right permutes the columns.
  const Matrix cycle(0, 1, 0, 0, 0, 1, 1, 0, 0);
  EXPECT_EQ(kCounting.times(cycle).toText(), "3 1 2 6 4 5 9 7 8");
  EXPECT_EQ(cycle.times(kCounting).toText(), "4 5 6 7 8 9 1 2 3");
}

TEST(MatrixTest, ProductPlacesLikeApplyingBothInTurn) {
  const Matrix outer(2, -1, 0, 3, 0, 1, -2, 4, 5);
  const Matrix inner(1, 2, -3, 0, 4, 1, 5, -1, 2);
  const Point p(3, -2, 7);
  const Vector once = outer.times(inner).times(p);
  const Vector twice = outer.times(inner.times(p));
  EXPECT_EQ(coordinatesOf(once), coordinatesOf(twice));
}

TEST(MatrixTest, RowOperations) {
  Matrix m = kCounting;
  m.swapXY();
  EXPECT_EQ(m.toText(), "4 5 6 1 2 3 7 8 9");
  m = kCounting;
  m.swapYZ();
  EXPECT_EQ(m.toText(), "1 2 3 7 8 9 4 5 6");
  m = kCounting;
  m.flattenY();
  EXPECT_EQ(m.toText(), "1 2 3 0 1 0 7 8 9");
}

TEST(MatrixTest, ShearToPlaneLaysTheLocalXZPlaneInThePlane) {
  Matrix m(2, 5, 1, 9, 9, 9, -1, 7, 3);
  const Vector normal(1, 2, 3);
  m.shearToPlane(normal);
  EXPECT_EQ(m.toText(), "2 5 1 0.5 1 -5 -1 7 3");
  // The placed local x and z axes (first and third columns) are
  // perpendicular to the normal.
  EXPECT_EQ(Vector(m.a, m.d, m.g).dot(normal), 0);
  EXPECT_EQ(Vector(m.c, m.f, m.i).dot(normal), 0);
}

TEST(MatrixTest, ShearToAVerticalPlaneGivesNonFiniteEntries) {
  Matrix m = kIdentity;
  m.shearToPlane(Vector(1, 0, 0));
  EXPECT_TRUE(std::isinf(m.d));
  EXPECT_EQ(m.e, 1);
  EXPECT_TRUE(std::isnan(m.f));
  EXPECT_EQ(m.a, 1);
  EXPECT_EQ(m.i, 1);
}

}  // namespace
}  // namespace quillery
