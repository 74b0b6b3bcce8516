// Quad splitting by full scans of the model.
#include "passes/split_quads.h"

#include <cmath>

#include "elements/cond_line.h"

namespace quillery {

void splitQuads(Model& model, int keyColor, bool manageCondLines) {
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
      removeCondLinesOn(model, quad);
      // The quad leaves the list before its triangles look for neighbours.
      model.remove(index);
      addCondLinesAlong(model, *first);
      addCondLinesAlong(model, *second);
      model.append(std::move(diagonal));
    }
    model.replace(index, std::move(first));
    model.append(std::move(second));
  }
}

void removeCondLinesOn(Model& model, const Quad& quad) {
  for (std::size_t index = 0; index < model.size(); ++index) {
    Element& element = model.at(index);
    if (element.typeCode() != kCondLineType) continue;
    std::unique_ptr<EdgeLine> edge = element.firstEdge();
    if (quad.hasEdge(*edge)) model.remove(index);
  }
}

void addCondLinesAlong(Model& model, Element& triangle) {
  if (!triangle.isSurface()) return;
  for (std::unique_ptr<EdgeLine> edge = triangle.firstEdge(); edge;
       edge = triangle.nextEdge()) {
    for (std::size_t index = 0; index < model.size(); ++index) {
      Element& surface = model.at(index);
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
