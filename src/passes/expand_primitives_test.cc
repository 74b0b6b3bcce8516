// Tests of the primitive expansion over a library held in memory: which
// references are inlined, where their lines land, in which colour and
// winding, and the console lines of the pass.
#include "passes/expand_primitives.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <tuple>
#include <utility>
#include <vector>

#include "memory_file_access.h"
#include "model/model.h"
#include "model/search_path_list.h"
#include "test_util.h"

namespace quillery {
namespace {

using Lines = std::vector<std::string>;

// The statistics block that closes every run of the pass.
std::string inlined(int edges, int condLines, int triangles, int quads) {
  return "\nInlined from subfiles:\n" + std::to_string(edges) +
         " Edge lines\n" + std::to_string(condLines) + " Conditional lines\n" +
         std::to_string(triangles) + " Triangles\n" + std::to_string(quads) +
         " Quads\n";
}

class ExpandPrimitivesTest : public ::testing::Test {
 protected:
  // The search directories of an input file given without a directory.
  void SetUp() override {
    for (const char* directory : {".\\", ".\\p\\", ".\\s\\"}) {
      searchPaths.addDirectory(directory);
    }
  }

  // Puts a library file in place; its lines end with CR LF, as on disk.
  void addFile(std::string_view path, const Lines& lines) {
    std::string text;
    for (const std::string& line : lines) text += line + "\r\n";
    files.addFile(path, std::move(text));
  }

  // Reads `input` as the file "part.dat", expands it in rect mode (or in
  // key-colour mode with `keyColor` 0 or more) and returns the lines of the
  // file that the writer makes after an expansion. What the pass printed is
  // left in `console`, the model in `model`.
  Lines expand(const Lines& input, int keyColor = -1) {
    addFile("part.dat", input);
    model = std::make_unique<Model>();
    std::ostringstream ignored, passConsole;
    EXPECT_TRUE(model->readFile("part.dat", files, ignored));
    expandPrimitives(*model, searchPaths, keyColor, files, passConsole);
    console = passConsole.str();
    EXPECT_EQ(model->writeFile("out.dat", true, files, ignored),
              Model::WriteResult::kWritten);
    return testing::crlfLines(files.outputs["out.dat"]);
  }

