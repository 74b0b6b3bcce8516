// Quad splitting over a spatial index of the model's surfaces.
#include "passes/split_quads.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
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

}  // namespace

void splitQuads(Model& model, int keyColor, bool manageCondLines) {
  QuadSplitter(model).splitQuads(keyColor, manageCondLines);
}

QuadSplitter::QuadSplitter(Model& model) : model(model) {}

void QuadSplitter::fileModel() {
  // Room for four corners an element. Corners are shared, and lines and
  // references file nothing: about a cell for every three elements (the
  // table grows if there are more).
  points.reserve(model.size() / 3, 4 * model.size());
  std::size_t quads = 0;
  // Filing jumps around the index; asking a few elements ahead for their
  // cells hides most of the wait.
  constexpr std::size_t kLookAhead = 8;
  for (std::size_t position = 0; position < model.size(); ++position) {
    if (position + kLookAhead < model.size()) {
      prefetchCorners(model.at(position + kLookAhead));
    }
    if (model.at(position).typeCode() == kQuadType) ++quads;
    file(position);
  }
  // Each split appends a triangle, a diagonal and up to four conditional
  // lines.
  model.elements.reserve(model.size() + 6 * quads);
}

void QuadSplitter::filePinched(const Triangle& triangle,
                               std::uint32_t position) {
  if (pinched(triangle.p1, triangle.p2) || pinched(triangle.p2, triangle.p3) ||
      pinched(triangle.p1, triangle.p3)) {
    for (const Point* p : {&triangle.p1, &triangle.p2, &triangle.p3}) {
      pinchedTriangles.add(*p, position);
    }
  }
}

void QuadSplitter::prefetchCorners(const Element& element) const {
  switch (element.typeCode()) {
    case kTriangleType: {
      const auto& triangle = static_cast<const Triangle&>(element);
      for (const Point* p : {&triangle.p1, &triangle.p2, &triangle.p3}) {
        points.prefetch(*p);
      }
      break;
    }
    case kQuadType: {
      const auto& quad = static_cast<const Quad&>(element);
      for (const Point* p : {&quad.p1, &quad.p2, &quad.p3, &quad.p4}) {
        points.prefetch(*p);
      }
      break;
    }
    default:
      break;
  }
}

void QuadSplitter::file(std::size_t position) {
  const Element& element = model.at(position);
  auto index = static_cast<std::uint32_t>(position);
  switch (element.typeCode()) {
    case kTriangleType: {
      const auto& triangle = static_cast<const Triangle&>(element);
      for (const Point* p : {&triangle.p1, &triangle.p2, &triangle.p3}) {
        points.add(*p, index);
      }
      filePinched(triangle, index);
      break;
    }
    case kQuadType: {
      const auto& quad = static_cast<const Quad&>(element);
      for (const Point* p : {&quad.p1, &quad.p2, &quad.p3, &quad.p4}) {
        points.add(*p, index);
      }
      break;
    }
    default:
      break;
  }
}

void QuadSplitter::putFirstTriangle(std::size_t position,
                                    std::unique_ptr<Element> triangle) {
  // Its vertices are corners of the quad that stood here, and those are
  // filed under this position already.
  model.replace(position, std::move(triangle));
}

void QuadSplitter::splitQuads(int keyColor, bool manageCondLines) {
  splitColor = keyColor;
  // Without conditional lines to keep, no neighbour is ever looked for.
  if (manageCondLines) {
    fileModel();
    removeCondLinesOnSplitQuads();
  }
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
      // The quad leaves the list before its triangles look for neighbours.
      model.remove(index);
      addCondLinesAlong(*first);
      addCondLinesAlong(*second);
      // The diagonal goes in unless it is a flat split's placeholder or a
      // quad split later has it on a side: neither would be written.
      if (diagonal->typeCode() == kCondLineType) {
        const auto& line = static_cast<const CondLine&>(*diagonal);
        EdgeLine diagonalSide(line.p1, line.p2, 0);
        collectSurfacesAlong(diagonalSide);
        if (!splitQuadHasSide(diagonalSide)) {
          model.append(std::move(diagonal));
        }
      }
    }
    putFirstTriangle(index, std::move(first));
    if (manageCondLines) {
      appendSecondTriangle(index, std::move(second));
    } else {
      model.append(std::move(second));
    }
  }
}

