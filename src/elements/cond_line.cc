// Conditional lines: a drawn segment and two control points.
#include "elements/cond_line.h"

#include "elements/edge_line.h"

namespace quillery {

CondLine::CondLine(std::string_view line) {
  (void)readPoints(line, readColorField(line), {&p1, &p2, &p3, &p4});
}

CondLine::CondLine(const Point& p1, const Point& p2, const Point& p3,
                   const Point& p4, int color)
    : ShapeElement(color), p1(p1), p2(p2), p3(p3), p4(p4) {}

void CondLine::swapXY() {
  for (Point* p : {&p1, &p2, &p3, &p4}) p->swapXY();
}

void CondLine::swapYZ() {
  for (Point* p : {&p1, &p2, &p3, &p4}) p->swapYZ();
}

std::string CondLine::toText() const {
  std::string line;
  appendText(line);
  return line;
}

void CondLine::appendText(std::string& out) const {
  appendHead(out, kCondLineType);
  p1.appendText(out);
  for (const Point* p : {&p2, &p3, &p4}) {
    out.push_back(' ');
    p->appendText(out);
  }
}

std::unique_ptr<EdgeLine> CondLine::firstEdge() {
  return std::make_unique<EdgeLine>(p1, p2, 0);
}

void CondLine::collectVertices(VertexClusterList& list) const {
  for (const Point* p : {&p1, &p2, &p3, &p4}) list.add(*p);
}

void CondLine::snapVertices(const VertexClusterList& list) {
  for (Point* p : {&p1, &p2, &p3, &p4}) list.snap(*p);
}

void CondLine::translate(const Vector& v) {
  for (Point* p : {&p1, &p2, &p3, &p4}) v.addTo(*p);
}

void CondLine::transform(const Matrix& m) {
  for (Point* p : {&p1, &p2, &p3, &p4}) p->setFrom(m.times(*p));
}

bool CondLine::hasEdge(const EdgeLine& edge) const {
  return EdgeLine(p1, p2, 0).hasEdge(edge);
}

}  // namespace quillery
