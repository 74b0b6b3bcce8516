// Triangles: the surfaces that quad splitting produces, with the plane
// geometry (normals, fold angles, projection, plan clipping) it relies on.
#include "elements/triangle.h"

#include <algorithm>
#include <cmath>
#include <utility>

#include "elements/deleted_element.h"
#include "elements/edge_line.h"
#include "elements/quad.h"

namespace quillery {

namespace {
// Below this Manhattan length an element has collapsed.
constexpr double kDegenerateLength = 0.001;
// A cross product this short in Manhattan length has no usable plane.
constexpr double kFlatNormal = 0.001;
// Barycentric slack of projectPoint, applied to the weights themselves.
constexpr double kInsideSlack = 0.001;

// Degrees from the sine of an angle, in the order asin, times 180, over pi.
double degreesFromSine(double s) { return std::asin(s) * 180 / std::acos(-1.0); }

// The crossing of the segment a-b with the cutting line; when the plan test
// finds none (a short edge can fail the unnormalised parallel test), the
// point where the signed distances interpolate to zero.
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

Triangle::Triangle(std::string_view line) {
  (void)readPoints(line, readColorField(line), {&p1, &p2, &p3});
}

Triangle::Triangle(const Point& p1, const Point& p2, const Point& p3,
                   int color)
    : ShapeElement(color), p1(p1), p2(p2), p3(p3) {}

Triangle::Triangle(const Triangle& source)
    : ShapeElement(source.color, source.hexColor),
      p1(source.p1),
      p2(source.p2),
      p3(source.p3) {}

void Triangle::swapXY() {
  for (Point* p : {&p1, &p2, &p3}) p->swapXY();
}

void Triangle::swapYZ() {
  for (Point* p : {&p1, &p2, &p3}) p->swapYZ();
}

void Triangle::flattenY() {
  for (Point* p : {&p1, &p2, &p3}) p->flattenY();
}

std::string Triangle::toText() const {
  std::string line;
  appendText(line);
  return line;
}

void Triangle::appendText(std::string& out) const {
  appendHead(out, kTriangleType);
  p1.appendText(out);
  out.push_back(' ');
  p2.appendText(out);
  out.push_back(' ');
  p3.appendText(out);
}

std::unique_ptr<EdgeLine> Triangle::firstEdge() {
  edgeCounter = 0;
  return std::make_unique<EdgeLine>(p1, p2, 0);
}

std::unique_ptr<EdgeLine> Triangle::nextEdge() {
  if (edgeCounter < 3) ++edgeCounter;
  if (edgeCounter == 1) return std::make_unique<EdgeLine>(p2, p3, 0);
  if (edgeCounter == 2) return std::make_unique<EdgeLine>(p3, p1, 0);
  return nullptr;
}

double Triangle::planWinding() const { return p2.planTurn(p1, p3); }

bool Triangle::onPositiveSideOf(const EdgeLine& line) const {
  return p1.planTurn(line.p1, line.p2) >= 0 &&
         p2.planTurn(line.p1, line.p2) >= 0 &&
         p3.planTurn(line.p1, line.p2) >= 0;
}

bool Triangle::clearOfSegment(const EdgeLine& line) const {
  const Point* sides[3][2] = {{&p1, &p2}, {&p2, &p3}, {&p3, &p1}};
  for (const auto& side : sides) {
    const Point& u = *side[0];
    const Point& w = *side[1];
    if (u.planTurn(w, line.p1) >= 0 && u.planTurn(w, line.p2) >= 0) {
      return true;
    }
  }
  return false;
}

bool Triangle::degenerate(std::unique_ptr<Element>& replacement) const {
  if (p1.manhattanDistance(p2) < kDegenerateLength ||
      p2.manhattanDistance(p3) < kDegenerateLength ||
      p1.manhattanDistance(p3) < kDegenerateLength) {
    replacement = std::make_unique<DeletedElement>();
    return true;
  }
  return false;
}

void Triangle::collectVertices(VertexClusterList& list) const {
  for (const Point* p : {&p1, &p2, &p3}) list.add(*p);
}

void Triangle::snapVertices(const VertexClusterList& list) {
  for (Point* p : {&p1, &p2, &p3}) list.snap(*p);
}

bool Triangle::projectPoint(Point& p) const {
  Vector e1(p2, p1);
  Vector e2(p3, p1);
  Vector n = e1.cross(e2);
  if (std::fabs(n.x) + std::fabs(n.y) + std::fabs(n.z) < kFlatNormal) {
    return false;
  }
  // Travel along y: from the point one unit further up back down to p.
  Vector d(0, -1, 0);
  double num = n.dot(Vector(p, p1));
  double den = n.dot(d);
  if (std::fabs(den) < kFlatNormal) return false;
  double k = num / den;
  Point r(p.x + k * d.x, p.y + k * d.y, p.z + k * d.z);
  // Barycentric weights of r: s for p2, t for p3.
  Vector w(p1, r);
  double a11 = e1.dot(e1);
  double a12 = e1.dot(e2);
  double a22 = e2.dot(e2);
  double b1 = w.dot(e1);
  double b2 = w.dot(e2);
  double det = a11 * a22 - a12 * a12;
  double s = (b2 * a12 - b1 * a22) / det;
  double t = (b1 * a12 - b2 * a11) / det;
  bool inside = s >= -kInsideSlack && s <= 1 + kInsideSlack &&
                t >= -kInsideSlack && s + t <= 1 + kInsideSlack;
  p.setFrom(r);
  return inside;
}

void Triangle::projectOnto(const Element& surface) {
  if (!surface.isSurface()) return;
  for (Point* p : {&p1, &p2, &p3}) (void)surface.projectPoint(*p);
}

void Triangle::translate(const Vector& v) {
  for (Point* p : {&p1, &p2, &p3}) v.addTo(*p);
}

void Triangle::transform(const Matrix& m) {
  for (Point* p : {&p1, &p2, &p3}) p->setFrom(m.times(*p));
}

std::optional<Vector> Triangle::normal() const {
  Vector n = Vector(p1, p2).cross(Vector(p2, p3));
  n.normalize();
  return n;
}

double Triangle::angleAcross(const Element& other, const EdgeLine& edge) const {
  std::optional<Vector> n = normal();
  std::optional<Vector> m = other.normal();
  if (!m) return 0.0;
  Vector c = n->cross(*m);
  double angle = degreesFromSine(c.length());
  if (Vector(edge.p1, edge.p2).dot(c) > 0) angle = -angle;
  if (other.winding == kWindingCw) angle = -angle;
  return angle;
}

void Triangle::reverse() { std::swap(p1, p3); }

bool Triangle::hasEdge(const EdgeLine& edge) const {
  int ends = (edge.hasVertex(p1) ? 1 : 0) + (edge.hasVertex(p2) ? 1 : 0);
  if (ends == 2) return true;
  if (ends == 0) return false;
  return edge.hasVertex(p3);
}

const Point* Triangle::vertexOffEdge(const EdgeLine& edge) const {
  if (!edge.hasVertex(p1)) return &p1;
  if (!edge.hasVertex(p2)) return &p2;
  return &p3;
}

std::optional<Point> Triangle::oppositeVertex(const Point& a,
                                              const Point& b) const {
  if (p1.coincides(a) && p2.coincides(b)) return Point(p3);
  if (p2.coincides(a) && p3.coincides(b)) return Point(p1);
  if (p3.coincides(a) && p1.coincides(b)) return Point(p2);
  return std::nullopt;
}

void Triangle::clipByLine(const EdgeLine& line, std::unique_ptr<Element>& piece,
                          std::unique_ptr<Element>&) {
  constexpr double tol = kCoincidenceTolerance;
  // The distances of the vertices from the line, turned with them.
  double sideDistance[3] = {p1.planDistance(line.p1, line.p2),
                            p2.planDistance(line.p1, line.p2),
                            p3.planDistance(line.p1, line.p2)};
  auto rotate = [this, &sideDistance] {
    rotateVertices();
    std::rotate(sideDistance, sideDistance + 1, sideDistance + 3);
  };
  int positive = 0;
  int near = 0;
  for (double d : sideDistance) {
    if (std::fabs(d) < tol) {
      ++near;
    } else if (d > tol) {
      ++positive;
    }
  }
  int far = 3 - positive - near;
  if (positive == 0) return;
  if (positive == 3 || clearOfSegment(line) || (near > 0 && far == 0)) {
    piece = std::make_unique<Triangle>(*this);
    return;
  }
  const double& d1 = sideDistance[0];
  const double& d2 = sideDistance[1];
  const double& d3 = sideDistance[2];
  if (near == 0) {
    // One vertex alone on its side: bring it first, cut the two sides from it.
    bool keepOne = positive == 1;
    for (int turn = 0; turn < 3; ++turn) {
      if (keepOne ? d1 > tol : d1 < -tol) break;
      rotate();
    }
    Point x1 = crossingPoint(p1, p2, d1, d2, line);
    Point x2 = crossingPoint(p1, p3, d1, d3, line);
    if (keepOne) {
      piece = std::make_unique<Triangle>(p1, x1, x2, color);
    } else {
      piece = std::make_unique<Quad>(x1, p2, p3, x2, color);
    }
    return;
  }
  // One vertex on the line, one on each side: cut the opposite side.
  for (int turn = 0; turn < 3 && !(std::fabs(d1) < tol); ++turn) rotate();
  Point x = crossingPoint(p2, p3, d2, d3, line);
  if (d2 > tol) {
    piece = std::make_unique<Triangle>(p1, p2, x, color);
  } else {
    piece = std::make_unique<Triangle>(p1, x, p3, color);
  }
}

void Triangle::rotateVertices() {
  Point first = p1;
  p1 = p2;
  p2 = p3;
  p3 = first;
}

double bendAngle(const Element& a, const Element& b) {
  std::optional<Vector> n = a.normal();
  std::optional<Vector> m = b.normal();
  if (!n || !m) return 0.0;
  Vector c = n->cross(*m);
  return degreesFromSine(c.length());
}

}  // namespace quillery