void QuadSplitter::appendSecondTriangle(std::size_t quadPosition,
                                        std::unique_ptr<Element> triangle) {
  // Its vertices are corners of the quad, filed under the quad's position:
  // every search that could need it finds that position, and the second
  // triangle is looked at together with the first.
  model.append(std::move(triangle));
  auto position = static_cast<std::uint32_t>(model.size() - 1);
  secondTriangles.add(quadPosition, position);
  filePinched(static_cast<const Triangle&>(model.at(position)), position);
}

void QuadSplitter::removeCondLinesOnSplitQuads() {
  // Every quad of the split colour is split, and each split removes the
  // conditional lines on its sides wherever they stand in the list: a line
  // of the list goes if any such quad has it on a side, so all of them can
  // go before the first split.
  for (std::size_t position = 0; position < model.size(); ++position) {
    const Element& element = model.at(position);
    if (element.typeCode() != kCondLineType) continue;
    const auto& line = static_cast<const CondLine&>(element);
    EdgeLine side(line.p1, line.p2, 0);
    collectSurfacesAlong(side);
    if (splitQuadHasSide(side)) model.remove(position);
  }
}

bool QuadSplitter::splitQuadHasSide(const EdgeLine& edge) const {
  // Quads are split in list order and leave the list as they are: every quad
  // of the split colour still in it is split later.
  for (std::uint32_t position : candidates) {
    const Element& surface = model.at(position);
    if (surface.typeCode() == kQuadType &&
        (splitColor < 0 || surface.getColor() == splitColor) &&
        surface.hasEdge(edge)) {
      return true;
    }
  }
  return false;
}

void QuadSplitter::collectSurfacesAlong(const EdgeLine& edge) {
  // A quad with the side has a corner on each end of it, and so has a
  // triangle unless two of its vertices sit on the same end: the surfaces
  // near both ends, and the pinched triangles near either, are all there is
  // to look at.
  // Both answers stay valid together: near() only forgets the oldest of
  // more answers than two calls make.
  const std::vector<std::uint32_t>& nearFirst = recentSurfaces.near(edge.p1);
  const std::vector<std::uint32_t>& nearSecond = recentSurfaces.near(edge.p2);
  candidates.clear();
  std::set_intersection(nearFirst.begin(), nearFirst.end(), nearSecond.begin(),
                        nearSecond.end(), std::back_inserter(candidates));
  std::size_t shared = candidates.size();
  for (std::size_t k = 0; k < shared; ++k) {
    std::uint32_t second;
    if (secondTriangles.find(candidates[k], second)) {
      candidates.push_back(second);
    }
  }
  if (!pinchedTriangles.empty()) {
    pinchedTriangles.collectNear(edge.p1, candidates);
    pinchedTriangles.collectNear(edge.p2, candidates);
  }
  if (candidates.size() > shared) sortUnique(candidates);
}

void QuadSplitter::addCondLinesAlong(Element& triangle) {
  if (!triangle.isSurface()) return;
  for (std::unique_ptr<EdgeLine> edge = triangle.firstEdge(); edge;
       edge = triangle.nextEdge()) {
    collectSurfacesAlong(*edge);
    // A quad split later removes every conditional line on its sides, so a
    // line along a side of one would never be written: none is looked for.
    if (splitQuadHasSide(*edge)) continue;
    for (std::uint32_t position : candidates) {
      Element& surface = model.at(position);
      if (!surface.isSurface() || !surface.hasEdge(*edge)) continue;
      double angle = std::fabs(triangle.angleAcross(surface, *edge));
      // Written so that a NaN angle also ends the search without a line.
      if (!(angle >= kMinFoldAngle)) break;
      if (angle >= kMaxFoldAngle) continue;
      model.append(std::make_unique<CondLine>(
          edge->p1, edge->p2, *triangle.vertexOffEdge(*edge),
          *surface.vertexOffEdge(*edge), kEdgeColor));
      break;
    }
  }
}

}  // namespace quillery
