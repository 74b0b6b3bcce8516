// Tests of what every element kind shares: type and shape queries, the state
// of a new element, colours, the edge walk and the defaults of the root.
#include "elements/element.h"

#include <gtest/gtest.h>

#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "elements/comment_line.h"
#include "elements/cond_line.h"
#include "elements/deleted_element.h"
#include "elements/edge_line.h"
#include "elements/quad.h"
#include "elements/subfile_ref.h"
#include "elements/triangle.h"

namespace quillery {
namespace {

// The element that the reader makes of `line`; a DeletedElement for an
// empty line.
std::unique_ptr<Element> elementOf(std::string_view line) {
  if (line.empty()) return std::make_unique<DeletedElement>();
  switch (line.front()) {
    case '0':
      return std::make_unique<CommentLine>(
          std::string(CommentLine::commentTextOf(line)));
    case '1':
      return std::make_unique<SubfileRef>(line);
    case '2':
      return std::make_unique<EdgeLine>(line);
    case '3':
      return std::make_unique<Triangle>(line);
    case '4':
      return std::make_unique<Quad>(line);
    default:
      return std::make_unique<CondLine>(line);
  }
}

// One line of every kind, and "" for the placeholder.
const std::string_view kOneOfEach[] = {
    "0 // comment",
    "1 16 0 0 0 1 0 0 0 1 0 0 0 1 a.dat",
    "2 24 0 0 0 1 0 0",
    "3 16 0 0 0 1 0 0 0 0 1",
    "4 16 0 0 0 1 0 0 1 0 1 0 0 1",
    "5 24 0 0 0 1 0 0 0 1 0 1 1 1",
    "",
};

TEST(ElementTest, KindsAnswerTypeAndShapeQueries) {
  struct Case {
    std::string_view line;
    int typeCode;
    bool isSurface;
    bool isLine;
  };
  const Case cases[] = {
      {kOneOfEach[0], 0, false, false}, {kOneOfEach[1], 1, false, false},
      {kOneOfEach[2], 2, false, true},  {kOneOfEach[3], 3, true, false},
      {kOneOfEach[4], 4, true, false},  {kOneOfEach[5], 5, false, true},
      {kOneOfEach[6], 6, false, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.line));
    std::unique_ptr<Element> element = elementOf(c.line);
    EXPECT_EQ(element->typeCode(), c.typeCode);
    EXPECT_EQ(element->isSurface(), c.isSurface);
    EXPECT_EQ(element->isLine(), c.isLine);
    EXPECT_EQ(element->reserved(), 0);
  }
}

TEST(ElementTest, NewElementsAreNotInsertedAndUncertified) {
  for (std::string_view line : kOneOfEach) {
    SCOPED_TRACE(std::string(line));
    std::unique_ptr<Element> element = elementOf(line);
    EXPECT_FALSE(element->inserted);
    EXPECT_EQ(element->winding, 0);
  }
  // Copies are new elements too: the source's state does not travel along.
  Triangle triangle("3 16 0 0 0 1 0 0 0 0 1");
  triangle.inserted = true;
  triangle.winding = kWindingCw;
  Triangle triangleCopy(triangle);
  EXPECT_FALSE(triangleCopy.inserted);
  EXPECT_EQ(triangleCopy.winding, 0);
  Quad quad("4 16 0 0 0 1 0 0 1 0 1 0 0 1");
  quad.inserted = true;
  quad.winding = kWindingCcw;
  Quad quadCopy(quad);
  EXPECT_FALSE(quadCopy.inserted);
  EXPECT_EQ(quadCopy.winding, 0);
}

TEST(ElementTest, OnlyColouredKindsTakeAColour) {
  struct Case {
    std::string_view line;
    std::string_view recoloured;  // the text after setColor(7)
    int color;                    // getColor() after setColor(7)
  };
  const Case cases[] = {
      {"0 // comment", "0 // comment", 0},
      {"", "", 0},
      {"1 16 0 0 0 1 0 0 0 1 0 0 0 1 a.dat",
       "1 7 0 0 0 1 0 0 0 1 0 0 0 1 a.dat", 7},
      {"2 24 0 0 0 1 0 0", "2 7 0 0 0 1 0 0", 7},
      {"3 16 0 0 0 1 0 0 0 0 1", "3 7 0 0 0 1 0 0 0 0 1", 7},
      {"4 16 0 0 0 1 0 0 1 0 1 0 0 1", "4 7 0 0 0 1 0 0 1 0 1 0 0 1", 7},
      {"5 24 0 0 0 1 0 0 0 1 0 1 1 1", "5 7 0 0 0 1 0 0 0 1 0 1 1 1", 7},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.line));
    std::unique_ptr<Element> element = elementOf(c.line);
    element->setColor(7);
    EXPECT_EQ(element->getColor(), c.color);
    EXPECT_EQ(element->toText(), c.recoloured);
  }
}

