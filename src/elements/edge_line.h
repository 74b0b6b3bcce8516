// EdgeLine: an LDraw line of type 2, and the two-point carrier that the edge
// walk of every element hands out.
#pragma once

#include <string>
#include <string_view>

#include "elements/shape_element.h"

namespace quillery {

// A segment from p1 to p2 in `color`. Nothing requires p1 and p2 to differ.
class EdgeLine final : public ShapeElement {
 public:
  // Parses a whole type-2 line; reading stops at a token that is not a
  // number, leaving the points not read at (0, 0, 0).
  explicit EdgeLine(std::string_view line);
  EdgeLine(const Point& p1, const Point& p2, int color);
  // Copies p1, p2 and the colour.
  EdgeLine(const EdgeLine& source);

  void swapXY() override;
  void swapYZ() override;
  void flattenY() override;
  std::string toText() const override;
  // Appends the line to `out`, as toText() gives it.
  void appendText(std::string& out) const;
  int typeCode() const override { return kEdgeType; }
  std::unique_ptr<EdgeLine> firstEdge() override;
  // Both end points strictly on the positive planTurn side.
  bool onPositiveSideOf(const EdgeLine& line) const override;
  // True, with a DeletedElement, when the ends are within 0.001 Manhattan.
  bool degenerate(std::unique_ptr<Element>& replacement) const override;
  void collectVertices(VertexClusterList& list) const override;
  void snapVertices(const VertexClusterList& list) override;
  void projectOnto(const Element& surface) override;
  bool isLine() const override { return true; }
  void translate(const Vector& v) override;
  void transform(const Matrix& m) override;
  bool hasVertex(const Point& p) const override;
  // Exchanges p1 and p2.
  void reverse() override;
  // Same two end points in either direction, each within the tolerance.
  bool hasEdge(const EdgeLine& edge) const override;
  // hasEdge of the segment from `a` to `b`, for the sides of a surface,
  // which need no EdgeLine of their own to be compared.
  static bool joins(const Point& a, const Point& b, const EdgeLine& edge) {
    return (a.coincides(edge.p1) && b.coincides(edge.p2)) ||
           (b.coincides(edge.p1) && a.coincides(edge.p2));
  }
  // Keeps the part beyond the line; never writes `other`.
  void clipByLine(const EdgeLine& line, std::unique_ptr<Element>& piece,
                  std::unique_ptr<Element>& other) override;

  // True, with the crossing written to `point`, when this segment meets the
  // infinite line through `line` in the x-z plane (ends included); false and
  // `point` untouched when they are parallel there or miss each other.
  [[nodiscard]] bool planIntersection(const EdgeLine& line,
                                      Point& point) const;

  Point p1;
  Point p2;
};

}  // namespace quillery
