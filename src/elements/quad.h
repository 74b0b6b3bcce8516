// Quad: an LDraw line of type 4, a four-sided surface in winding order.
#pragma once

#include <string>
#include <string_view>

#include "elements/shape_element.h"

namespace quillery {

// Corners p1..p4; the boundary runs p1, p2, p3, p4 and back to p1. Nothing
// requires the corners to be distinct, coplanar or convex.
class Quad final : public ShapeElement {
 public:
  // Parses a whole type-4 line; reading stops at a token that is not a
  // number, leaving the corners not read at (0, 0, 0).
  explicit Quad(std::string_view line);
  Quad(const Point& p1, const Point& p2, const Point& p3, const Point& p4,
       int color);
  // Copies the corners and the colour.
  Quad(const Quad& source);

  void swapXY() override;
  void swapYZ() override;
  void flattenY() override;
  std::string toText() const override;
  // Appends the line to `out`, as toText() gives it.
  void appendText(std::string& out) const;
  int typeCode() const override { return kQuadType; }
  // (p1, p2), (p2, p3), (p3, p4), (p4, p1), then null.
  std::unique_ptr<EdgeLine> firstEdge() override;
  std::unique_ptr<EdgeLine> nextEdge() override;
  double planWinding() const override;
  bool onPositiveSideOf(const EdgeLine& line) const override;
  // True, with a Triangle of the other three corners, at the first side
  // shorter than 0.001 Manhattan.
  bool degenerate(std::unique_ptr<Element>& replacement) const override;
  void collectVertices(VertexClusterList& list) const override;
  void snapVertices(const VertexClusterList& list) override;
  bool projectPoint(Point& p) const override;
  void projectOnto(const Element& surface) override;
  bool isSurface() const override { return true; }
  void translate(const Vector& v) override;
  void transform(const Matrix& m) override;
  // From p1, p2, p3; p4 plays no part.
  std::optional<Vector> normal() const override;
  double angleAcross(const Element& other,
                     const EdgeLine& edge) const override;
  // Exchanges p1 and p3.
  void reverse() override;
  // One of the four sides equals `edge`; the diagonals never do.
  bool hasEdge(const EdgeLine& edge) const override;
  // p1, p2 or p3 (never p4).
  const Point* vertexOffEdge(const EdgeLine& edge) const override;
  std::optional<Point> oppositeVertex(const Point& a,
                                      const Point& b) const override;
  // Keeps the part beyond the line; may write both outputs. Leaves the
  // corners rotated.
  void clipByLine(const EdgeLine& line, std::unique_ptr<Element>& piece,
                  std::unique_ptr<Element>& other) override;
  void rotateVertices() override;

  // How the quad is split: along which diagonal, and whether the split
  // bends enough to need a line along it.
  struct SplitChoice {
    bool alongP2P4 = false;
    bool bent = false;
  };
  // The flatter diagonal (p1-p3 on a tie), and whether the split along it
  // bends by more than 0.1 degrees.
  SplitChoice chooseSplit() const;
  // The two triangles along the flatter diagonal and the element for that
  // diagonal: a CondLine of colour 24 when the split bends, a DeletedElement
  // otherwise. The quad is unchanged.
  void splitInTwo(std::unique_ptr<Element>& first,
                  std::unique_ptr<Element>& second,
                  std::unique_ptr<Element>& diagonal) const;
  // The same for a choice that chooseSplit() made.
  void splitInTwo(SplitChoice choice, std::unique_ptr<Element>& first,
                  std::unique_ptr<Element>& second,
                  std::unique_ptr<Element>& diagonal) const;

  Point p1;
  Point p2;
  Point p3;
  Point p4;
};

}  // namespace quillery
