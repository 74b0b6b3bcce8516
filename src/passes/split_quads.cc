// Quad splitting over a spatial index of the model.
#include "passes/split_quads.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>

#include "elements/cond_line.h"
#include "elements/triangle.h"

namespace quillery {

namespace {

// Two vertices closer than this in every coordinate may both coincide with
// one point (twice the tolerance, with a margin for rounding).
constexpr double kPinchDistance = 3 * kCoincidenceTolerance;

bool pinched(const Point& a, const Point& b) {
  return std::fabs(a.x - b.x) <= kPinchDistance &&
         std::fabs(a.y - b.y) <= kPinchDistance &&
         std::fabs(a.z - b.z) <= kPinchDistance;
}

void sortUnique(std::vector<std::uint32_t>& positions) {
  if (!std::is_sorted(positions.begin(), positions.end())) {
    std::sort(positions.begin(), positions.end());
  }
  positions.erase(std::unique(positions.begin(), positions.end()),
                  positions.end());
}

}  // namespace

void splitQuads(Model& model, int keyColor, bool manageCondLines) {
  QuadSplitter(model).splitQuads(keyColor, manageCondLines);
}

void removeCondLinesOn(Model& model, const Quad& quad) {
  QuadSplitter splitter(model);
  splitter.fileModel();
  splitter.removeCondLinesOn(quad);
}

void addCondLinesAlong(Model& model, Element& triangle) {
  QuadSplitter splitter(model);
  splitter.fileModel();
  splitter.addCondLinesAlong(triangle);
}

QuadSplitter::QuadSplitter(Model& model) : model(model) {}

void QuadSplitter::fileModel() {
  surfaces.reserve(2 * model.size());
  condLines.reserve(model.size() / 2);
  for (std::size_t position = 0; position < model.size(); ++position) {
    file(position);
  }
  filing = true;
}

void QuadSplitter::file(std::size_t position) {
  const Element& element = model.at(position);
  auto index = static_cast<std::uint32_t>(position);
  switch (element.typeCode()) {
    case kTriangleType: {
      const auto& triangle = static_cast<const Triangle&>(element);
      for (const Point* p : {&triangle.p1, &triangle.p2, &triangle.p3}) {
        surfaces.add(*p, index);
      }
      rememberSurface(index, {&triangle.p1, &triangle.p2, &triangle.p3});
      if (pinched(triangle.p1, triangle.p2) ||
          pinched(triangle.p2, triangle.p3) ||
          pinched(triangle.p1, triangle.p3)) {
        for (const Point* p : {&triangle.p1, &triangle.p2, &triangle.p3}) {
          pinchedTriangles.add(*p, index);
        }
      }
      break;
    }
    case kQuadType: {
      const auto& quad = static_cast<const Quad&>(element);
      for (const Point* p : {&quad.p1, &quad.p2, &quad.p3, &quad.p4}) {
        surfaces.add(*p, index);
      }
      rememberSurface(index, {&quad.p1, &quad.p2, &quad.p3, &quad.p4});
      break;
    }
    case kCondLineType:
      condLines.add(static_cast<const CondLine&>(element).p1, index);
      break;
    default:
      break;
  }
}

void QuadSplitter::append(std::unique_ptr<Element> element) {
  model.append(std::move(element));
  if (filing) file(model.size() - 1);
}

void QuadSplitter::putFirstTriangle(std::size_t position,
                                    std::unique_ptr<Element> triangle) {
  // Its vertices are corners of the quad that stood here, and those are
  // filed under this position already.
  model.replace(position, std::move(triangle));
}

void QuadSplitter::rememberSurface(
    std::uint32_t position, std::initializer_list<const Point*> vertices) {
  // A new surface stands after every remembered one, so adding it where a
  // query would now find it keeps each answer in list order.
  for (std::size_t k = 0; k < rememberedCount; ++k) {
    for (const Point* vertex : vertices) {
      if (surfaces.reaches(remembered[k].point, *vertex)) {
        remembered[k].positions.push_back(position);
        break;
      }
    }
  }
}

void QuadSplitter::splitQuads(int keyColor, bool manageCondLines) {
  // Without conditional lines to keep, no neighbour is ever looked for.
  if (manageCondLines) fileModel();
  // Entries appended on the way are visited too; they are never quads.
  for (std::size_t index = 0; index < model.size(); ++index) {
    Element& element = model.at(index);
    if (element.typeCode() != kQuadType) continue;
    if (keyColor >= 0 && element.getColor() != keyColor) continue;
    const Quad& quad = static_cast<const Quad&>(element);
    std::unique_ptr<Element> first;
    std::unique_ptr<Element> second;
    std::unique_ptr<Element> diagonal;
    quad.splitInTwo(first, second, diagonal);
    if (manageCondLines) {
      removeCondLinesOn(quad);
      // The quad leaves the list before its triangles look for neighbours.
      model.remove(index);
      addCondLinesAlong(*first);
      addCondLinesAlong(*second);
      append(std::move(diagonal));
    }
    putFirstTriangle(index, std::move(first));
    append(std::move(second));
  }
}

void QuadSplitter::removeCondLinesOn(const Quad& quad) {
  // A conditional line on a side has its first end point on a corner.
  candidates.clear();
  for (const Point* corner : {&quad.p1, &quad.p2, &quad.p3, &quad.p4}) {
    condLines.collectNear(*corner, candidates);
  }
  for (std::uint32_t position : candidates) {
    const Element& element = model.at(position);
    if (element.typeCode() != kCondLineType) continue;
    const auto& line = static_cast<const CondLine&>(element);
    if (quad.hasEdge(EdgeLine(line.p1, line.p2, 0))) model.remove(position);
  }
}

namespace {

// Same coordinates, bit for bit (so -0 and 0 differ, and NaN matches NaN):
// the queries then find exactly the same entries.
bool sameBits(const Point& a, const Point& b) {
  return std::memcmp(&a.x, &b.x, sizeof a.x) == 0 &&
         std::memcmp(&a.y, &b.y, sizeof a.y) == 0 &&
         std::memcmp(&a.z, &b.z, sizeof a.z) == 0;
}

}  // namespace

const std::vector<std::uint32_t>& QuadSplitter::surfacesNear(
    const Point& point) {
  for (std::size_t k = 0; k < rememberedCount; ++k) {
    if (sameBits(remembered[k].point, point)) return remembered[k].positions;
  }
  NearbySurfaces& slot = remembered[nextToForget];
  nextToForget = (nextToForget + 1) % kRememberedPoints;
  if (rememberedCount < kRememberedPoints) ++rememberedCount;
  slot.point.setFrom(point);
  slot.positions.clear();
  surfaces.collectNear(point, slot.positions);
  sortUnique(slot.positions);
  return slot.positions;
}

void QuadSplitter::collectSurfacesAlong(const EdgeLine& edge) {
  // A quad with the side has a corner on each end of it, and so has a
  // triangle unless two of its vertices sit on the same end: the surfaces
  // near both ends, and the pinched triangles near either, are all there is
  // to look at.
  const std::vector<std::uint32_t>& nearFirst = surfacesNear(edge.p1);
  const std::vector<std::uint32_t>& nearSecond = surfacesNear(edge.p2);
  candidates.clear();
  std::set_intersection(nearFirst.begin(), nearFirst.end(), nearSecond.begin(),
                        nearSecond.end(), std::back_inserter(candidates));
  if (pinchedTriangles.empty()) return;
  std::size_t shared = candidates.size();
  pinchedTriangles.collectNear(edge.p1, candidates);
  pinchedTriangles.collectNear(edge.p2, candidates);
  if (candidates.size() > shared) sortUnique(candidates);
}

void QuadSplitter::addCondLinesAlong(Element& triangle) {
  if (!triangle.isSurface()) return;
  for (std::unique_ptr<EdgeLine> edge = triangle.firstEdge(); edge;
       edge = triangle.nextEdge()) {
    collectSurfacesAlong(*edge);
    for (std::uint32_t position : candidates) {
      Element& surface = model.at(position);
      if (!surface.isSurface() || !surface.hasEdge(*edge)) continue;
      double angle = std::fabs(triangle.angleAcross(surface, *edge));
      // Written so that a NaN angle also ends the search without a line.
      if (!(angle >= kMinFoldAngle)) break;
      if (angle >= kMaxFoldAngle) continue;
      append(std::make_unique<CondLine>(
          edge->p1, edge->p2, *triangle.vertexOffEdge(*edge),
          *surface.vertexOffEdge(*edge), kEdgeColor));
      break;
    }
  }
}

}  // namespace quillery
