// Point: three doubles, their LDraw text, the vertex tolerance and the
// plan-view (x-z plane) predicates the element classes rest on.
#pragma once

#include <cmath>
#include <cstddef>
#include <optional>
#include <string>
#include <string_view>


namespace quillery {

// Two points within this distance in every coordinate are the same vertex.
inline constexpr double kCoincidenceTolerance = 0.001;

// A position in model space. A default point is (0, 0, 0). Points are
// plain values with the coordinate operations of every spatial object but
// no virtual table: a model holds millions of them.
class Point {
 public:
  Point() = default;
  Point(double x, double y, double z) : x(x), y(y), z(z) {}
  Point(const Point&) = default;
  Point& operator=(const Point&) = default;

  // Writes "classe point" and a line end to standard output.
  void print() const;
  void swapXY();
  void swapYZ();
  void flattenY();

  // Reads three numbers from `text` starting at `pos` (at or before the blank
  // in front of the first number). Returns the position after the third
  // token, or nothing when a token is not a number: the coordinates read
  // before it keep their new values, the others their old ones. A coordinate
  // with nothing left to read keeps its value without failing.
  [[nodiscard]] std::optional<std::size_t> readFrom(std::string_view text,
                                                    std::size_t pos);
  // "%.7lg %.7lg %.7lg" of x, y, z.
  std::string toText() const;
  // Appends toText() to `out` without a temporary.
  void appendText(std::string& out) const;
  // Copies the coordinates of `p`; the kind of this object stays.
  void setFrom(const Point& p);
  // Adds this point's coordinates to `p` and returns `p`.
  Point& addTo(Point& p) const;
  // |p.x - x| + |p.y - y| + |p.z - z|.
  double manhattanDistance(const Point& p) const;
  // True when every coordinate differs by at most kCoincidenceTolerance.
  // A point with a NaN or infinite coordinate coincides with nothing.
  // Neighbour searches ask this millions of times: it is inline.
  bool coincides(const Point& p) const {
    return std::fabs(p.x - x) <= kCoincidenceTolerance &&
           std::fabs(p.y - y) <= kCoincidenceTolerance &&
           std::fabs(p.z - z) <= kCoincidenceTolerance;
  }
  // (a.z - z)(b.x - x) - (b.z - z)(a.x - x): twice the signed area of the
  // triangle (this, a, b) seen from above.
  double planTurn(const Point& a, const Point& b) const;
  // Signed distance from the line through a and b in the x-z plane;
  // infinite or NaN when a and b coincide in x and z.
  double planDistance(const Point& a, const Point& b) const;

  double x = 0;
  double y = 0;
  double z = 0;
};

}  // namespace quillery
