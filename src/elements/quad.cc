// Quads: four corners in winding order, split into two triangles along the
// flatter diagonal by the quad-splitting pass.
//
//   p4 ------- p3      split A (p1-p3): (p1, p2, p3) and (p3, p4, p1)
//    |       / |       split B (p2-p4): (p2, p3, p4) and (p4, p1, p2)
//    |     /   |
//    |   /     |
//   p1 ------- p2
#include "elements/quad.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "elements/cond_line.h"
#include "elements/deleted_element.h"
#include "elements/edge_line.h"
#include "elements/triangle.h"

namespace quillery {

namespace {
// Below this Manhattan length a side has collapsed.
constexpr double kDegenerateLength = 0.001;
// A split that bends by more than this many degrees gets a conditional line
// along its diagonal.
constexpr double kFlatSplitAngle = 0.1;

// The crossing of the side a-b with the cutting line; when the plan test
// finds none, the point where the signed distances interpolate to zero.
Point crossingPoint(const Point& a, const Point& b, double da, double db,
                    const EdgeLine& line) {
  Point x;
  if (EdgeLine(a, b, 0).planIntersection(line, x)) return x;
  double t = da / (da - db);
  if (!std::isfinite(t)) t = 0;
  return Point(a.x + t * (b.x - a.x), a.y + t * (b.y - a.y),
               a.z + t * (b.z - a.z));
}
}  // namespace

Quad::Quad(std::string_view line) {
  (void)readPoints(line, readColorField(line), {&p1, &p2, &p3, &p4});
}

Quad::Quad(const Point& p1, const Point& p2, const Point& p3, const Point& p4,
           int color)
    : ShapeElement(color), p1(p1), p2(p2), p3(p3), p4(p4) {}

Quad::Quad(const Quad& source)
    : ShapeElement(source.color, source.hexColor),
      p1(source.p1),
      p2(source.p2),
      p3(source.p3),
      p4(source.p4) {}

void Quad::swapXY() {
  for (Point* p : {&p1, &p2, &p3, &p4}) p->swapXY();
}

void Quad::swapYZ() {
  for (Point* p : {&p1, &p2, &p3, &p4}) p->swapYZ();
}

void Quad::flattenY() {
  for (Point* p : {&p1, &p2, &p3, &p4}) p->flattenY();
}

std::string Quad::toText() const {
  std::string line;
  appendText(line);
  return line;
}

void Quad::appendText(std::string& out) const {
  appendHead(out, kQuadType);
  p1.appendText(out);
  for (const Point* p : {&p2, &p3, &p4}) {
    out.push_back(' ');
    p->appendText(out);
  }
}

std::unique_ptr<EdgeLine> Quad::firstEdge() {
  edgeCounter = 0;
  return std::make_unique<EdgeLine>(p1, p2, 0);
}

std::unique_ptr<EdgeLine> Quad::nextEdge() {
  if (edgeCounter < 4) ++edgeCounter;
  if (edgeCounter == 1) return std::make_unique<EdgeLine>(p2, p3, 0);
  if (edgeCounter == 2) return std::make_unique<EdgeLine>(p3, p4, 0);
  if (edgeCounter == 3) return std::make_unique<EdgeLine>(p4, p1, 0);
  return nullptr;
}

double Quad::planWinding() const { return p2.planTurn(p1, p3); }

bool Quad::onPositiveSideOf(const EdgeLine& line) const {
  for (const Point* p : {&p1, &p2, &p3, &p4}) {
    if (!(p->planTurn(line.p1, line.p2) >= 0)) return false;
  }
  return true;
}

bool Quad::degenerate(std::unique_ptr<Element>& replacement) const {
  if (p1.manhattanDistance(p2) < kDegenerateLength) {
    replacement = std::make_unique<Triangle>(p2, p3, p4, color);
  } else if (p2.manhattanDistance(p3) < kDegenerateLength) {
    replacement = std::make_unique<Triangle>(p1, p3, p4, color);
  } else if (p3.manhattanDistance(p4) < kDegenerateLength) {
    replacement = std::make_unique<Triangle>(p1, p2, p4, color);
  } else if (p4.manhattanDistance(p1) < kDegenerateLength) {
    replacement = std::make_unique<Triangle>(p1, p2, p3, color);
  } else {
    return false;
  }
  return true;
}

void Quad::collectVertices(VertexClusterList& list) const {
  for (const Point* p : {&p1, &p2, &p3, &p4}) list.add(*p);
}

void Quad::snapVertices(const VertexClusterList& list) {
  for (Point* p : {&p1, &p2, &p3, &p4}) list.snap(*p);
}

bool Quad::projectPoint(Point& p) const {
  Triangle a1(p1, p2, p3, 0);
  Triangle a2(p1, p3, p4, 0);
  Triangle b1(p2, p3, p4, 0);
  Triangle b2(p2, p4, p1, 0);
  // Unlike splitInTwo, a tie goes to the p2-p4 diagonal here.
  bool useA = bendAngle(b1, b2) > bendAngle(a1, a2);
  const Triangle& first = useA ? a1 : b1;
  const Triangle& second = useA ? a2 : b2;
  if (first.projectPoint(p)) return true;
  return second.projectPoint(p);
}

void Quad::projectOnto(const Element& surface) {
  if (!surface.isSurface()) return;
  for (Point* p : {&p1, &p2, &p3, &p4}) (void)surface.projectPoint(*p);
}

void Quad::translate(const Vector& v) {
  for (Point* p : {&p1, &p2, &p3, &p4}) v.addTo(*p);
}

void Quad::transform(const Matrix& m) {
  for (Point* p : {&p1, &p2, &p3, &p4}) p->setFrom(m.times(*p));
}

std::optional<Vector> Quad::normal() const {
  Vector n = Vector(p1, p2).cross(Vector(p2, p3));
  n.normalize();
  return n;
}

double Quad::angleAcross(const Element& other, const EdgeLine& edge) const {
  std::optional<Vector> n = normal();
  std::optional<Vector> m = other.normal();
  if (!m) return 0.0;
  Vector k = n->cross(*m);
  double s = k.length();
  // The sign goes on the sine here, before the arcsine.
  if (Vector(edge.p1, edge.p2).dot(k) > 0) s = -s;
  if (other.winding == kWindingCw) s = -s;
  return std::asin(s) * 180 / std::acos(-1.0);
}

void Quad::reverse() { std::swap(p1, p3); }

bool Quad::hasEdge(const EdgeLine& edge) const {
  // Every side has p1 or p3 as an end point.
  if (!edge.hasVertex(p1) && !edge.hasVertex(p3)) return false;
  return EdgeLine::joins(p1, p2, edge) || EdgeLine::joins(p2, p3, edge) ||
         EdgeLine::joins(p3, p4, edge) || EdgeLine::joins(p4, p1, edge);
}

const Point* Quad::vertexOffEdge(const EdgeLine& edge) const {
  if (!edge.hasVertex(p1)) return &p1;
  if (!edge.hasVertex(p2)) return &p2;
  return &p3;
}

std::optional<Point> Quad::oppositeVertex(const Point& a,
                                          const Point& b) const {
  if (p1.coincides(a) && p2.coincides(b)) return Point(p4);
  if (p2.coincides(a) && p3.coincides(b)) return Point(p1);
  if (p3.coincides(a) && p4.coincides(b)) return Point(p2);
  if (p4.coincides(a) && p1.coincides(b)) return Point(p3);
  return std::nullopt;
}

void Quad::clipByLine(const EdgeLine& line, std::unique_ptr<Element>& piece,
                      std::unique_ptr<Element>& other) {
  constexpr double tol = kCoincidenceTolerance;
  // The distances of the corners from the line, turned with them.
  double sideDistance[4] = {
      p1.planDistance(line.p1, line.p2), p2.planDistance(line.p1, line.p2),
      p3.planDistance(line.p1, line.p2), p4.planDistance(line.p1, line.p2)};
  int positive = 0;
  int near = 0;
  for (double d : sideDistance) {
    if (std::fabs(d) < tol) {
      ++near;
    } else if (d > tol) {
      ++positive;
    }
  }
  int far = 4 - positive - near;
  if (positive == 0) return;
  if (positive == 4 || clearOfSegment(line) || (near > 0 && far == 0)) {
    piece = std::make_unique<Quad>(*this);
    return;
  }
  const double& d1 = sideDistance[0];
  const double& d2 = sideDistance[1];
  const double& d3 = sideDistance[2];
  const double& d4 = sideDistance[3];
  auto rotateUntil = [this, &sideDistance](auto startsHere) {
    for (int turn = 0; turn < 4 && !startsHere(); ++turn) {
      rotateVertices();
      std::rotate(sideDistance, sideDistance + 1, sideDistance + 4);
    }
  };
  auto isNear = [&d1] { return std::fabs(d1) < tol; };
  if (near == 2) {
    rotateUntil(isNear);
    if (d2 > tol) {
      piece = std::make_unique<Triangle>(p1, p2, p3, color);
    } else {
      piece = std::make_unique<Triangle>(p1, p3, p4, color);
    }
  } else if (near == 1) {
    rotateUntil(isNear);
    if (d2 * d3 > 0) {
      Point x = crossingPoint(p3, p4, d3, d4, line);
      if (d2 > 0) {
        piece = std::make_unique<Quad>(p1, p2, p3, x, color);
      } else {
        piece = std::make_unique<Triangle>(p1, x, p4, color);
      }
    } else {
      Point x = crossingPoint(p2, p3, d2, d3, line);
      if (d2 > 0) {
        piece = std::make_unique<Triangle>(p1, p2, x, color);
      } else {
        piece = std::make_unique<Quad>(p1, x, p3, p4, color);
      }
    }
  } else if (positive == 1) {
    rotateUntil([&d1] { return d1 > tol; });
    Point x1 = crossingPoint(p1, p2, d1, d2, line);
    Point x2 = crossingPoint(p1, p4, d1, d4, line);
    piece = std::make_unique<Triangle>(p1, x1, x2, color);
  } else if (far == 1) {
    rotateUntil([&d1] { return d1 < -tol; });
    Point x1 = crossingPoint(p1, p2, d1, d2, line);
    Point x2 = crossingPoint(p1, p4, d1, d4, line);
    if (d2 > d4) {
      piece = std::make_unique<Triangle>(x2, x1, p2, color);
      other = std::make_unique<Quad>(x2, p2, p3, p4, color);
    } else {
      piece = std::make_unique<Triangle>(x2, x1, p4, color);
      other = std::make_unique<Quad>(x1, p2, p3, p4, color);
    }
  } else {
    // Two corners on each side: the cut runs across two opposite sides.
    rotateUntil([&d1, &d2] { return d1 * d2 > 0; });
    Point x1 = crossingPoint(p2, p3, d2, d3, line);
    Point x2 = crossingPoint(p1, p4, d1, d4, line);
    if (d1 > 0) {
      piece = std::make_unique<Quad>(x2, p1, p2, x1, color);
    } else {
      piece = std::make_unique<Quad>(p3, p4, x2, x1, color);
    }
  }
}

void Quad::rotateVertices() {
  Point first = p1;
  p1 = p2;
  p2 = p3;
  p3 = p4;
  p4 = first;
}

Quad::SplitChoice Quad::chooseSplit() const {
  double angleA = bendAngle(Triangle(p1, p2, p3, color),
                            Triangle(p3, p4, p1, color));
  double angleB = bendAngle(Triangle(p2, p3, p4, color),
                            Triangle(p4, p1, p2, color));
  // A NaN angle fails every comparison: the p1-p3 split is then taken.
  if (angleA > angleB) return SplitChoice{true, angleB > kFlatSplitAngle};
  return SplitChoice{false, angleA > kFlatSplitAngle};
}

void Quad::splitInTwo(std::unique_ptr<Element>& first,
                      std::unique_ptr<Element>& second,
                      std::unique_ptr<Element>& diagonal) const {
  splitInTwo(chooseSplit(), first, second, diagonal);
}

void Quad::splitInTwo(SplitChoice choice, std::unique_ptr<Element>& first,
                      std::unique_ptr<Element>& second,
                      std::unique_ptr<Element>& diagonal) const {
  if (choice.alongP2P4) {
    first = std::make_unique<Triangle>(p2, p3, p4, color);
    second = std::make_unique<Triangle>(p4, p1, p2, color);
    if (choice.bent) {
      diagonal = std::make_unique<CondLine>(p2, p4, p1, p3, kEdgeColor);
    } else {
      diagonal = std::make_unique<DeletedElement>();
    }
  } else {
    first = std::make_unique<Triangle>(p1, p2, p3, color);
    second = std::make_unique<Triangle>(p3, p4, p1, color);
    if (choice.bent) {
      diagonal = std::make_unique<CondLine>(p1, p3, p2, p4, kEdgeColor);
    } else {
      diagonal = std::make_unique<DeletedElement>();
    }
  }
  // Both halves are read as the quad was: its colour in the form it was
  // written, its winding and its culling.
  for (Element* half : {first.get(), second.get()}) {
    static_cast<Triangle*>(half)->hexColor = hexColor;
    half->faceWinding = faceWinding;
    half->culled = culled;
  }
}

}  // namespace quillery
