// Tests of the quad splitting: LDraw text in, the written file out, compared
// line by line, with the conditional lines that the pass removes and adds.
#include "passes/split_quads.h"

#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "elements/edge_line.h"
#include "elements/triangle.h"
#include "memory_file_access.h"
#include "model/model.h"
#include "test_util.h"

namespace quillery {
namespace {

using Lines = std::vector<std::string>;

// Flat quad A in the plane y = 0 and flat quad B sharing A's side a2-a3,
// folded down from it by 30 degrees:
//   a1 (0 0 0), a2 (10 0 0), a3 (10 0 10), a4 (0 0 10),
//   b3 (27.32051 -10 0), b4 (27.32051 -10 10).
// Both are parallelograms, so both of their splits bend by exactly 0.
constexpr const char* kQuadA = "4 1 0 0 0 10 0 0 10 0 10 0 0 10";
constexpr const char* kQuadB =
    "4 4 10 0 10 10 0 0 27.32051 -10 0 27.32051 -10 10";
// A conditional line on the side a2-a3.
constexpr const char* kCondOnShared =
    "5 24 10 0 0 10 0 10 0 0 0 27.32051 -10 0";

// A kite whose p1-p3 split bends 5 degrees (the p2-p4 split bends 10):
// p4 lies 1.75 off the plane y = 0 of the other three corners.
constexpr const char* kKite = "4 16 0 0 0 10 0 -20 20 0 0 10 1.75 20";

class SplitQuadsTest : public ::testing::Test {
 protected:
  // Reads `input` (one LDraw line per entry), runs the pass and returns the
  // lines of the file that the plain writer makes of the model. Every line
  // of that file must end with CR LF.
  Lines split(const Lines& input, int keyColor = -1,
              bool manageCondLines = true) {
    Model model;
    std::string text;
    for (const std::string& line : input) text += line + "\n";
    int counts[6] = {0, 0, 0, 0, 0, 0};
    model.readText(text, counts);
    splitQuads(model, keyColor, manageCondLines);
    return written(model);
  }

