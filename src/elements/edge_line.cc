// Edge lines, the edge-walk carrier, and plan-view clipping of a segment.
#include "elements/edge_line.h"

#include <cmath>
#include <utility>

#include "elements/deleted_element.h"

namespace quillery {

namespace {
// Below this Manhattan length an element has collapsed.
constexpr double kDegenerateLength = 0.001;
}  // namespace

EdgeLine::EdgeLine(std::string_view line) {
  (void)readPoints(line, readColorField(line), {&p1, &p2});
}

EdgeLine::EdgeLine(const Point& p1, const Point& p2, int color)
    : ShapeElement(color), p1(p1), p2(p2) {}

EdgeLine::EdgeLine(const EdgeLine& source)
    : ShapeElement(source.color, source.hexColor), p1(source.p1), p2(source.p2) {}

void EdgeLine::swapXY() {
  p1.swapXY();
  p2.swapXY();
}

void EdgeLine::swapYZ() {
  p1.swapYZ();
  p2.swapYZ();
}

void EdgeLine::flattenY() {
  p1.flattenY();
  p2.flattenY();
}

std::string EdgeLine::toText() const {
  std::string line;
  appendText(line);
  return line;
}

void EdgeLine::appendText(std::string& out) const {
  appendHead(out, kEdgeType);
  p1.appendText(out);
  out.push_back(' ');
  p2.appendText(out);
}

std::unique_ptr<EdgeLine> EdgeLine::firstEdge() {
  return std::make_unique<EdgeLine>(p1, p2, 0);
}

bool EdgeLine::onPositiveSideOf(const EdgeLine& line) const {
  return p1.planTurn(line.p1, line.p2) > 0 && p2.planTurn(line.p1, line.p2) > 0;
}

bool EdgeLine::degenerate(std::unique_ptr<Element>& replacement) const {
  if (p1.manhattanDistance(p2) < kDegenerateLength) {
    replacement = std::make_unique<DeletedElement>();
    return true;
  }
  return false;
}

void EdgeLine::collectVertices(VertexClusterList& list) const {
  list.add(p1);
  list.add(p2);
}

void EdgeLine::snapVertices(const VertexClusterList& list) {
  list.snap(p1);
  list.snap(p2);
}

void EdgeLine::projectOnto(const Element& surface) {
  if (!surface.isSurface()) return;
  (void)surface.projectPoint(p1);
  (void)surface.projectPoint(p2);
}

void EdgeLine::translate(const Vector& v) {
  v.addTo(p1);
  v.addTo(p2);
}

void EdgeLine::transform(const Matrix& m) {
  p1.setFrom(m.times(p1));
  p2.setFrom(m.times(p2));
}

bool EdgeLine::hasVertex(const Point& p) const {
  return p1.coincides(p) || p2.coincides(p);
}

void EdgeLine::reverse() { std::swap(p1, p2); }

bool EdgeLine::hasEdge(const EdgeLine& edge) const {
  return joins(p1, p2, edge);
}

bool EdgeLine::planIntersection(const EdgeLine& line, Point& point) const {
  Vector a(p1, p2);
  Vector b(line.p1, line.p2);
  Vector c(p1, line.p1);
  // The parallel test compares the unnormalised cross product, as the
  // crossing parameter below divides by exactly this value.
  double den = a.planCross(b);
  if (std::fabs(den) < kCoincidenceTolerance) return false;
  double t = c.planCross(b) / den;
  if (t < 0 || t > 1) return false;
  point.setFrom(Point(p1.x + t * a.x, p1.y + t * a.y, p1.z + t * a.z));
  return true;
}

void EdgeLine::clipByLine(const EdgeLine& line, std::unique_ptr<Element>& piece,
                          std::unique_ptr<Element>&) {
  double d1 = p1.planDistance(line.p1, line.p2);
  double d2 = p2.planDistance(line.p1, line.p2);
  int positive = 0;
  int near = 0;
  for (double d : {d1, d2}) {
    if (std::fabs(d) < kCoincidenceTolerance) {
      ++near;
    } else if (d > kCoincidenceTolerance) {
      ++positive;
    }
  }
  if (positive == 0) return;
  if (2 - positive - near == 0) {
    piece = std::make_unique<EdgeLine>(*this);
    return;
  }
  Point crossing;
  if (!planIntersection(line, crossing)) return;
  if (d2 > 0.0) {
    piece = std::make_unique<EdgeLine>(p2, crossing, color);
  } else {
    piece = std::make_unique<EdgeLine>(p1, crossing, color);
  }
}

}  // namespace quillery
