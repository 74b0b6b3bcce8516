// The operations of the element kinds on the rows of
// tests/data/element_operations.txt: reading and writing, reordering,
// splitting, sides and corners, fold angles, collapse, projection along y,
// clipping by a line, the edge walk and the coordinate operations, each on
// the cases at its boundaries; and the defaults of the root.
#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "elements/deleted_element.h"
#include "elements/edge_line.h"
#include "elements/quad.h"
#include "elements/triangle.h"
#include "geometry/vector.h"
#include "geometry/vertex_cluster_list.h"
#include "model/line_reader.h"
#include "test_util.h"

namespace quillery {
namespace {

using Row = std::vector<std::string>;
using testing::forEachRow;
using testing::pointOf;

constexpr char kTable[] = "element_operations.txt";

// The element the reader makes of `line`; a placeholder for "".
std::unique_ptr<Element> read(const std::string& line) {
  if (line.empty()) return std::make_unique<DeletedElement>();
  std::unique_ptr<Element> element = makeElement(lineType(line), line);
  if (element == nullptr) ADD_FAILURE() << "no element for " << line;
  return element;
}

std::string textOf(const std::optional<Point>& point) {
  return point ? point->toText() : "";
}

bool yes(const std::string& field) { return field == "yes"; }

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

TEST(ElementOperationsTest, ReadsWritesAndReorders) {
  forEachRow(kTable, "text", 2, [](const Row& row) {
    EXPECT_EQ(read(row[0])->toText(), row[1]);
  });
  forEachRow(kTable, "reverse", 2, [](const Row& row) {
    std::unique_ptr<Element> element = read(row[0]);
    element->reverse();
    EXPECT_EQ(element->toText(), row[1]);
  });
  forEachRow(kTable, "rotate", 3, [](const Row& row) {
    std::unique_ptr<Element> element = read(row[0]);
    for (int turn = std::stoi(row[1]); turn > 0; --turn) {
      element->rotateVertices();
    }
    EXPECT_EQ(element->toText(), row[2]);
  });
}

TEST(ElementOperationsTest, SplitsQuadsAlongTheFlatterDiagonal) {
  forEachRow(kTable, "split", 4, [](const Row& row) {
    std::unique_ptr<Element> quad = read(row[0]);
    std::unique_ptr<Element> first, second, diagonal;
    static_cast<const Quad&>(*quad).splitInTwo(first, second, diagonal);
    ASSERT_TRUE(first && second && diagonal);
    EXPECT_EQ(first->toText(), row[1]);
    EXPECT_EQ(second->toText(), row[2]);
    EXPECT_EQ(diagonal->toText(), row[3]);
    EXPECT_EQ(diagonal->typeCode(),
              row[3].empty() ? kDeletedType : kCondLineType);
    EXPECT_EQ(quad->toText(), row[0]);
  });
}

TEST(ElementOperationsTest, FindsVerticesEdgesAndCorners) {
  forEachRow(kTable, "vertex", 3, [](const Row& row) {
    EXPECT_EQ(read(row[0])->hasVertex(pointOf(row[1])), yes(row[2]));
  });
  forEachRow(kTable, "edge", 3, [](const Row& row) {
    EXPECT_EQ(read(row[0])->hasEdge(EdgeLine(row[1])), yes(row[2]));
  });
  forEachRow(kTable, "positive", 3, [](const Row& row) {
    EXPECT_EQ(read(row[0])->onPositiveSideOf(EdgeLine(row[1])), yes(row[2]));
  });
  forEachRow(kTable, "off", 3, [](const Row& row) {
    const std::unique_ptr<Element> element = read(row[0]);
    const Point* off = element->vertexOffEdge(EdgeLine(row[1]));
    EXPECT_EQ(off != nullptr ? off->toText() : "", row[2]);
  });
  forEachRow(kTable, "opposite", 3, [](const Row& row) {
    const EdgeLine edge(row[1]);
    EXPECT_EQ(textOf(read(row[0])->oppositeVertex(edge.p1, edge.p2)), row[2]);
  });
  forEachRow(kTable, "crossing", 3, [](const Row& row) {
    Point crossing(7, 7, 7);
    EXPECT_EQ(EdgeLine(row[0]).planIntersection(EdgeLine(row[1]), crossing),
              !row[2].empty());
    EXPECT_EQ(crossing.toText(), row[2].empty() ? "7 7 7" : row[2]);
  });
}

TEST(ElementOperationsTest, MeasuresFoldAngles) {
  forEachRow(kTable, "bend", 3, [](const Row& row) {
    const double angle = bendAngle(*read(row[0]), *read(row[1]));
    if (row[2] == "0") {
      EXPECT_EQ(angle, 0);
    } else {
      EXPECT_NEAR(angle, std::stod(row[2]), 1e-9);
    }
  });
  forEachRow(kTable, "angle", 6, [](const Row& row) {
    std::unique_ptr<Element> element = read(row[0]);
    std::unique_ptr<Element> other = read(row[1]);
    element->winding = static_cast<std::int8_t>(std::stoi(row[2]));
    other->winding = static_cast<std::int8_t>(std::stoi(row[3]));
    EXPECT_NEAR(element->angleAcross(*other, EdgeLine(row[4])),
                std::stod(row[5]), 1e-9);
  });
}

TEST(ElementOperationsTest, CollapsesProjectsAndClips) {
  forEachRow(kTable, "degenerate", 3, [](const Row& row) {
    std::unique_ptr<Element> replacement = std::make_unique<DeletedElement>();
    const Element* kept = replacement.get();
    EXPECT_EQ(read(row[0])->degenerate(replacement), yes(row[1]));
    ASSERT_NE(replacement, nullptr);
    EXPECT_EQ(replacement.get() != kept, yes(row[1]));
    EXPECT_EQ(replacement->toText(), row[2]);
  });
  forEachRow(kTable, "project", 4, [](const Row& row) {
    Point point = pointOf(row[1]);
    EXPECT_EQ(read(row[0])->projectPoint(point), yes(row[2]));
    EXPECT_EQ(point.toText(), row[3]);
  });
  forEachRow(kTable, "clip", 4, [](const Row& row) {
    // Placeholders in both outputs tell "nothing written" apart.
    std::unique_ptr<Element> piece = std::make_unique<DeletedElement>();
    std::unique_ptr<Element> other = std::make_unique<DeletedElement>();
    const Element* keptOther = other.get();
    read(row[0])->clipByLine(EdgeLine(row[1]), piece, other);
    ASSERT_TRUE(piece && other);
    EXPECT_EQ(piece->toText(), row[2]);
    EXPECT_EQ(other->toText(), row[3]);
    if (row[3].empty()) {
      EXPECT_EQ(other.get(), keptOther);
    }
  });
}

TEST(ElementOperationsTest, KindsWalkTheirEdgesAndTakeColours) {
  forEachRow(kTable, "kind", 5, [](const Row& row) {
    std::unique_ptr<Element> element = read(row[0]);
    const int type = std::stoi(row[1]);
    EXPECT_EQ(element->typeCode(), type);
    EXPECT_EQ(element->isSurface(), yes(row[2]));
    EXPECT_EQ(element->isLine(), yes(row[3]));
    if (!element->isSurface()) {
      EXPECT_EQ(element->nextEdge(), nullptr);
    }
    EXPECT_EQ(walk(*element), row[4]);
    EXPECT_EQ(walk(*element), row[4]);
    EXPECT_EQ(element->nextEdge(), nullptr);
    const bool coloured = type >= 1 && type <= 5;
    std::string recoloured = row[0];
    if (coloured) recoloured[2] = '7';
    element->setColor(7);
    EXPECT_EQ(element->getColor(), coloured ? 7 : 0);
    EXPECT_EQ(element->toText(), recoloured);
  });
}

TEST(ElementOperationsTest, CoordinateOperationsReachEveryPoint) {
  forEachRow(kTable, "coordinates", 3, [](const Row& row) {
    std::unique_ptr<Element> element = read(row[0]);
    element->swapXY();
    element->swapYZ();
    element->flattenY();
    EXPECT_EQ(element->toText(), row[1]);
    std::unique_ptr<Element> shifted = read(row[0]);
    shifted->translate(Vector(0.002, 0, 0));
    VertexClusterList clusters;
    read(row[0])->collectVertices(clusters);
    shifted->collectVertices(clusters);
    std::unique_ptr<Element> snapped = read(row[0]);
    snapped->snapVertices(clusters);
    EXPECT_EQ(snapped->toText(), row[2]);
  });
}

TEST(ElementOperationsTest, PlaceholderKeepsTheDefaultsOfTheRoot) {
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
