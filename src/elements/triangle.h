// Triangle: an LDraw line of type 3, a filled triangle in winding order.
#pragma once

#include <string>
#include <string_view>

#include "elements/shape_element.h"

namespace quillery {

// Vertices p1, p2, p3 in winding order.
class Triangle final : public ShapeElement {
 public:
  // Parses a whole type-3 line; reading stops at a token that is not a
  // number, leaving the vertices not read at (0, 0, 0).
  explicit Triangle(std::string_view line);
  Triangle(const Point& p1, const Point& p2, const Point& p3, int color);
  // Copies the vertices and the colour.
  Triangle(const Triangle& source);

  void swapXY() override;
  void swapYZ() override;
  void flattenY() override;
  std::string toText() const override;
  // Appends the line to `out`, as toText() gives it.
  void appendText(std::string& out) const;
  int typeCode() const override { return kTriangleType; }
  // (p1, p2), then (p2, p3), (p3, p1), then null.
  std::unique_ptr<EdgeLine> firstEdge() override;
  std::unique_ptr<EdgeLine> nextEdge() override;
  double planWinding() const override;
  // Every vertex on the positive side or on the line.
  bool onPositiveSideOf(const EdgeLine& line) const override;
  bool clearOfSegment(const EdgeLine& line) const override;
  bool degenerate(std::unique_ptr<Element>& replacement) const override;
  void collectVertices(VertexClusterList& list) const override;
  void snapVertices(const VertexClusterList& list) override;
  bool projectPoint(Point& p) const override;
  void projectOnto(const Element& surface) override;
  bool isSurface() const override { return true; }
  void translate(const Vector& v) override;
  void transform(const Matrix& m) override;
  std::optional<Vector> normal() const override;
  double angleAcross(const Element& other,
                     const EdgeLine& edge) const override;
  // Exchanges p1 and p3.
  void reverse() override;
  // At least two vertices are end points of `edge`.
  bool hasEdge(const EdgeLine& edge) const override;
  const Point* vertexOffEdge(const EdgeLine& edge) const override;
  std::optional<Point> oppositeVertex(const Point& a,
                                      const Point& b) const override;
  // Keeps the part beyond the line (a triangle or a quad); never writes
  // `other`. Leaves the vertices rotated.
  void clipByLine(const EdgeLine& line, std::unique_ptr<Element>& piece,
                  std::unique_ptr<Element>& other) override;
  void rotateVertices() override;

  Point p1;
  Point p2;
  Point p3;
};

// Angle in degrees between the planes of two surfaces, 0 to 90: the arcsine
// of the length of the cross product of their unit normals.
double bendAngle(const Element& a, const Element& b);

}  // namespace quillery
