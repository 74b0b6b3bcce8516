// Quad splitting over a spatial index of the model.
#include "passes/split_quads.h"

#include <algorithm>
#include <cmath>

#include "elements/cond_line.h"
#include "elements/triangle.h"

namespace quillery {

void splitQuads(Model& model, int keyColor, bool manageCondLines) {
  QuadSplitter(model).splitQuads(keyColor, manageCondLines);
}

void removeCondLinesOn(Model& model, const Quad& quad) {
  QuadSplitter(model).removeCondLinesOn(quad);
}

void addCondLinesAlong(Model& model, Element& triangle) {
  QuadSplitter(model).addCondLinesAlong(triangle);
}

QuadSplitter::QuadSplitter(Model& model) : model(model) {
  for (std::size_t position = 0; position < model.size(); ++position) {
    file(position);
  }
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
      break;
    }
    case kQuadType: {
      const auto& quad = static_cast<const Quad&>(element);
      for (const Point* p : {&quad.p1, &quad.p2, &quad.p3, &quad.p4}) {
        surfaces.add(*p, index);
      }
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
  file(model.size() - 1);
}

void QuadSplitter::replace(std::size_t position,
                           std::unique_ptr<Element> element) {
  model.replace(position, std::move(element));
  file(position);
}

void QuadSplitter::splitQuads(int keyColor, bool manageCondLines) {
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
    replace(index, std::move(first));
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

void QuadSplitter::addCondLinesAlong(Element& triangle) {
  if (!triangle.isSurface()) return;
  for (std::unique_ptr<EdgeLine> edge = triangle.firstEdge(); edge;
       edge = triangle.nextEdge()) {
    // A surface that has the side has a vertex on one of its end points;
    // the first such surface in list order decides.
    candidates.clear();
    surfaces.collectNear(edge->p1, candidates);
    surfaces.collectNear(edge->p2, candidates);
    std::sort(candidates.begin(), candidates.end());
    candidates.erase(std::unique(candidates.begin(), candidates.end()),
                     candidates.end());
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
