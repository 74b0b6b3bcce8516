// Tests of what the written file does not show: the certification state the
// reader gives each element, the plain writer, and writes that fail. Whole
// reads and writes are cases in tests/cases.
#include "model/model.h"

#include <gtest/gtest.h>

#include <memory>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "memory_file_access.h"

namespace quillery {
namespace {

// Lines in the form the tests use: a triangle and a quad with their reversed
// forms, and lines of the other kinds that the writer never reverses.
constexpr char kTri[] = "3 16 0 0 0 1 0 0 0 0 1";
constexpr char kTriReversed[] = "3 16 0 0 1 1 0 0 0 0 0";
constexpr char kQuad[] = "4 16 0 0 0 1 0 0 1 0 1 0 0 1";
constexpr char kQuadReversed[] = "4 16 1 0 1 1 0 0 0 0 0 0 0 1";
constexpr char kEdge[] = "2 24 0 0 0 1 0 0";
constexpr char kCond[] = "5 24 0 0 0 1 0 0 0 1 0 0 0 -1";
constexpr char kRef[] = "1 16 0 0 0 1 0 0 0 1 0 0 0 1 x.dat";
constexpr char kCcw[] = "0 BFC CERTIFY CCW";
constexpr char kCw[] = "0 BFC CERTIFY CW";
constexpr char kInvert[] = "0 BFC INVERTNEXT";

std::string joinLines(const std::vector<std::string>& lines,
                      const std::string& end) {
  std::string text;
  for (const std::string& line : lines) text += line + end;
  return text;
}

class ModelReaderTest : public ::testing::Test {
 protected:
  // Reads `text` as the file "in.dat" into a fresh model and returns what
  // the reader printed.
  std::string read(const std::string& text) {
    model = std::make_unique<Model>();
    files.addFile("in.dat", text);
    std::ostringstream console;
    EXPECT_TRUE(model->readFile("in.dat", files, console));
    return console.str();
  }

  MemoryFileAccess files;
  std::unique_ptr<Model> model = std::make_unique<Model>();
};

TEST_F(ModelReaderTest, CarriesCertificationStateToFollowingLines) {
  const std::pair<std::vector<std::string>, std::vector<int>> cases[] = {
      {{kCw, kTri, kRef}, {-1, -1, 1}},
      {{kCcw, kInvert, kTri}, {1, 1, 1}},
      {{kCw, kInvert, kQuad}, {-1, -1, -1}},
      {{"0 Name", kEdge, kTri, kQuad, kCond, kRef}, {0, 0, 0, 0, 0, 1}},
      {{kTri, kCcw, kTri}, {0, 1, 1}},
      {{kCcw, kTri, kCw, kTri}, {1, 1, -1, -1}},
      {{"0 bfc certify", kEdge}, {1, 1}},
  };
  for (const auto& [lines, windings] : cases) {
    read(joinLines(lines, "\n"));
    std::vector<int> read;
    for (const auto& element : model->elements)
      read.push_back(element->winding);
    EXPECT_EQ(read, windings) << joinLines(lines, " | ");
  }
}

// A file of several megabytes is parsed in two parts at once: the list, the
// statistics and the culling marks are those of one pass, also for the
// lines on either side of the cut and for a culling switch across it.
TEST_F(ModelReaderTest, ReadsALargeFileAsOnePass) {
  const std::vector<std::string> cycle = {kTri, kQuad, kEdge, kCond, kRef,
                                          "0 Name"};
  std::vector<std::string> lines = {kCw};
  while (lines.size() < 200000) lines.push_back(cycle[lines.size() % 6]);
  const std::size_t noClip = lines.size() / 2 - 3;
  const std::size_t clip = lines.size() / 2 + 3;
  lines[noClip] = "0 BFC NOCLIP";
  lines[clip] = "0 BFC CLIP";
  const std::string text = joinLines(lines, "\r\n");
  ASSERT_GT(text.size(), std::size_t{4} << 20);

  const std::string console = read(text);
  EXPECT_EQ(console.substr(0, console.find('\n')), "200000 lines in file");
  ASSERT_EQ(model->size(), lines.size());
  for (std::size_t index = 0; index < lines.size(); ++index) {
    const Element& element = model->at(index);
    ASSERT_EQ(element.typeCode(), lines[index][0] - '0') << index;
    ASSERT_EQ(element.culled, index < noClip || index >= clip) << index;
    ASSERT_EQ(element.faceWinding, kWindingCw) << index;
  }
  std::ostringstream written;
  ASSERT_EQ(model->writeFile("out.dat", false, files, written),
            Model::WriteResult::kWritten);
  EXPECT_EQ(files.outputs["out.dat"], text);
  // Written in many pieces, counted once each.
  EXPECT_EQ(written.str(),
            "200000 lines written in file\n33333 Edge lines\n"
            "33333 Conditional lines\n33333 Triangles\n33332 Quads\n"
            "33333 Subfiles\n");
}

// A write that fails leaves no output and prints no statistics.
TEST(ModelWriterTest, FailuresLeaveNoOutputAndPrintNothing) {
  Model model;
  int counts[6] = {0, 0, 0, 0, 0, 0};
  model.readText(joinLines({"0 Name", kTri}, "\n"), counts);
  MemoryFileAccess files;
  std::ostringstream console;
  files.failCreation = true;
  EXPECT_EQ(model.writeFile("out.dat", true, files, console),
            Model::WriteResult::kCannotCreate);
  files.failCreation = false;
  files.failWrites = true;
  EXPECT_EQ(model.writeFile("out.dat", true, files, console),
            Model::WriteResult::kCannotWrite);
  EXPECT_TRUE(files.outputs.empty());
#ifndef _WIN32
  DiskFileAccess disk;
  EXPECT_EQ(model.writeFile("/dev/full", true, disk, console),
            Model::WriteResult::kCannotWrite);
#endif
  EXPECT_EQ(console.str(), "");
}

}  // namespace
}  // namespace quillery
