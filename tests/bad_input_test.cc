// The catalogue of bad inputs and failing file systems, run end to end on the
// built tool: every row gives the exact console text, the exit code and the
// bytes of the output file, or that there is none.
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include <filesystem>
#include <set>
#include <string>
#include <utility>
#include <vector>

#include "test_util.h"

namespace quillery::testing {
namespace {

namespace fs = std::filesystem;

constexpr char kBanner[] =
    "\nQuillery 1.0 - by Tobrin\n--------------------------\n";
constexpr char kPrompt[] = "Press <Enter> to quit\n";
constexpr char kLocalSearch[] = ".\\, .\\p\\, .\\s\\";

// Statistics as the reader and the writer print them.
struct Counts {
  int lines = 0;
  int edges = 0;
  int condLines = 0;
  int triangles = 0;
  int quads = 0;
  int subfiles = 0;
};

// What the expansion inlined.
struct Inlined {
  int edges = 0;
  int condLines = 0;
  int triangles = 0;
  int quads = 0;
};

std::string statistics(const char* firstLabel, const Counts& c) {
  return std::to_string(c.lines) + firstLabel + "\n" + std::to_string(c.edges) +
         " Edge lines\n" + std::to_string(c.condLines) +
         " Conditional lines\n" + std::to_string(c.triangles) + " Triangles\n" +
         std::to_string(c.quads) + " Quads\n" + std::to_string(c.subfiles) +
         " Subfiles\n";
}

std::string reading(const std::string& input, const Counts& read) {
  return std::string(kBanner) + "\nReading input file " + input + "\n" +
         statistics(" lines in file", read);
}

// The expansion block; `notes` are the circular-reference lines.
std::string expansion(bool keyed, const Inlined& inlined,
                      const std::string& notes = "") {
  return std::string("\nLDraw subfiles search locations:\n") + kLocalSearch +
         "\n" +
         (keyed ? "\nExpanding key-colored primitives\n"
                : "\nExpanding Rect primitives\n") +
         notes + "\nInlined from subfiles:\n" + std::to_string(inlined.edges) +
         " Edge lines\n" + std::to_string(inlined.condLines) +
         " Conditional lines\n" + std::to_string(inlined.triangles) +
         " Triangles\n" + std::to_string(inlined.quads) + " Quads\n\n";
}

constexpr char kSplitting[] = "\nSplitting quads\n\n";

std::string writing(const std::string& output) {
  return "\nWriting output file " + output + "\n";
}

std::string written(const Counts& counts) {
  return statistics(" lines written in file", counts) + kPrompt;
}

// A -r -q run: read, then write.
std::string plainRun(const std::string& input, const std::string& output,
                     const Counts& read, const Counts& wrote) {
  return reading(input, read) + writing(output) + written(wrote);
}

// A run with expansion and splitting.
std::string fullRun(const std::string& input, const std::string& output,
                    const Counts& read, bool keyed, const Inlined& inlined,
                    const std::string& notes, const Counts& wrote) {
  return reading(input, read) + expansion(keyed, inlined, notes) + kSplitting +
         writing(output) + written(wrote);
}

// Lines joined with the output's CR LF ends.
std::string crlf(const std::vector<std::string>& lines) {
  std::string text;
  for (const std::string& line : lines) text += line + "\r\n";
  return text;
}

// A Rect primitive: one edge and one quad in the inherited colour.
constexpr char kRect[] =
    "2 24 1 0 1 -1 0 1\n4 16 -1 0 1 -1 0 -1 1 0 -1 1 0 1\n";

// Every entry below `root`, as relative paths.
std::set<std::string> entriesBelow(const fs::path& root) {
  std::set<std::string> names;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    names.insert(fs::relative(entry.path(), root).string());
  }
  return names;
}

class BadInputTest : public ::testing::Test {
 protected:
  void write(const std::string& name, const std::string& bytes) {
    writeBytes(dir.path() / name, bytes);
  }
  std::string read(const std::string& name) const {
    return readBytes(dir.path() / name);
  }
  RunResult run(const std::vector<std::string>& args) const {
    return runBinary(dir.path(), args);
  }
  std::set<std::string> entries() const { return entriesBelow(dir.path()); }

