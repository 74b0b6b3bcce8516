// Defaults of the element interface.
#include "elements/element.h"

#include "elements/edge_line.h"

namespace quillery {

Element::~Element() = default;

void Element::print() const {}
void Element::swapXY() {}
void Element::swapYZ() {}
void Element::flattenY() {}
std::string Element::toText() const { return std::string(); }
int Element::typeCode() const { return kNoType; }
std::unique_ptr<EdgeLine> Element::firstEdge() { return nullptr; }
std::unique_ptr<EdgeLine> Element::nextEdge() { return nullptr; }
double Element::planWinding() const { return 1.0; }
bool Element::onPositiveSideOf(const EdgeLine&) const { return true; }
bool Element::clearOfSegment(const EdgeLine&) const { return false; }
bool Element::degenerate(std::unique_ptr<Element>&) const { return false; }
void Element::collectVertices(VertexClusterList&) const {}
void Element::snapVertices(const VertexClusterList&) {}
bool Element::projectPoint(Point&) const { return false; }
void Element::projectOnto(const Element&) {}
bool Element::isSurface() const { return false; }
bool Element::isLine() const { return false; }
void Element::translate(const Vector&) {}
void Element::transform(const Matrix&) {}
std::optional<Vector> Element::normal() const { return std::nullopt; }
double Element::angleAcross(const Element&, const EdgeLine&) const {
  return 0.0;
}
bool Element::hasVertex(const Point&) const { return false; }
void Element::reverse() {}
void Element::setColor(int) {}
int Element::getColor() const { return 0; }
bool Element::hasEdge(const EdgeLine&) const { return false; }
const Point* Element::vertexOffEdge(const EdgeLine&) const { return nullptr; }
std::optional<Point> Element::oppositeVertex(const Point&,
                                             const Point&) const {
  return std::nullopt;
}
void Element::clipByLine(const EdgeLine&, std::unique_ptr<Element>& piece,
                         std::unique_ptr<Element>& other) {
  piece.reset();
  other.reset();
}
void Element::rotateVertices() {}
int Element::reserved() const { return 0; }

}  // namespace quillery