  static Lines written(Model& model) {
    MemoryFileAccess files;
    std::ostringstream console;
    EXPECT_EQ(model.writeFile("out.dat", false, files, console),
              Model::WriteResult::kWritten);
    return testing::crlfLines(files.outputs["out.dat"]);
  }
};

TEST_F(SplitQuadsTest, RewritesFoldedPairWithOneLineOnSharedSide) {
  Lines output = split(
      {"0 Two quads folded at 30 degrees", kQuadA, kCondOnShared, kQuadB});
  EXPECT_EQ(output, (Lines{
                        "0 Two quads folded at 30 degrees",
                        "3 1 0 0 0 10 0 0 10 0 10",
                        "3 4 10 0 10 10 0 0 27.32051 -10 0",
                        "3 1 10 0 10 0 0 10 0 0 0",
                        "5 24 10 0 10 10 0 0 27.32051 -10 0 0 0 0",
                        "3 4 27.32051 -10 0 27.32051 -10 10 10 0 10",
                    }));
}

TEST_F(SplitQuadsTest, AddsCondLineWhereQuadsFoldByAtLeastATenthOfADegree) {
  const std::pair<const char*, Lines> cases[] = {
      // 0.2 degrees.
      {"4 4 10 0 10 10 0 0 1010 -3.490667 0 1010 -3.490667 10",
       {"3 1 0 0 0 10 0 0 10 0 10", "3 4 10 0 10 10 0 0 1010 -3.490667 0",
        "3 1 10 0 10 0 0 10 0 0 0",
        "5 24 10 0 10 10 0 0 1010 -3.490667 0 0 0 0",
        "3 4 1010 -3.490667 0 1010 -3.490667 10 10 0 10"}},
      // 0.05 degrees: below the limit the shared side keeps no line at all,
      // not even the one the input had there.
      {"4 4 10 0 10 10 0 0 1010 -0.8726646 0 1010 -0.8726646 10",
       {"3 1 0 0 0 10 0 0 10 0 10", "3 4 10 0 10 10 0 0 1010 -0.8726646 0",
        "3 1 10 0 10 0 0 10 0 0 0",
        "3 4 1010 -0.8726646 0 1010 -0.8726646 10 10 0 10"}},
  };
  for (const auto& [quadB, expected] : cases) {
    EXPECT_EQ(split({kQuadA, kCondOnShared, quadB}), expected) << quadB;
  }
}

TEST_F(SplitQuadsTest, AppendsDiagonalCondLineBeforeSecondTriangleOfBentQuad) {
  const std::pair<const char*, Lines> cases[] = {
      // Bent 5 degrees along p1-p3.
      {kKite,
       {"3 16 0 0 0 10 0 -20 20 0 0", "5 24 0 0 0 20 0 0 10 0 -20 10 1.75 20",
        "3 16 20 0 0 10 1.75 20 0 0 0"}},
      // Bent 5 degrees along p2-p4.
      {"4 16 -20 0 0 0 0 -10 20 1.75 0 0 0 10",
       {"3 16 0 0 -10 20 1.75 0 0 0 10",
        "5 24 0 0 -10 0 0 10 -20 0 0 20 1.75 0",
        "3 16 0 0 10 -20 0 0 0 0 -10"}},
      // Bent 0.05 degrees.
      {"4 16 0 0 0 10 0 -20 20 0 0 10 0.01745 20",
       {"3 16 0 0 0 10 0 -20 20 0 0", "3 16 20 0 0 10 0.01745 20 0 0 0"}},
  };
  for (const auto& [quad, expected] : cases) {
    EXPECT_EQ(split({quad}), expected) << quad;
  }
}

TEST_F(SplitQuadsTest, LeavesCondLinesAloneWhenNotManagingThem) {
  Lines output = split({kQuadA, kCondOnShared, kQuadB,
                        "4 2 100 0 0 110 0 -20 120 0 0 110 1.75 20"},
                       -1, false);
  EXPECT_EQ(output, (Lines{
                        "3 1 0 0 0 10 0 0 10 0 10",
                        kCondOnShared,
                        "3 4 10 0 10 10 0 0 27.32051 -10 0",
                        "3 2 100 0 0 110 0 -20 120 0 0",
                        "3 1 10 0 10 0 0 10 0 0 0",
                        "3 4 27.32051 -10 0 27.32051 -10 10 10 0 10",
                        "3 2 120 0 0 110 1.75 20 100 0 0",
                    }));
}

TEST_F(SplitQuadsTest, SplitsOnlyQuadsOfKeyColor) {
  const Lines input = {"0 Key colour", kQuadA, kCondOnShared, kQuadB,
                       "2 24 0 0 0 10 0 0"};
  // Colour 7: no quad has it, nothing changes.
  EXPECT_EQ(split(input, 7), input);
  // Colour 4: quad A stays whole and is B's neighbour across the shared
  // side, so the new line takes its control point from the quad.
  EXPECT_EQ(split(input, 4), (Lines{
                                 "0 Key colour",
                                 kQuadA,
                                 "3 4 10 0 10 10 0 0 27.32051 -10 0",
                                 "2 24 0 0 0 10 0 0",
                                 "5 24 10 0 10 10 0 0 27.32051 -10 0 0 0 0",
                                 "3 4 27.32051 -10 0 27.32051 -10 10 10 0 10",
                             }));
  // Colour 0 is a key colour like any other.
  EXPECT_EQ(
      split({"4 0 0 0 0 1 0 0 1 0 1 0 0 1", "4 1 5 0 0 6 0 0 6 0 1 5 0 1"}, 0),
      (Lines{"3 0 0 0 0 1 0 0 1 0 1", "4 1 5 0 0 6 0 0 6 0 1 5 0 1",
             "3 0 1 0 1 0 0 1 0 0 0"}));
}

TEST_F(SplitQuadsTest, PassesOverNeighbourAtNinetyDegrees) {
  // The quad's first triangle and its side shared with every neighbour
  // below, as the pass builds them.
  Triangle first(Point(0, 0, 0), Point(10, 0, 0), Point(10, 0, 10), 16);
  EdgeLine side(Point(10, 0, 0), Point(10, 0, 10), 0);
  const char* upright = "3 4 10 0 10 10 0 0 10 -10 5";
  const char* folded = "3 1 10 0 0 10 0 10 27.32051 -10 5";
  const char* flat = "3 2 10 0 0 10 0 10 20 0 5";
  // The premise: the angle evaluates to exactly 90.
  ASSERT_EQ(std::fabs(first.angleAcross(Triangle(upright), side)), 90.0);

  const char* quad = "4 16 0 0 0 10 0 0 10 0 10 0 0 10";
  const std::string firstText = "3 16 0 0 0 10 0 0 10 0 10";
  const std::string secondText = "3 16 10 0 10 0 0 10 0 0 0";
  // A later surface on the same side receives the line.
  EXPECT_EQ(split({quad, upright, folded}),
            (Lines{firstText, upright, folded,
                   "5 24 10 0 0 10 0 10 0 0 0 27.32051 -10 5", secondText}));
  // With nothing after it, the side gets no line.
  EXPECT_EQ(split({quad, upright}), (Lines{firstText, upright, secondText}));
  // A flat neighbour met first ends the search: no line for the folded one.
  EXPECT_EQ(split({quad, flat, folded}),
            (Lines{firstText, flat, folded, secondText}));
}

TEST_F(SplitQuadsTest, RemovesCondLinesOnSidesOnly) {
  const char* quad = "4 16 0 0 0 10 0 0 10 0 10 0 0 10";
  const std::string first = "3 16 0 0 0 10 0 0 10 0 10";
  const std::string second = "3 16 10 0 10 0 0 10 0 0 0";
  // Whether a conditional line is kept.
  const std::pair<const char*, bool> cases[] = {
      {"5 24 0 0 0 10 0 0 0 -5 5 0 5 5", false},  // side p1-p2
      {"5 24 0 0 0 0 0 10 5 0 5 -5 0 5", false},  // side p4-p1 backwards
      {"5 7 10.0005 0 0 10 0 9.9995 0 0 0 20 0 0", false},  // p2-p3, 0.0005 off
      {"5 7 10.002 0 0 10 0 10 0 0 0 20 0 0", true},        // p2-p3, 0.002 off
      {"5 24 0 0 0 10 0 10 10 0 0 0 0 10", true},           // diagonal p1-p3
      {"5 24 10 0 0 0 0 10 0 0 0 10 0 10", true},           // diagonal p2-p4
      {"5 24 0 0 0 -10 0 0 0 0 10 0 0 -10", true},          // one corner shared
      {"5 24 0 0 0 20 0 0 0 0 10 0 0 -10", true},  // side extended past p2
  };
  for (const auto& [cond, kept] : cases) {
    // The whole list is searched, before the quad as well as after it.
    const Lines removed = {first, second};
    EXPECT_EQ(split({quad, cond}),
              (kept ? Lines{first, cond, second} : removed));
    EXPECT_EQ(split({cond, quad}),
              (kept ? Lines{cond, first, second} : removed));
  }
}

TEST_F(SplitQuadsTest, KeepsInputCondLineOnBentDiagonalBesideTheNewOne) {
  const char* onDiagonal = "5 24 0 0 0 20 0 0 10 0 -20 10 1.75 20";
  EXPECT_EQ(split({kKite, onDiagonal}),
            (Lines{"3 16 0 0 0 10 0 -20 20 0 0", onDiagonal,
                   "5 24 0 0 0 20 0 0 10 0 -20 10 1.75 20",
                   "3 16 20 0 0 10 1.75 20 0 0 0"}));
}

TEST_F(SplitQuadsTest,
       AppendsPerQuadFirstLinesSecondLinesDiagonalThenTriangle) {
  // The kite has neighbours on the side p3-p4 of its second triangle
  // (listed first) and on the side p1-p2 of its first triangle; the flat
  // square far away has one on the side q3-q4 of its second triangle.
  const char* nextToSecond = "3 5 10 1.75 20 20 0 0 30 -10 20";
  const char* nextToFirst = "3 6 10 0 -20 0 0 0 0 -10 -20";
  const char* square = "4 2 100 0 0 110 0 0 110 0 10 100 0 10";
  const char* nextToSquare = "3 7 100 0 10 110 0 10 105 -10 20";
  Lines output = split(
      {"0 Order", nextToSecond, kKite, square, nextToFirst, nextToSquare});
  EXPECT_EQ(output, (Lines{
                        "0 Order",
                        nextToSecond,
                        "3 16 0 0 0 10 0 -20 20 0 0",
                        "3 2 100 0 0 110 0 0 110 0 10",
                        nextToFirst,
                        nextToSquare,
                        "5 24 0 0 0 10 0 -20 20 0 0 0 -10 -20",
                        "5 24 20 0 0 10 1.75 20 0 0 0 30 -10 20",
                        "5 24 0 0 0 20 0 0 10 0 -20 10 1.75 20",
                        "3 16 20 0 0 10 1.75 20 0 0 0",
                        "5 24 110 0 10 100 0 10 100 0 0 105 -10 20",
                        "3 2 110 0 10 100 0 10 100 0 0",
                    }));
}

}  // namespace
}  // namespace quillery
