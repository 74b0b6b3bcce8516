// Tests of what every element kind shares and the written lines do not
// all show: the edge walk (quads are split before any walk), coordinate
// operations, vertex welding and the defaults of the root.
#include "elements/element.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>

#include "elements/deleted_element.h"
#include "elements/edge_line.h"
#include "elements/quad.h"
#include "elements/triangle.h"
#include "geometry/vertex_cluster_list.h"
#include "geometry/vector.h"
#include "model/model.h"

namespace quillery {
namespace {

// The element that the reader makes of `line`; a placeholder for "".
std::unique_ptr<Element> elementOf(std::string_view line) {
  Model model;
  int counts[6] = {0, 0, 0, 0, 0, 0};
  model.readText(line, counts);
  if (model.size() == 0) return std::make_unique<DeletedElement>();
  return std::move(model.elements[0]);
}

// The edges of one walk, each followed by "; ".
std::string walk(Element& element) {
  std::string edges;
  int count = 0;
  for (std::unique_ptr<EdgeLine> edge = element.firstEdge();
       edge != nullptr && ++count < 8; edge = element.nextEdge()) {
    edges += edge->toText() + "; ";
  }
  return edges;
}

TEST(ElementTest, KindsAnswerQueriesTakeColoursAndWalkTheirEdges) {
  // The line, its type code, surface and line queries, and every edge in
  // colour 0, once.
  const std::tuple<std::string_view, int, bool, bool, std::string_view>
      cases[] = {
          {"0 // comment", 0, false, false, ""},
          {"1 4 1 2 3 1 0 0 0 1 0 0 0 1 a.dat", 1, false, false, ""},
          {"2 4 1 2 3 4 5 6", 2, false, true, "2 0 1 2 3 4 5 6; "},
          {"3 4 1 2 3 4 5 6 7 8 9", 3, true, false,
           "2 0 1 2 3 4 5 6; 2 0 4 5 6 7 8 9; 2 0 7 8 9 1 2 3; "},
          {"4 4 1 2 3 4 5 6 7 8 9 10 11 12", 4, true, false,
           "2 0 1 2 3 4 5 6; 2 0 4 5 6 7 8 9; 2 0 7 8 9 10 11 12; "
           "2 0 10 11 12 1 2 3; "},
          {"5 4 1 2 3 4 5 6 7 8 9 10 11 12", 5, false, true,
           "2 0 1 2 3 4 5 6; "},
          {"", kDeletedType, false, false, ""},
      };
  for (const auto& [line, typeCode, isSurface, isLine, edges] : cases) {
    SCOPED_TRACE(std::string(line));
    std::unique_ptr<Element> element = elementOf(line);
    EXPECT_EQ(element->typeCode(), typeCode);
    EXPECT_EQ(element->isSurface(), isSurface);
    EXPECT_EQ(element->isLine(), isLine);
    // A line has its one edge only: nextEdge is null even before a walk.
    if (!isSurface) {
      EXPECT_EQ(element->nextEdge(), nullptr);
    }
    // A second walk starts over; past the end the walk stays finished.
    EXPECT_EQ(walk(*element), edges);
    EXPECT_EQ(walk(*element), edges);
    EXPECT_EQ(element->nextEdge(), nullptr);
    // Only the kinds with a colour field take one.
    const bool coloured = typeCode >= 1 && typeCode <= 5;
    std::string recoloured(line);
    if (coloured) recoloured[2] = '7';
    element->setColor(7);
    EXPECT_EQ(element->getColor(), coloured ? 7 : 0);
    EXPECT_EQ(element->toText(), recoloured);
  }
}

// Swapping and flattening coordinates, and welding vertices to clusters,
// reach every point of every kind (and the matrix rows of a reference).
TEST(ElementTest, CoordinateOperationsReachEveryPoint) {
  // Welded to the clusters, the points move by 0.001 in x: (1, 2, 3) and
  // (1.002, 2, 3) weld to (1.001, 2, 3). A reference has no vertices.
  const std::tuple<std::string_view, std::string_view, std::string_view>
      cases[] = {
          {"1 4 1 2 3 1 2 3 4 5 6 7 8 9 a.dat",
           "1 4 2 0 1 4 5 6 0 1 0 1 2 3 a.dat",
           "1 4 1 2 3 1 2 3 4 5 6 7 8 9 a.dat"},
          {"2 4 1 2 3 4 5 6", "2 4 2 0 1 5 0 4", "2 4 1.001 2 3 4.001 5 6"},
          {"3 4 1 2 3 4 5 6 7 8 9", "3 4 2 0 1 5 0 4 8 0 7",
           "3 4 1.001 2 3 4.001 5 6 7.001 8 9"},
          {"4 4 1 2 3 4 5 6 7 8 9 10 11 12", "4 4 2 0 1 5 0 4 8 0 7 11 0 10",
           "4 4 1.001 2 3 4.001 5 6 7.001 8 9 10.001 11 12"},
          // A conditional line is never flattened.
          {"5 4 1 2 3 4 5 6 7 8 9 10 11 12", "5 4 2 3 1 5 6 4 8 9 7 11 12 10",
           "5 4 1.001 2 3 4.001 5 6 7.001 8 9 10.001 11 12"},
      };
  for (const auto& [line, swappedAndFlat, welded] : cases) {
    SCOPED_TRACE(std::string(line));
    std::unique_ptr<Element> element = elementOf(line);
    element->swapXY();
    element->swapYZ();
    element->flattenY();
    EXPECT_EQ(element->toText(), swappedAndFlat);
    // Every point is collected: each shifted copy joins its cluster.
    std::unique_ptr<Element> shifted = elementOf(line);
    shifted->translate(Vector(0.002, 0, 0));
    VertexClusterList clusters;
    elementOf(line)->collectVertices(clusters);
    shifted->collectVertices(clusters);
    std::unique_ptr<Element> snapped = elementOf(line);
    snapped->snapVertices(clusters);
    EXPECT_EQ(snapped->toText(), welded);
  }
}

TEST(ElementTest, PlaceholderKeepsTheDefaultsOfTheRoot) {
  DeletedElement placeholder;
  const EdgeLine line(Point(0, 0, 0), Point(10, 0, 0), 0);
  std::unique_ptr<Element> piece = std::make_unique<DeletedElement>();
  const Element* kept = piece.get();
  EXPECT_FALSE(placeholder.degenerate(piece));
  EXPECT_EQ(piece.get(), kept);
  // The root's clipByLine answers "nothing" by clearing both outputs.
  std::unique_ptr<Element> other = std::make_unique<DeletedElement>();
  placeholder.clipByLine(line, piece, other);
  EXPECT_EQ(piece, nullptr);
  EXPECT_EQ(other, nullptr);
}

}  // namespace
}  // namespace quillery
