// CondLine: an LDraw line of type 5, a conditional line with two control
// points.
#pragma once

#include <string>
#include <string_view>

#include "elements/shape_element.h"

namespace quillery {

// The drawn segment p1-p2 and the control points p3, p4, in line order.
class CondLine final : public ShapeElement {
 public:
  // Parses a whole type-5 line; reading stops at a token that is not a
  // number, leaving the points not read at (0, 0, 0).
  explicit CondLine(std::string_view line);
  CondLine(const Point& p1, const Point& p2, const Point& p3, const Point& p4,
           int color);

  void swapXY() override;
  void swapYZ() override;
  std::string toText() const override;
  // Appends the line to `out`, as toText() gives it.
  void appendText(std::string& out) const;
  int typeCode() const override { return kCondLineType; }
  // The drawn segment; the control points play no part.
  std::unique_ptr<EdgeLine> firstEdge() override;
  void collectVertices(VertexClusterList& list) const override;
  void snapVertices(const VertexClusterList& list) override;
  bool isLine() const override { return true; }
  // Moves all four points, control points included.
  void translate(const Vector& v) override;
  void transform(const Matrix& m) override;
  // The drawn segment equals `edge` in either direction.
  bool hasEdge(const EdgeLine& edge) const override;

  Point p1;
  Point p2;
  Point p3;
  Point p4;
};

}  // namespace quillery