TEST(ElementTest, EdgeWalkGivesEachEdgeOnceInColourZero) {
  struct Case {
    std::string_view line;
    std::vector<std::string> edges;
  };
  const Case cases[] = {
      {"2 4 1 2 3 4 5 6", {"2 0 1 2 3 4 5 6"}},
      {"5 4 1 2 3 4 5 6 7 8 9 10 11 12", {"2 0 1 2 3 4 5 6"}},
      {"3 4 1 2 3 4 5 6 7 8 9",
       {"2 0 1 2 3 4 5 6", "2 0 4 5 6 7 8 9", "2 0 7 8 9 1 2 3"}},
      {"4 4 1 2 3 4 5 6 7 8 9 10 11 12",
       {"2 0 1 2 3 4 5 6", "2 0 4 5 6 7 8 9", "2 0 7 8 9 10 11 12",
        "2 0 10 11 12 1 2 3"}},
      {"1 4 1 2 3 1 0 0 0 1 0 0 0 1 a.dat", {}},
      {"0 BFC CERTIFY CCW", {}},
      {"", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.line));
    std::unique_ptr<Element> element = elementOf(c.line);
    // A line has its one edge only: nextEdge is null even before a walk.
    if (!element->isSurface()) {
      EXPECT_EQ(element->nextEdge(), nullptr);
    }
    // Two walks in a row: firstEdge starts over.
    for (int walk = 0; walk < 2; ++walk) {
      std::vector<std::string> edges;
      for (std::unique_ptr<EdgeLine> edge = element->firstEdge();
           edge != nullptr && edges.size() < 8; edge = element->nextEdge()) {
        edges.push_back(edge->toText());
      }
      EXPECT_EQ(edges, c.edges);
      // Past the end the walk stays finished.
      EXPECT_EQ(element->nextEdge(), nullptr);
    }
  }
}

TEST(ElementTest, PlaceholderWritesNothingAndKeepsEveryDefault) {
  DeletedElement placeholder;
  EXPECT_EQ(placeholder.toText(), "");
  EXPECT_EQ(placeholder.typeCode(), kDeletedType);

  EdgeLine line(Point(0, 0, 0), Point(10, 0, 0), 0);
  EXPECT_EQ(placeholder.planWinding(), 1.0);
  EXPECT_TRUE(placeholder.onPositiveSideOf(line));
  EXPECT_FALSE(placeholder.clearOfSegment(line));
  EXPECT_EQ(placeholder.normal(), std::nullopt);
  EXPECT_EQ(placeholder.angleAcross(placeholder, line), 0.0);
  EXPECT_FALSE(placeholder.hasVertex(Point()));
  EXPECT_FALSE(placeholder.hasEdge(line));
  EXPECT_EQ(placeholder.vertexOffEdge(line), nullptr);
  EXPECT_EQ(placeholder.oppositeVertex(Point(), Point(10, 0, 0)), std::nullopt);

  std::unique_ptr<Element> replacement = std::make_unique<DeletedElement>();
  const Element* kept = replacement.get();
  EXPECT_FALSE(placeholder.degenerate(replacement));
  EXPECT_EQ(replacement.get(), kept);

  Point p(1, 2, 3);
  EXPECT_FALSE(placeholder.projectPoint(p));
  EXPECT_EQ(p.toText(), "1 2 3");

  // The root's clipByLine answers "nothing" by clearing both outputs.
  std::unique_ptr<Element> piece = std::make_unique<DeletedElement>();
  std::unique_ptr<Element> other = std::make_unique<DeletedElement>();
  placeholder.clipByLine(line, piece, other);
  EXPECT_EQ(piece, nullptr);
  EXPECT_EQ(other, nullptr);
}

}  // namespace
}  // namespace quillery
