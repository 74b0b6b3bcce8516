// Tests of the model reader (line splitting, dispatch, certification state,
// statistics) and the model writer (modes, BFC clean-up, line ends, failures).
#include "model/model.h"

#include <gtest/gtest.h>

#include <array>
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

// 2 edge lines, 3 conditional lines, 4 triangles and 5 quads: distinct
// counts per kind, so that a swapped label shows.
std::string distinctCounts() {
  std::string text;
  for (const auto& [line, count] :
       {std::pair{kEdge, 2}, {kCond, 3}, {kTri, 4}, {kQuad, 5}}) {
    for (int k = 0; k < count; ++k) text += std::string(line) + "\n";
  }
  return text;
}

// The statistics block: `label` follows the line count.
std::string statistics(const std::string& label, std::array<int, 6> n) {
  return std::to_string(n[0]) + label + "\n" + std::to_string(n[1]) +
         " Edge lines\n" + std::to_string(n[2]) + " Conditional lines\n" +
         std::to_string(n[3]) + " Triangles\n" + std::to_string(n[4]) +
         " Quads\n" + std::to_string(n[5]) + " Subfiles\n";
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

  std::vector<std::string> texts() const {
    std::vector<std::string> result;
    for (const auto& element : model->elements) {
      result.push_back(element->toText());
    }
    return result;
  }

  MemoryFileAccess files;
  std::unique_ptr<Model> model = std::make_unique<Model>();
};

// Damaged bytes, lines and fields, and lines of 10 MB, are read end to end
// in tests/bad_input_test.cc.
TEST_F(ModelReaderTest, SplitsLinesAsTheLineEndRulesSay) {
  const std::pair<std::string, std::vector<std::string>> cases[] = {
      {"0 a\n3 16 0 0 0 1 0 0 0 0 1", {"0 a", kTri}},
      {"0 a\r\n0 b\r\n", {"0 a", "0 b"}},
      {"0 a\r\n0 b", {"0 a", "0 b"}},
      {"0 a\r", {"0 a"}},
      // Only the very last byte goes; the carriage return before it is a
      // lone one inside the line.
      {"0 a\r\r", {"0 a\r"}},
      {"0 a\r\r\n", {"0 a\r"}},
      {"0 a\rb\n", {"0 a\rb"}},
      {"0 a\n\r", {"0 a"}},
      // Comments: the text after the 0 and one character, kept byte for byte.
      {"0\n   0 FILE a.dat\n0\tBFC CERTIFY",
       {"0 ", "0 FILE a.dat", "0 BFC CERTIFY"}},
  };
  for (const auto& [input, lines] : cases) {
    SCOPED_TRACE(::testing::PrintToString(input));
    read(input);
    EXPECT_EQ(texts(), lines);
  }
}

TEST_F(ModelReaderTest, SkipsLinesWithoutAnElementAndDoesNotCountThem) {
  const std::string skipped[] = {"",   "   ",      "\t \t",       "abc",
                                 "x0", "7 24 0 0", "-1 16 0 0 0", "6"};
  for (const std::string& line : skipped) {
    SCOPED_TRACE(::testing::PrintToString(line));
    EXPECT_EQ(read(line + "\n" + kEdge + "\n" + line),
              statistics(" lines in file", {1, 1, 0, 0, 0, 0}));
    EXPECT_EQ(texts(), std::vector<std::string>{kEdge});
  }
}

TEST_F(ModelReaderTest, PrintsStatisticsInFixedOrder) {
  const std::string text =
      joinLines({"0 Name: piece.dat", kCcw, "", "abc", kRef, "7 1 2 3"}, "\n") +
      distinctCounts();
  EXPECT_EQ(read(text), statistics(" lines in file", {17, 2, 3, 4, 5, 1}));
  EXPECT_EQ(read("\n\r\n\n"), statistics(" lines in file", {0, 0, 0, 0, 0, 0}));
  // A file that cannot be read leaves the model empty and prints nothing.
  std::ostringstream console;
  model = std::make_unique<Model>();
  EXPECT_FALSE(model->readFile("missing.dat", files, console));
  EXPECT_EQ(console.str(), "");
  EXPECT_EQ(model->size(), 0u);
}

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

TEST_F(ModelReaderTest, ReadsLongLinesWhole) {
  const std::string comment = "0 " + std::string(1498, 'x');
  // Cut into pieces, the tail of this line would start with "0" and turn
  // into a comment.
  const std::string padded =
      "3 16" + std::string(1480, ' ') + "0 0 0 1 0 0 0 0 1";
  read(comment + "\n" + padded + "\n");
  EXPECT_EQ(texts(), (std::vector<std::string>{comment, kTri}));
}

class ModelWriterTest : public ::testing::Test {
 protected:
  void read(const std::vector<std::string>& lines) {
    int counts[6] = {0, 0, 0, 0, 0, 0};
    model.readText(joinLines(lines, "\n"), counts);
  }

