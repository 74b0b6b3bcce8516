// Tests of the primitive expansion over a library held in memory, for what
// the written file does not show; whole runs are cases in tests/cases.
#include "passes/expand_primitives.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "memory_file_access.h"
#include "model/model.h"
#include "model/search_path_list.h"

namespace quillery {
namespace {

using Lines = std::vector<std::string>;

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

  // Reads `input` as the file "part.dat" and expands it in rect mode.
  void expand(const Lines& input) {
    addFile("part.dat", input);
    model = std::make_unique<Model>();
    std::ostringstream ignored;
    EXPECT_TRUE(model->readFile("part.dat", files, ignored));
    expandPrimitives(*model, searchPaths, -1, files, ignored);
  }

  MemoryFileAccess files;
  SearchPathList searchPaths;
  std::unique_ptr<Model> model;
};

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

}  // namespace
}  // namespace quillery