  MemoryFileAccess files;
  SearchPathList searchPaths;
  std::unique_ptr<Model> model;
  std::string console;
};

TEST_F(ExpandPrimitivesTest, InlinesRectAfterOwnLinesInParentColour) {
  addFile("p/rect.dat",
          {"0 Rectangle 1 x 1", "0 Name: rect.dat", "0 BFC CERTIFY CCW",
           "2 24 1 0 1 -1 0 1", "2 16 -1 0 1 -1 0 -1",
           "4 16 -1 0 1 -1 0 -1 1 0 -1 1 0 1", "3 2 1 0 1 -1 0 1 0 1 0",
           "5 24 1 0 -1 1 0 1 0 1 0 -1 0 -1"});
  // The placement maps (x, y, z) to (2x + z, y, 3z) and moves by (10, -5, 0).
  EXPECT_EQ(expand({"0 Panel", "0 BFC CERTIFY CCW",
                    "1 4 10 -5 0 2 0 1 0 1 0 0 0 3 rect.dat",
                    "4 1 0 0 0 1 0 0 1 0 1 0 0 1", "2 24 0 0 0 1 0 0"}),
            (Lines{
                "0 Panel",
                "0 BFC CERTIFY CCW",
                "4 1 0 0 0 1 0 0 1 0 1 0 0 1",
                "2 24 0 0 0 1 0 0",
                "0 BFC CERTIFY CCW",
                "2 24 13 -5 3 9 -5 3",
                "2 4 9 -5 3 7 -5 -3",
                "4 4 9 -5 3 7 -5 -3 11 -5 -3 13 -5 3",
                "3 2 13 -5 3 9 -5 3 10 -4 0",
                "5 24 11 -5 -3 13 -5 3 10 -4 0 7 -5 -3",
            }));
  EXPECT_EQ(console, inlined(2, 1, 1, 1));
}

TEST_F(ExpandPrimitivesTest, SelectsByRectPrefixOrByKeyColour) {
  // With a key colour only the colour counts, not the name.
  const std::tuple<const char*, int, int, bool> cases[] = {
      {"rect.dat", 4, -1, true},      {"rect2p.dat", 4, -1, true},
      {"rectangle.dat", 4, -1, true}, {"recte4.dat", 4, -1, false},
      {"recte.dat", 4, -1, false},    {"Rect.dat", 4, -1, false},
      {"RECT.DAT", 4, -1, false},     {"s\\rect.dat", 4, -1, false},
      {"rec.dat", 4, -1, false},      {"box.dat", 4, -1, false},
      {"box.dat", 4, 4, true},        {"rect.dat", 1, 4, false},
      {"box.dat", 0, 0, true},
  };
  for (const char* path :
       {"p/rect.dat", "p/rect2p.dat", "p/rectangle.dat", "p/recte4.dat",
        "p/recte.dat", "p/Rect.dat", "p/RECT.DAT", "s/rect.dat", "p/rec.dat",
        "box.dat"}) {
    addFile(path, {"3 16 0 0 0 1 0 0 0 0 1"});
  }
  for (const auto& [name, color, keyColor, expanded] : cases) {
    const std::string colorText = std::to_string(color);
    const std::string reference =
        "1 " + colorText + " 0 0 0 1 0 0 0 1 0 0 0 1 " + name;
    SCOPED_TRACE(reference);
    EXPECT_EQ(expand({reference}, keyColor),
              (Lines{expanded ? "3 " + colorText + " 0 0 0 1 0 0 0 0 1"
                              : reference}));
  }
}

TEST_F(ExpandPrimitivesTest,
       PlacesRecteReferenceOfInlinedRectWithoutExpandingIt) {
  addFile("p/rect.dat", {"4 16 0 0 0 1 0 0 1 0 1 0 0 1",
                         "1 16 0 0 0 1 0 0 0 1 0 0 0 1 recte4.dat",
                         "1 2 1 0 0 1 0 0 0 1 0 0 0 1 recte4.dat"});
  addFile("p/recte4.dat", {"2 24 0 0 0 1 0 0"});
  // A quarter turn about y, (x, y, z) to (z, y, -x), moved by (10, 0, 0).
  EXPECT_EQ(expand({"1 4 10 0 0 0 0 1 0 1 0 -1 0 0 rect.dat"}),
            (Lines{"4 4 10 0 0 10 0 -1 11 0 -1 11 0 0",
                   "1 4 10 0 0 0 0 1 0 1 0 -1 0 0 recte4.dat",
                   "1 2 10 0 -1 0 0 1 0 1 0 -1 0 0 recte4.dat"}));
  EXPECT_EQ(console, inlined(0, 0, 0, 1));
}

TEST_F(ExpandPrimitivesTest, ExpandsNestedMainColourReferencesInKeyColour) {
  addFile("outer.dat",
          {"0 Outer", "1 16 5 0 0 1 0 0 0 1 0 0 0 1 inner.dat",
           "1 1 0 7 0 0 0 1 0 1 0 -1 0 0 other.dat", "3 16 0 0 0 1 0 0 0 0 1"});
  addFile("s/inner.dat", {"3 16 0 0 0 1 0 0 0 1 0", "2 16 0 0 0 0 1 0"});
  addFile("other.dat", {"3 16 0 0 0 1 0 0 0 0 1"});
  // The outer placement is the quarter turn (x, y, z) to (z, y, -x), moved
  // by (100, 0, 0); the reference in colour 1 keeps its own turn after it.
  EXPECT_EQ(expand({"0 Key colour", "1 4 100 0 0 0 0 1 0 1 0 -1 0 0 outer.dat",
                    "1 1 0 0 0 1 0 0 0 1 0 0 0 1 other.dat"},
                   4),
            (Lines{"0 Key colour", "1 1 0 0 0 1 0 0 0 1 0 0 0 1 other.dat",
                   "1 1 100 7 0 -1 0 0 0 1 0 0 0 -1 other.dat",
                   "3 4 100 0 0 100 0 -1 101 0 0",
                   "3 4 100 0 -5 100 0 -6 100 1 -5", "2 4 100 0 -5 100 1 -5"}));
  // Inlined references and comments are not counted.
  EXPECT_EQ(console, inlined(1, 0, 2, 0));
}

TEST_F(ExpandPrimitivesTest, ReversesSurfacesForOddMirrorAndInvertNextCount) {
  addFile("p/rectw.dat", {"3 16 1 0 0 2 0 0 1 0 1", "2 24 0 0 0 1 0 0"});
  addFile("p/rectouter.dat", {"1 16 0 0 0 1 0 0 0 1 0 0 0 1 rectw.dat"});
  addFile("p/rectinv.dat",
          {"0 BFC INVERTNEXT", "1 16 0 0 0 1 0 0 0 1 0 0 0 1 rectw.dat"});
  const std::string plain = "1 16 0 0 0 1 0 0 0 1 0 0 0 1 ";
  const std::string mirror = "1 16 0 0 0 -1 0 0 0 1 0 0 0 1 ";  // in x
  const std::string flat = "1 16 0 0 0 1 0 0 0 0 0 0 0 1 ";
  const std::string invert = "0 BFC INVERTNEXT";
  const Lines kept = {"3 16 1 0 0 2 0 0 1 0 1", "2 24 0 0 0 1 0 0"};
  const Lines reversed = {"3 16 1 0 1 2 0 0 1 0 0", "2 24 0 0 0 1 0 0"};
  const Lines mirrored = {"3 16 -1 0 0 -2 0 0 -1 0 1", "2 24 0 0 0 -1 0 0"};
  const Lines mirroredReversed = {"3 16 -1 0 1 -2 0 0 -1 0 0",
                                  "2 24 0 0 0 -1 0 0"};
  const std::pair<Lines, Lines> cases[] = {
      {{plain + "rectw.dat"}, kept},
      {{mirror + "rectw.dat"}, mirroredReversed},
      {{invert, mirror + "rectw.dat"}, mirrored},
      {{invert, plain + "rectw.dat"}, reversed},
      {{flat + "rectw.dat"}, kept},  // a determinant of 0
      // Passed on to a nested reference, or given inside an inlined file.
      {{invert, plain + "rectouter.dat"}, reversed},
      {{mirror + "rectouter.dat"}, mirroredReversed},
      {{plain + "rectinv.dat"}, reversed},
  };
  for (const auto& [lines, expected] : cases) {
    // A certified file: an INVERTNEXT left behind before an expanded
    // reference would reverse everything after it when written. The
    // primitives are not certified, so their surfaces are written unculled.
    Lines input = {"0 BFC CERTIFY CCW"};
    Lines output = {"0 BFC CERTIFY CCW", "0 BFC NOCLIP"};
    input.insert(input.end(), lines.begin(), lines.end());
    output.insert(output.end(), expected.begin(), expected.end());
    EXPECT_EQ(expand(input), output) << lines.front() << " " << lines.back();
  }
}

// A subfile not found stays with a note; one not chosen stays silently.
TEST_F(ExpandPrimitivesTest, KeepsInvertNextBeforeReferenceNotExpanded) {
  addFile("box.dat", {"3 16 0 0 0 1 0 0 0 0 1"});
  const std::tuple<const char*, int, std::string> cases[] = {
      {"1 16 0 0 0 1 0 0 0 1 0 0 0 1 rectmissing.dat", -1,
       "Subfile rectmissing.dat not found, not expanded\n"},
      {"1 16 0 0 0 1 0 0 0 1 0 0 0 1 missing.dat", 16,
       "Subfile missing.dat not found, not expanded\n"},
      {"1 16 0 0 0 1 0 0 0 1 0 0 0 1 box.dat", -1, ""},
      {"1 1 0 0 0 1 0 0 0 1 0 0 0 1 box.dat", 4, ""},
  };
  for (const auto& [reference, keyColor, note] : cases) {
    SCOPED_TRACE(reference);
    const Lines input = {"0 BFC CERTIFY CCW", "0 BFC INVERTNEXT", reference,
                         "3 16 0 0 0 1 0 0 0 0 1"};
    EXPECT_EQ(expand(input, keyColor), input);
    EXPECT_EQ(console, note + inlined(0, 0, 0, 0));
  }
}

TEST_F(ExpandPrimitivesTest, CarriesCertificationStateToLaterSubfiles) {
  addFile("p/rect1.dat",
          {"2 24 0 0 0 1 0 0", "0 BFC CERTIFY CW", "3 16 0 0 0 1 0 0 0 0 1"});
  addFile("p/rect2.dat",
          {"3 16 0 0 0 1 0 0 0 0 1", "1 16 0 0 0 1 0 0 0 1 0 0 0 1 box.dat"});
  addFile("p/rect3.dat", {"3 16 0 0 0 1 0 0 0 0 1", "0 BFC CERTIFY CCW",
                          "3 16 0 0 0 1 0 0 0 0 1"});
  // The input's own certification plays no part in the inlined lines.
  expand({"0 BFC CERTIFY CCW", "1 16 0 0 0 1 0 0 0 1 0 0 0 1 rect1.dat",
          "0 BFC INVERTNEXT", "1 16 0 0 0 1 0 0 0 1 0 0 0 1 rect2.dat",
          "1 16 0 0 0 1 0 0 0 1 0 0 0 1 rect3.dat"});
  const std::vector<std::pair<int, int>> expected = {
      {kEdgeType, kWindingNone},     // rect1, before its certification
      {kCommentType, kWindingCw},    // rect1's certification line
      {kTriangleType, kWindingCw},   // rect1
      {kTriangleType, kWindingCw},   // rect2, without certification
      {kSubfileType, kWindingCw},    // rect2's reference: the INVERTNEXT sign
      {kTriangleType, kWindingCw},   // rect3, before its certification
      {kCommentType, kWindingCcw},   // rect3's certification line
      {kTriangleType, kWindingCcw},  // rect3
  };
  std::vector<std::pair<int, int>> actual;
  for (std::size_t index = 0; index < model->size(); ++index) {
    const Element& element = model->at(index);
    if (!element.inserted || element.typeCode() == kDeletedType) continue;
    actual.emplace_back(element.typeCode(), element.winding);
  }
  EXPECT_EQ(actual, expected);
}

TEST_F(ExpandPrimitivesTest, RemovesReferenceToEmptyFileWithItsInvertNext) {
  files.addFile("p/rectvoid.dat", "");
  addFile("p/rectnotes.dat", {"", "0 Only a remark", ""});
  for (const char* name : {"rectvoid.dat", "rectnotes.dat"}) {
    SCOPED_TRACE(name);
    EXPECT_EQ(expand({"0 BFC CERTIFY CCW", "0 BFC INVERTNEXT",
                      "1 16 0 0 0 1 0 0 0 1 0 0 0 1 " + std::string(name),
                      "3 16 0 0 0 1 0 0 0 0 1"}),
              (Lines{"0 BFC CERTIFY CCW", "3 16 0 0 0 1 0 0 0 0 1"}));
    EXPECT_EQ(console, inlined(0, 0, 0, 0));
  }
}

TEST_F(ExpandPrimitivesTest, SkipsSubfileLinesOfOtherTypes) {
  addFile("p/rectodd.dat",
          {"7 16 0 0 0 1 0 0", "6 16 0 0 0 1 0 0 0 0 1", "-1 16 0 0 0 1 0 0",
           "abc", "   ", "3 16 0 0 0 1 0 0 0 0 1"});
  EXPECT_EQ(expand({"1 4 0 0 0 1 0 0 0 1 0 0 0 1 rectodd.dat"}),
            (Lines{"3 4 0 0 0 1 0 0 0 0 1"}));
  // One entry for the reference, one for the triangle.
  EXPECT_EQ(model->size(), 2u);
  EXPECT_EQ(console, inlined(0, 0, 1, 0));
}

TEST_F(ExpandPrimitivesTest, DropsSubfileCommentsButKeepsCertification) {
  addFile("p/rectdoc.dat",
          {"0 Rectangle with notes", "0 Name: rectdoc.dat", "0 // a remark",
           "0 BFC CERTIFY CW", "0 BFC NOCLIP", "3 16 0 0 0 1 0 0 0 0 1"});
  EXPECT_EQ(
      expand({"0 Own remark", "1 4 0 0 0 1 0 0 0 1 0 0 0 1 rectdoc.dat"}),
      (Lines{"0 Own remark", "0 BFC CERTIFY CW", "0 BFC NOCLIP",
             "3 4 0 0 0 1 0 0 0 0 1"}));
}

// Cycles through other files are refused end to end in
// tests/bad_input_test.cc.
TEST_F(ExpandPrimitivesTest, RefusesFileReferencingItself) {
  const Lines selfInput = {"0 Self", "1 4 0 0 0 1 0 0 0 1 0 0 0 1 part.dat",
                           "3 4 0 0 0 1 0 0 0 0 1"};
  EXPECT_EQ(expand(selfInput, 4), selfInput);
  EXPECT_EQ(console, "Circular reference to part.dat not expanded\n" +
                         inlined(0, 0, 0, 0));
  // A subfile referencing itself is expanded once; the INVERTNEXT before
  // the refused reference stays with it.
  addFile("loop.dat",
          {"0 BFC INVERTNEXT", "1 16 0 0 5 1 0 0 0 1 0 0 0 1 loop.dat",
           "3 16 0 0 0 1 0 0 0 0 1"});
  EXPECT_EQ(expand({"1 4 1 0 0 1 0 0 0 1 0 0 0 1 loop.dat"}, 4),
            (Lines{"0 BFC INVERTNEXT", "1 4 1 0 5 1 0 0 0 1 0 0 0 1 loop.dat",
                   "3 4 1 0 0 2 0 0 1 0 1"}));
  EXPECT_EQ(console, "Circular reference to loop.dat not expanded\n" +
                         inlined(0, 0, 1, 0));
}

TEST_F(ExpandPrimitivesTest, ExpandsSiblingReferencesToSameFileEachTime) {
  addFile("outer.dat", {"1 16 0 0 0 1 0 0 0 1 0 0 0 1 leaf.dat",
                        "1 16 5 0 0 1 0 0 0 1 0 0 0 1 leaf.dat"});
  addFile("leaf.dat", {"3 16 0 0 0 1 0 0 0 0 1"});
  EXPECT_EQ(expand({"1 4 0 0 0 1 0 0 0 1 0 0 0 1 outer.dat",
                    "1 4 10 0 0 1 0 0 0 1 0 0 0 1 outer.dat"},
                   4),
            (Lines{"3 4 0 0 0 1 0 0 0 0 1", "3 4 5 0 0 6 0 0 5 0 1",
                   "3 4 10 0 0 11 0 0 10 0 1", "3 4 15 0 0 16 0 0 15 0 1"}));
  EXPECT_EQ(console, inlined(0, 0, 4, 0));
}

}  // namespace
}  // namespace quillery