  Model::WriteResult write(bool certificationAware) {
    std::ostringstream stream;
    Model::WriteResult result =
        model.writeFile("out.dat", certificationAware, files, stream);
    console = stream.str();
    return result;
  }

  // The committed output, or "<none>".
  std::string output() const {
    auto file = files.outputs.find("out.dat");
    return file == files.outputs.end() ? "<none>" : file->second;
  }

  MemoryFileAccess files;
  Model model;
  std::string console;
};

TEST_F(ModelWriterTest, PlaceholdersAreNeitherWrittenNorCounted) {
  read({"0 Name", kRef, kRef});
  // An expanded reference leaves a placeholder behind.
  model.remove(2);
  int counts[6] = {0, 0, 0, 0, 0, 0};
  model.readText(distinctCounts(), counts);
  ASSERT_EQ(write(true), Model::WriteResult::kWritten);
  EXPECT_EQ(console, statistics(" lines written in file", {16, 2, 3, 4, 5, 1}));
  for (std::size_t k = 0; k < model.size(); ++k) model.remove(k);
  ASSERT_EQ(write(true), Model::WriteResult::kWritten);
  EXPECT_EQ(output(), "");
  EXPECT_EQ(console, statistics(" lines written in file", {0, 0, 0, 0, 0, 0}));
}

TEST_F(ModelWriterTest, OnlyCertificationAwareModeWritesInsertedElements) {
  read({kCcw, kEdge, kTri, kInvert, kTri, kQuad});
  model.at(1).inserted = true;
  model.at(2).inserted = true;
  // The plain mode never reverses.
  ASSERT_EQ(write(false), Model::WriteResult::kWritten);
  EXPECT_EQ(output(), joinLines({kCcw, kInvert, kTri, kQuad}, "\r\n"));
  EXPECT_EQ(console, statistics(" lines written in file", {4, 0, 0, 1, 1, 0}));
  ASSERT_EQ(write(true), Model::WriteResult::kWritten);
  EXPECT_EQ(
      output(),
      joinLines({kCcw, kEdge, kTri, kTriReversed, kQuadReversed}, "\r\n"));
}

TEST_F(ModelWriterTest, CertificationAwareModeCleansUpInvertNext) {
  const std::pair<std::vector<std::string>, std::vector<std::string>> cases[] =
      {
          // An orphan INVERTNEXT goes and every later surface is reversed.
          {{kCcw, kTri, kInvert, kTri, kEdge, kQuad, kRef, kCond, kTri},
           {kCcw, kTri, kTriReversed, kEdge, kQuadReversed, kRef, kCond,
            kTriReversed}},
          // A first clockwise certification reverses too.
          {{kCw, kInvert, kQuad}, {kCw, kQuadReversed}},
          // An INVERTNEXT directly before a reference stays.
          {{kCcw, kInvert, kRef, kTri, kQuad},
           {kCcw, kInvert, kRef, kTri, kQuad}},
          // Only the directly following element counts.
          {{kCcw, kInvert, "0 note", kRef, kTri},
           {kCcw, "0 note", kRef, kTriReversed}},
          // The first BFC line stays even as an orphan INVERTNEXT.
          {{"0 Name", kInvert, kTri, kInvert, kQuad},
           {"0 Name", kInvert, kTri, kQuad}},
          // An INVERTNEXT as the last element goes.
          {{kCcw, kTri, kInvert}, {kCcw, kTri}},
          // Further certification lines stay and reverse nothing; readers
          // that ignore them are told the winding of what follows.
          {{kCcw, kTri, kCw, kTri}, {kCcw, kTri, kCw, "0 BFC CW", kTri}},
      };
  for (const auto& [input, written] : cases) {
    model.elements.clear();
    read(input);
    ASSERT_EQ(write(true), Model::WriteResult::kWritten);
    EXPECT_EQ(output(), joinLines(written, "\r\n"));
  }
}

TEST_F(ModelWriterTest, FailuresLeaveNoOutputAndPrintNothing) {
  read({"0 Name", kTri});
  files.failCreation = true;
  EXPECT_EQ(write(true), Model::WriteResult::kCannotCreate);
  EXPECT_EQ(console, "");
  files.failCreation = false;
  files.failWrites = true;
  EXPECT_EQ(write(true), Model::WriteResult::kCannotWrite);
  EXPECT_EQ(console, "");
  EXPECT_EQ(output(), "<none>");
#ifndef _WIN32
  DiskFileAccess disk;
  std::ostringstream stream;
  EXPECT_EQ(model.writeFile("/dev/full", true, disk, stream),
            Model::WriteResult::kCannotWrite);
  EXPECT_EQ(stream.str(), "");
#endif
}

}  // namespace
}  // namespace quillery