  ScopedTempDir dir;
};

// Lines of type 0 to 5 are made of whatever they hold; everything else in a
// file is passed over. Runs with -r -q, so the file is only normalised.
TEST_F(BadInputTest, DamagedFilesAreReadAsFarAsTheyGo) {
  std::string everyByte;
  for (int c = 0; c < 256; ++c) everyByte.push_back(static_cast<char>(c));
  const std::string tenMegabytes(10 << 20, 'x');
  const std::string tenMegabytesOfBlanks(10 << 20, ' ');
  struct Case {
    const char* name;
    std::string input;
    std::string output;
    Counts counts;  // The same when read and when written.
  };
  const Case cases[] = {
      {"empty file", "", "", {}},
      {"blank lines only", "\n\n   \n\t\t\n\r\n\v\f\n", "", {}},
      // No line starts with an integer: the second one (after the byte 10)
      // starts with white space and then the byte 14.
      {"every byte value", everyByte, "", {}},
      {"NUL and bytes above 127 in lines",
       std::string("0 a\0b\xff\x80\n", 8) +
           std::string("2 24 1 2 3\0 4 5 6\n", 18) +
           std::string("\0 3 16 0 0 0 1 0 0 0 0 1\n", 25) +
           std::string("1 16 0 0 0 1 0 0 0 1 0 0 0 1 a\0b.dat\n", 37) +
           "3 16 1\xb5"
           "2 0 0 0 0 0 0 0\n",
       std::string("0 a\0b\xff\x80\r\n", 9) + "2 24 1 2 3 4 5 6\r\n" +
           std::string("1 16 0 0 0 1 0 0 0 1 0 0 0 1 a\0b.dat\r\n", 38) +
           "3 16 1 0 0 0 0 0 0 0 0\r\n",
       {4, 1, 0, 1, 0, 1}},
      {"carriage returns inside and at the very end",
       "0 lone\rreturn\r\r\n2 24 1 2 3 4 5 6\r\n0 end\r",
       "0 lone\rreturn\r\r\n2 24 1 2 3 4 5 6\r\n0 end\r\n",
       {3, 1, 0, 0, 0, 0}},
      {"a 10 MB comment line",
       "0 " + tenMegabytes + "\n",
       "0 " + tenMegabytes + "\r\n",
       {1, 0, 0, 0, 0, 0}},
      {"10 MB of blanks before a triangle",
       tenMegabytesOfBlanks + "3 16 0 0 0 1 0 0 0 0 1",
       "3 16 0 0 0 1 0 0 0 0 1\r\n",
       {1, 0, 0, 1, 0, 0}},
      {"a 10 MB file name",
       "1 16 0 0 0 1 0 0 0 1 0 0 0 1 " + tenMegabytes,
       "1 16 0 0 0 1 0 0 0 1 0 0 0 1 " + tenMegabytes + "\r\n",
       {1, 0, 0, 0, 0, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    write("in.dat", c.input);
    fs::remove(dir.path() / "out.dat");
    RunResult result = run({"-r", "-q", "in.dat", "out.dat"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.console,
              plainRun("in.dat", "out.dat", c.counts, c.counts));
    EXPECT_TRUE(read("out.dat") == c.output) << "output differs";
  }
}

// Every line kind with fields missing, not numbers, out of range, NaN or
// infinite, normalised (-r -q) one line each, in one file.
TEST_F(BadInputTest, DamagedFieldsAreReadAsFarAsTheyGo) {
  struct Line {
    const char* input;
    const char* output;  // Null for a line that is passed over.
  };
  const Line lines[] = {
      {"0", "0 "},
      // The integer 2^32 reads as 0, but the line holds no '0' to start the
      // comment text from.
      {"4294967296 abc", "0 "},
      {"7 1 2 3", nullptr},
      {"-1 0 0 0", nullptr},
      {"abc", nullptr},

      {"1", "1 0 0 0 0 0 0 0 0 0 0 0 0 0 "},
      {"1 4 10 20 30", "1 4 10 20 30 0 0 0 0 0 0 0 0 0 "},
      {"1 16 0 0 0 1 0 0 0 1 0 0 0 1", "1 16 0 0 0 1 0 0 0 1 0 0 0 1 "},
      {"1 16 1 2 3 4 5 6 7 x 0 0 0 1 a.dat", "1 16 1 2 3 4 5 6 7 0 0 0 0 0 "},
      {"1 x 0 0 0 1 0 0 0 1 0 0 0 1 a.dat",
       "1 0 0 0 0 1 0 0 0 1 0 0 0 1 a.dat"},
      {"1 0x2FF0000 0 0 0 1 0 0 0 1 0 0 0 1 a.dat",
       "1 0 0 0 0 1 0 0 0 1 0 0 0 1 a.dat"},
      {"1 99999999999 0 0 0 1 0 0 0 1 0 0 0 1 a.dat",
       "1 1215752191 0 0 0 1 0 0 0 1 0 0 0 1 a.dat"},
      {"1 16 1e400 -1e400 nan inf -inf NaN 1e308 0 0 0 0 1 a.dat",
       "1 16 inf -inf nan inf -inf nan 1e+308 0 0 0 0 1 a.dat"},

      {"2", "2 0 0 0 0 0 0 0"},
      {"2 24 1 2", "2 24 1 2 0 0 0 0"},
      {"2 24 1 x 3 4 5 6", "2 24 1 0 0 0 0 0"},
      {"2 nan 1 2 3 4 5 6", "2 0 1 2 3 4 5 6"},
      {"2 1e400 1 2 3 4 5 6", "2 1 1 2 3 4 5 6"},
      {"2 24 1e400 -1e400 1e-400 1e308 -0 5.5abc",
       "2 24 inf -inf 0 1e+308 -0 5.5"},

      {"3", "3 0 0 0 0 0 0 0 0 0 0"},
      {"3 16 1 2 3 4 y 6 7 8 9", "3 16 1 2 3 4 0 0 0 0 0"},
      {"3 16 nan NaN -nan 0 0 0 nan(12) 0 0",
       "3 16 nan nan -nan 0 0 0 nan 0 0"},
      {"3 -inf 0 0 0 1 0 0 0 0 1", "3 0 0 0 0 1 0 0 0 0 1"},

      {"4", "4 0 0 0 0 0 0 0 0 0 0 0 0 0"},
      {"4 0x10 0 0 0 1 0 0 1 0 1 0 0 1", "4 0 0 0 0 1 0 0 1 0 1 0 0 1"},
      {"4 16 inf -Infinity INF 0 0 0 1 0 1 0 0 1",
       "4 16 inf -inf inf 0 0 0 1 0 1 0 0 1"},
      {"4 16 0 0 0 1 0 0 1 0 1 0 0", "4 16 0 0 0 1 0 0 1 0 1 0 0 0"},

      {"5", "5 0 0 0 0 0 0 0 0 0 0 0 0 0"},
      {"5 24 infin 0 0 0 0 0 0 0 0 0 0 0", "5 24 0 0 0 0 0 0 0 0 0 0 0 0"},
      {"5 24 0x1p3 0x. 1e 1e+ 2 3 . 0 0 0 0 0", "5 24 8 0 1 1 2 3 0 0 0 0 0 0"},
  };
  std::string input;
  std::vector<std::string> expected;
  Counts counts;
  int* perType[] = {nullptr,           &counts.subfiles, &counts.edges,
                    &counts.triangles, &counts.quads,    &counts.condLines};
  for (const Line& line : lines) {
    input += std::string(line.input) + "\n";
    if (line.output == nullptr) continue;
    expected.push_back(line.output);
    ++counts.lines;
    const int type = line.output[0] - '0';
    if (type > 0) ++*perType[type];
  }
  write("in.dat", input);
  RunResult result = run({"-r", "-q", "in.dat", "out.dat"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.console, plainRun("in.dat", "out.dat", counts, counts));
  const std::string output = read("out.dat");
  EXPECT_EQ(output, crlf(expected));
  // Line by line, to name the row that differs.
  std::size_t start = 0;
  for (const std::string& line : expected) {
    const std::size_t end = output.find("\r\n", start);
    ASSERT_NE(end, std::string::npos);
    EXPECT_EQ(output.substr(start, end - start), line);
    start = end + 2;
  }
}

// Out-of-range and not-a-number geometry through expansion, splitting and
// the certification-aware writer. Only copied or exactly computed values
// reach the output: NaN angles make every comparison false, so such a quad
// splits along p1-p3 with no line on the diagonal.
TEST_F(BadInputTest, DamagedGeometryGoesThroughEveryPass) {
  write("p/rect.dat", kRect);
  struct Case {
    const char* name;
    std::vector<std::string> options;
    std::string input;
    std::vector<std::string> output;
    Counts read;
    Inlined inlined;
    Counts wrote;
  };
  const Case cases[] = {
      {"quad with a NaN corner",
       {},
       "4 16 0 0 0 1 0 0 nan 0 1 0 0 1\n",
       {"3 16 0 0 0 1 0 0 nan 0 1", "3 16 nan 0 1 0 0 1 0 0 0"},
       {1, 0, 0, 0, 1, 0},
       {},
       {2, 0, 0, 2, 0, 0}},
      {"quad with an infinite corner",
       {},
       "4 16 0 0 0 inf 0 0 1 0 1 0 0 1\n",
       {"3 16 0 0 0 inf 0 0 1 0 1", "3 16 1 0 1 0 0 1 0 0 0"},
       {1, 0, 0, 0, 1, 0},
       {},
       {2, 0, 0, 2, 0, 0}},
      {"quad whose normal overflows",
       {},
       "4 16 0 0 0 1e308 0 0 1e308 0 1e308 0 0 1e308\n",
       {"3 16 0 0 0 1e+308 0 0 1e+308 0 1e+308",
        "3 16 1e+308 0 1e+308 0 0 1e+308 0 0 0"},
       {1, 0, 0, 0, 1, 0},
       {},
       {2, 0, 0, 2, 0, 0}},
      {"rect placed by a matrix holding NaN",
       {},
       "1 4 0 0 0 nan 0 0 0 1 0 0 0 1 rect.dat\n",
       {"2 24 nan 0 1 nan 0 1", "3 4 nan 0 1 nan 0 -1 nan 0 -1",
        "3 4 nan 0 -1 nan 0 1 nan 0 1"},
       {1, 0, 0, 0, 0, 1},
       {1, 0, 0, 1},
       {3, 1, 0, 2, 0, 0}},
      {"rect placed at an infinite position",
       {},
       "1 4 inf 0 0 1 0 0 0 1 0 0 0 1 rect.dat\n",
       {"2 24 inf 0 1 inf 0 1", "3 4 inf 0 1 inf 0 -1 inf 0 -1",
        "3 4 inf 0 -1 inf 0 1 inf 0 1"},
       {1, 0, 0, 0, 0, 1},
       {1, 0, 0, 1},
       {3, 1, 0, 2, 0, 0}},
      {"rect squashed by a zero matrix",
       {},
       "1 4 0 0 0 0 0 0 0 0 0 0 0 0 rect.dat\n",
       {"2 24 0 0 0 0 0 0", "3 4 0 0 0 0 0 0 0 0 0", "3 4 0 0 0 0 0 0 0 0 0"},
       {1, 0, 0, 0, 0, 1},
       {1, 0, 0, 1},
       {3, 1, 0, 2, 0, 0}},
      // A hexadecimal direct colour reads as 0, which -k 0 then selects.
      {"reference in a hexadecimal colour",
       {"-k", "0"},
       "1 0x2FF0000 0 0 0 1 0 0 0 1 0 0 0 1 rect.dat\n",
       {"2 24 1 0 1 -1 0 1", "3 0 -1 0 1 -1 0 -1 1 0 -1",
        "3 0 1 0 -1 1 0 1 -1 0 1"},
       {1, 0, 0, 0, 0, 1},
       {1, 0, 0, 1},
       {3, 1, 0, 2, 0, 0}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    write("in.dat", c.input);
    std::vector<std::string> args = c.options;
    args.insert(args.end(), {"in.dat", "out.dat"});
    RunResult result = run(args);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.console,
              fullRun("in.dat", "out.dat", c.read, !c.options.empty(),
                      c.inlined, "", c.wrote));
    EXPECT_EQ(read("out.dat"), crlf(c.output));
  }
}

// References that cannot or must not be expanded stay as they are, and a
// file is never expanded inside itself.
TEST_F(BadInputTest, UnusableReferencesStay) {
  const std::string absolute = (dir.path() / "lib" / "part.dat").string();
  write("lib/part.dat", "2 24 0 0 0 1 1 1\n");
  write("p/rect.dat", kRect);
  fs::create_directory(dir.path() / "rect.dat");
  write("p/rectloop.dat",
        "2 24 0 0 0 1 0 0\n1 16 0 0 0 1 0 0 0 1 0 0 0 1 rectloop.dat\n");
  write("p/recta.dat",
        "1 16 0 0 0 1 0 0 0 1 0 0 0 1 rectb.dat\n3 16 0 0 0 1 0 0 0 0 1\n");
  write("p/rectb.dat", "1 16 0 1 0 1 0 0 0 1 0 0 0 1 recta.dat\n");
  write(
      "s/sub.dat",
      "1 16 0 0 0 1 0 0 0 1 0 0 0 1 loop.dat\n4 16 0 0 0 1 0 0 1 0 1 0 0 1\n");
  struct Case {
    const char* name;
    std::vector<std::string> options;
    std::string input;
    std::vector<std::string> output;
    Counts read;
    Inlined inlined;
    std::string notes;
    Counts wrote;
  };
  const Case cases[] = {
      // Every search directory joined with an empty name is a folder.
      {"no file name, key colour",
       {"-k", "16"},
       "1 16 0 0 0 1 0 0 0 1 0 0 0 1\n",
       {"1 16 0 0 0 1 0 0 0 1 0 0 0 1 "},
       {1, 0, 0, 0, 0, 1},
       {},
       "",
       {1, 0, 0, 0, 0, 1}},
      // Joined to a search directory, an absolute name leads nowhere.
      {"absolute file name",
       {"-k", "16"},
       "1 16 0 0 0 1 0 0 0 1 0 0 0 1 " + absolute + "\n",
       {"1 16 0 0 0 1 0 0 0 1 0 0 0 1 " + absolute},
       {1, 0, 0, 0, 0, 1},
       {},
       "",
       {1, 0, 0, 0, 0, 1}},
      // ./rect.dat is a folder: the search goes on to p/.
      {"name of a folder in the first search directory",
       {},
       "1 4 0 0 0 1 0 0 0 1 0 0 0 1 rect.dat\n",
       {"2 24 1 0 1 -1 0 1", "3 4 -1 0 1 -1 0 -1 1 0 -1",
        "3 4 1 0 -1 1 0 1 -1 0 1"},
       {1, 0, 0, 0, 0, 1},
       {1, 0, 0, 1},
       "",
       {3, 1, 0, 2, 0, 0}},
      {"primitive that references itself",
       {},
       "1 4 0 0 0 1 0 0 0 1 0 0 0 1 rectloop.dat\n",
       {"2 24 0 0 0 1 0 0", "1 4 0 0 0 1 0 0 0 1 0 0 0 1 rectloop.dat"},
       {1, 0, 0, 0, 0, 1},
       {1, 0, 0, 0},
       "Circular reference to rectloop.dat not expanded\n",
       {2, 1, 0, 0, 0, 1}},
      {"two primitives referencing each other",
       {},
       "1 4 0 0 0 1 0 0 0 1 0 0 0 1 recta.dat\n",
       {"3 4 0 0 0 1 0 0 0 0 1", "1 4 0 1 0 1 0 0 0 1 0 0 0 1 recta.dat"},
       {1, 0, 0, 0, 0, 1},
       {0, 0, 1, 0},
       "Circular reference to recta.dat not expanded\n",
       {2, 0, 0, 1, 0, 1}},
      {"input that references itself, key colour",
       {"-k", "4"},
       "1 4 0 0 0 1 0 0 0 1 0 0 0 1 loop.dat\n2 4 0 0 0 1 1 1\n",
       {"1 4 0 0 0 1 0 0 0 1 0 0 0 1 loop.dat", "2 4 0 0 0 1 1 1"},
       {2, 1, 0, 0, 0, 1},
       {},
       "Circular reference to loop.dat not expanded\n",
       {2, 1, 0, 0, 0, 1}},
      // s/sub.dat refers back to the input in colour 16, which inherits 4.
      {"input referenced again from a subfile, key colour",
       {"-k", "4"},
       "1 4 0 0 0 1 0 0 0 1 0 0 0 1 sub.dat\n",
       {"1 4 0 0 0 1 0 0 0 1 0 0 0 1 loop.dat", "3 4 0 0 0 1 0 0 1 0 1",
        "3 4 1 0 1 0 0 1 0 0 0"},
       {1, 0, 0, 0, 0, 1},
       {0, 0, 0, 1},
       "Circular reference to loop.dat not expanded\n",
       {3, 0, 0, 2, 0, 1}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    write("loop.dat", c.input);
    std::vector<std::string> args = c.options;
    args.insert(args.end(), {"loop.dat", "out.dat"});
    RunResult result = run(args);
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.console,
              fullRun("loop.dat", "out.dat", c.read, !c.options.empty(),
                      c.inlined, c.notes, c.wrote));
    EXPECT_EQ(read("out.dat"), crlf(c.output));
  }
}

// Only meaningful for a user whom permissions bind: root reads a file with
// mode 000 all the same, so the first copy would be used.
TEST_F(BadInputTest, UnreadableSubfileIsPassedOver) {
  if (geteuid() == 0) GTEST_SKIP() << "root reads files whatever their mode";
  write("p/rect.dat", "2 24 9 9 9 9 9 9\n");
  fs::permissions(dir.path() / "p/rect.dat", fs::perms::none);
  write("s/rect.dat", kRect);
  write("in.dat", "1 4 0 0 0 1 0 0 0 1 0 0 0 1 rect.dat\n");
  RunResult result = run({"in.dat", "out.dat"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.console,
            fullRun("in.dat", "out.dat", {1, 0, 0, 0, 0, 1}, false,
                    {1, 0, 0, 1}, "", {3, 1, 0, 2, 0, 0}));
  EXPECT_EQ(read("out.dat"),
            crlf({"2 24 1 0 1 -1 0 1", "3 4 -1 0 1 -1 0 -1 1 0 -1",
                  "3 4 1 0 -1 1 0 1 -1 0 1"}));
}

// A part with a Rect reference, and what a default run makes of it.
constexpr char kPart[] =
    "0 BFC CERTIFY CCW\n1 4 0 0 0 1 0 0 0 1 0 0 0 1 rect.dat\n";
const std::string kProcessedPart =
    crlf({"0 BFC CERTIFY CCW", "2 24 1 0 1 -1 0 1", "3 4 -1 0 1 -1 0 -1 1 0 -1",
          "3 4 1 0 -1 1 0 1 -1 0 1"});

// What a default run on part.dat prints up to writing `output`.
std::string upToWriting(const std::string& output) {
  return reading("part.dat", {2, 0, 0, 0, 0, 1}) +
         expansion(false, {1, 0, 0, 1}) + kSplitting + writing(output);
}

class FileSystemFailureTest : public BadInputTest {
 protected:
  void SetUp() override {
    write("part.dat", kPart);
    write("p/rect.dat", kRect);
  }
};

// Each row in a folder of its own, since rows take write permissions away.
TEST(FileSystemFailureTableTest, FailuresLeaveEveryFileAsItWas) {
  const std::set<std::string> untouched = {"part.dat", "p", "p/rect.dat"};
  struct Case {
    const char* name;
    void (*prepare)(const fs::path& root);
    std::vector<std::string> args;
    std::string console;
    int exitCode;
    std::set<std::string> entries;  // The folder afterwards.
    std::string partAfter;
  };
  const Case cases[] = {
      {"input missing",
       [](const fs::path&) {},
       {"missing.dat", "out.dat"},
       std::string(kBanner) + "\nReading input file missing.dat\n" +
           "missing.dat not found\n" + kPrompt,
       2,
       untouched,
       kPart},
      {"input names a folder",
       [](const fs::path& root) { fs::create_directory(root / "folder.dat"); },
       {"folder.dat", "out.dat"},
       std::string(kBanner) + "\nReading input file folder.dat\n" +
           "folder.dat not found\n" + kPrompt,
       2,
       {"part.dat", "p", "p/rect.dat", "folder.dat"},
       kPart},
      {"output folder missing",
       [](const fs::path&) {},
       {"part.dat", "nowhere/out.dat"},
       upToWriting("nowhere/out.dat") + "nowhere/out.dat Can't create\n" +
           kPrompt,
       2,
       untouched,
       kPart},
      {"output names a folder",
       [](const fs::path& root) { fs::create_directory(root / "outdir"); },
       {"part.dat", "outdir"},
       upToWriting("outdir") + "outdir Can't create\n" + kPrompt,
       2,
       {"part.dat", "p", "p/rect.dat", "outdir"},
       kPart},
      {"output folder read-only",
       [](const fs::path& root) {
         fs::create_directory(root / "ro");
         fs::permissions(root / "ro", fs::perms(0555));
       },
       {"part.dat", "ro/out.dat"},
       upToWriting("ro/out.dat") + "ro/out.dat Can't create\n" + kPrompt,
       2,
       {"part.dat", "p", "p/rect.dat", "ro"},
       kPart},
      {"output file read-only",
       [](const fs::path& root) {
         writeBytes(root / "locked.dat", "old\n");
         fs::permissions(root / "locked.dat", fs::perms(0444));
       },
       {"part.dat", "locked.dat"},
       upToWriting("locked.dat") + "locked.dat Can't create\n" + kPrompt,
       2,
       {"part.dat", "p", "p/rect.dat", "locked.dat"},
       kPart},
      {"input as output, read-only file",
       [](const fs::path& root) {
         fs::permissions(root / "part.dat", fs::perms(0444));
       },
       {"part.dat", "part.dat"},
       upToWriting("part.dat") + "part.dat Can't create\n" + kPrompt,
       2,
       untouched,
       kPart},
      {"input as output, read-only folder",
       [](const fs::path& root) { fs::permissions(root, fs::perms(0555)); },
       {"part.dat", "part.dat"},
       upToWriting("part.dat") + "part.dat Can't create\n" + kPrompt,
       2,
       untouched,
       kPart},
      {"input as output",
       [](const fs::path&) {},
       {"part.dat", "part.dat"},
       upToWriting("part.dat") + written({4, 1, 0, 2, 0, 0}),
       0,
       untouched,
       kProcessedPart},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ScopedTempDir caseDir;
    writeBytes(caseDir.path() / "part.dat", kPart);
    writeBytes(caseDir.path() / "p/rect.dat", kRect);
    c.prepare(caseDir.path());
    RunResult result = runBinary(caseDir.path(), c.args);
    EXPECT_EQ(result.exitCode, c.exitCode);
    EXPECT_EQ(result.console, c.console);
    fs::permissions(caseDir.path(), fs::perms::owner_all,
                    fs::perm_options::add);
    const std::set<std::string> names = entriesBelow(caseDir.path());
    EXPECT_EQ(names, c.entries);
    EXPECT_EQ(readBytes(caseDir.path() / "part.dat"), c.partAfter);
    if (names.count("locked.dat") > 0) {
      EXPECT_EQ(readBytes(caseDir.path() / "locked.dat"), "old\n");
    }
  }
}

TEST_F(FileSystemFailureTest, FullDeviceCannotBeWritten) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full on this host";
  RunResult result = run({"part.dat", "/dev/full"});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_EQ(result.console,
            upToWriting("/dev/full") + "/dev/full Can't write\n" + kPrompt);
}

// A write that fails half way (here past the file size limit) leaves the
// input, which was also the output, as it was, and no temporary file.
TEST_F(FileSystemFailureTest, FailedWriteOverTheInputKeepsTheInput) {
  RunResult result = runBinaryWithLimit(dir.path(), {"part.dat", "part.dat"},
                                        RLIMIT_FSIZE, 16);
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_EQ(result.console,
            upToWriting("part.dat") + "part.dat Can't write\n" + kPrompt);
  EXPECT_EQ(read("part.dat"), kPart);
  EXPECT_EQ(entries(), (std::set<std::string>{"part.dat", "p", "p/rect.dat"}));
}

#if defined(__SANITIZE_ADDRESS__)
#define QUILLERY_UNDER_ASAN 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define QUILLERY_UNDER_ASAN 1
#endif
#endif

// Three nested levels of 200, 200 and 50 make two million quads, far beyond
// a 128 MiB address space: the expansion runs out of memory.
TEST_F(BadInputTest, OutOfMemoryIsReportedWithoutOutput) {
#if defined(QUILLERY_UNDER_ASAN)
  GTEST_SKIP() << "AddressSanitizer reserves more address space than the limit";
#endif
  std::string middle;
  std::string inner;
  for (int k = 0; k < 200; ++k) {
    middle +=
        "1 16 " + std::to_string(k) + " 0 0 1 0 0 0 1 0 0 0 1 inner.dat\n";
    inner += "1 16 0 " + std::to_string(k) + " 0 1 0 0 0 1 0 0 0 1 leaf.dat\n";
  }
  std::string leaf;
  for (int k = 0; k < 50; ++k) {
    leaf += "4 16 0 0 " + std::to_string(k) + " 1 0 0 1 1 0 0 1 0\n";
  }
  write("big.dat", "1 4 0 0 0 1 0 0 0 1 0 0 0 1 middle.dat\n");
  write("middle.dat", middle);
  write("inner.dat", inner);
  write("leaf.dat", leaf);
  RunResult result = runBinaryWithLimit(
      dir.path(), {"-k", "4", "big.dat", "out.dat"}, RLIMIT_AS, 128ull << 20);
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_EQ(result.console,
            reading("big.dat", {1, 0, 0, 0, 0, 1}) +
                "\nLDraw subfiles search locations:\n" + kLocalSearch + "\n" +
                "\nExpanding key-colored primitives\n" +
                "Out of memory: no output file written\n" + kPrompt);
  EXPECT_EQ(entries(), (std::set<std::string>{"big.dat", "middle.dat",
                                              "inner.dat", "leaf.dat"}));
}

}  // namespace
}  // namespace quillery::testing
