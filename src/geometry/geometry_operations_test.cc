// The operations of points, vectors and matrices on the rows of
// tests/data/geometry_operations.txt: reading three numbers, the vertex
// tolerance, the plan-view predicates, products and normalization with
// their orientation conventions, and the matrix row operations.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <optional>
#include <string>
#include <vector>

#include "geometry/matrix.h"
#include "geometry/point.h"
#include "geometry/vector.h"
#include "test_util.h"

namespace quillery {
namespace {

using Row = std::vector<std::string>;
using testing::forEachRow;
using testing::pointOf;

constexpr char kTable[] = "geometry_operations.txt";

Vector vectorOf(const std::string& text) { return Vector(pointOf(text)); }

// Nine numbers, row by row.
Matrix matrixOf(const std::string& text) {
  Point rows[3];
  std::optional<std::size_t> end = 0;
  for (Point& row : rows) {
    if (end) end = row.readFrom(text, *end);
  }
  EXPECT_TRUE(end) << text;
  return Matrix(rows[0], rows[1], rows[2]);
}

TEST(GeometryOperationsTest, PointsReadCoincideAndTurn) {
  forEachRow(kTable, "read", 4, [](const Row& row) {
    Point point(7, 8, 9);
    const std::optional<std::size_t> end =
        point.readFrom(row[0], std::stoul(row[1]));
    EXPECT_EQ(point.toText(), row[2]);
    EXPECT_EQ(end ? std::to_string(*end) : "none", row[3]);
  });
  forEachRow(kTable, "coincides", 2, [](const Row& row) {
    const Point origin;
    const Point point = pointOf(row[0]);
    EXPECT_EQ(origin.coincides(point), row[1] == "yes");
    EXPECT_EQ(point.coincides(origin), row[1] == "yes");
    EXPECT_EQ(point.coincides(point), std::isfinite(point.x + point.y + point.z));
  });
  forEachRow(kTable, "plan", 5, [](const Row& row) {
    const Point self = pointOf(row[0]), a = pointOf(row[1]), b = pointOf(row[2]);
    EXPECT_EQ(self.planTurn(a, b), std::stod(row[3]));
    EXPECT_EQ(self.planTurn(b, a), -std::stod(row[3]));
    const double distance = self.planDistance(a, b);
    if (row[4] == "none") {
      EXPECT_FALSE(std::isfinite(distance));
    } else {
      EXPECT_DOUBLE_EQ(distance, std::stod(row[4]));
    }
  });
}

TEST(GeometryOperationsTest, VectorsNormalizeAndMultiply) {
  forEachRow(kTable, "normalize", 2, [](const Row& row) {
    Vector vector = vectorOf(row[0]);
    vector.normalize();
    EXPECT_EQ(vector.toText(), row[1]);
  });
  forEachRow(kTable, "cross", 4, [](const Row& row) {
    const Vector u = vectorOf(row[0]), w = vectorOf(row[1]);
    const Vector product = u.cross(w);
    EXPECT_EQ(product.toText(), row[2]);
    EXPECT_EQ(product.dot(u), 0);
    EXPECT_EQ(u.planCross(w), std::stod(row[3]));
  });
}

TEST(GeometryOperationsTest, MatricesMultiplyAndFollowTheGeometry) {
  forEachRow(kTable, "determinant", 2, [](const Row& row) {
    EXPECT_EQ(matrixOf(row[0]).determinant(), std::stod(row[1]));
  });
  forEachRow(kTable, "times", 3, [](const Row& row) {
    const Matrix m = matrixOf(row[0]);
    const bool point = std::count(row[1].begin(), row[1].end(), ' ') == 2;
    EXPECT_EQ(point ? m.times(pointOf(row[1])).toText()
                    : m.times(matrixOf(row[1])).toText(),
              row[2]);
  });
  forEachRow(kTable, "rows", 4, [](const Row& row) {
    Matrix m = matrixOf(row[0]);
    m.swapXY();
    EXPECT_EQ(m.toText(), row[1]);
    m.swapYZ();
    EXPECT_EQ(m.toText(), row[2]);
    m.flattenY();
    EXPECT_EQ(m.toText(), row[3]);
  });
  forEachRow(kTable, "shear", 3, [](const Row& row) {
    Matrix m = matrixOf(row[0]);
    m.shearToPlane(vectorOf(row[1]));
    EXPECT_EQ(m.toText(), row[2]);
  });
}

}  // namespace
}  // namespace quillery
