// Tests of Matrix: its LDraw text, products, determinant and the row
// operations that follow swapped, flattened or projected geometry.
#include "geometry/matrix.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <utility>

namespace quillery {
namespace {

const Matrix kIdentity(1, 0, 0, 0, 1, 0, 0, 0, 1);
// Nine different entries, so that any exchanged index shows in the text.
const Matrix kCounting(1, 2, 3, 4, 5, 6, 7, 8, 9);

TEST(MatrixTest, DeterminantIsNegativeForAMirror) {
  const std::pair<Matrix, double> cases[] = {
      {kIdentity, 1},
      {{1, 0, 0, 0, 1, 0, 0, 0, -1}, -1},
      {{0, 1, 0, 1, 0, 0, 0, 0, 1}, -1},
      {{0, 0, 1, 0, 1, 0, -1, 0, 0}, 1},
      {kCounting, 0},
      {{2, 0, 1, 1, 3, 0, 0, 1, 4}, 25},
  };
  for (const auto& [m, determinant] : cases) {
    EXPECT_EQ(m.determinant(), determinant) << m.toText();
  }
}

TEST(MatrixTest, ProductsMultiplyThisOnTheLeft) {
  EXPECT_EQ(kCounting.times(Point(1, 10, 100)).toText(), "321 654 987");
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

TEST(MatrixTest, RowOperations) {
  Matrix m = kCounting;
  m.swapXY();
  EXPECT_EQ(m.toText(), "4 5 6 1 2 3 7 8 9");
  m.swapYZ();
  EXPECT_EQ(m.toText(), "4 5 6 7 8 9 1 2 3");
  m.flattenY();
  EXPECT_EQ(m.toText(), "4 5 6 0 1 0 1 2 3");
}

TEST(MatrixTest, ShearToPlaneLaysTheLocalXZPlaneInThePlane) {
  Matrix m(2, 5, 1, 9, 9, 9, -1, 7, 3);
  m.shearToPlane(Vector(1, 2, 3));
  EXPECT_EQ(m.toText(), "2 5 1 0.5 1 -5 -1 7 3");
  // A vertical plane: the division by the normal's y gives inf and NaN.
  m = kIdentity;
  m.shearToPlane(Vector(1, 0, 0));
  EXPECT_TRUE(std::isinf(m.d) && std::isnan(m.f));
  EXPECT_EQ(Vector(m.a, m.e, m.i).toText(), "1 1 1");
}

}  // namespace
}  // namespace quillery
