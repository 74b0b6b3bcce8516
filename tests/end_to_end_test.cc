// Runs the built tool in a temporary folder and compares its console output
// and the file it writes byte for byte.
#include <gtest/gtest.h>

#include <array>
#include <filesystem>
#include <iterator>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "test_util.h"

namespace quillery::testing {
namespace {

namespace fs = std::filesystem;

constexpr char kUsage[] =
    "Quillery [options] InFile Outfile\n"
    "-k <val>: key color (default none)\n"
    "-r: Don't expand Rect primitives\n"
    "-q: Don't split quads\n"
    "-c: Don't manage condlines around split quads\n"
    "-u: Return file to uncolored state\n"
    "-l \"path\": define ldraw search path\n";

// A part with a Rect reference in color 4 and a quad of its own, away from
// the rectangle; the rectangle sits in p/ beside it.
constexpr char kPart[] =
    "0 Tiny part\n"
    "0 BFC CERTIFY CCW\n"
    "1 4 0 0 0 1 0 0 0 1 0 0 0 1 rect.dat\n"
    "4 16 0 -5 0 1 -5 0 1 -5 1 0 -5 1\n";
constexpr char kRect[] =
    "0 Rectangle\n"
    "0 BFC CERTIFY CCW\n"
    "2 24 1 0 1 -1 0 1\n"
    "4 16 1 0 1 1 0 -1 -1 0 -1 -1 0 1\n";

// The statistics block: `label` follows the line count.
std::string statistics(const std::string& label, std::array<int, 6> n) {
  return std::to_string(n[0]) + label + "\n" + std::to_string(n[1]) +
         " Edge lines\n" + std::to_string(n[2]) + " Conditional lines\n" +
         std::to_string(n[3]) + " Triangles\n" + std::to_string(n[4]) +
         " Quads\n" + std::to_string(n[5]) + " Subfiles\n";
}

// The arguments in `line`, split at blanks.
std::vector<std::string> words(const std::string& line) {
  std::istringstream stream(line);
  return {std::istream_iterator<std::string>(stream), {}};
}

class EndToEndTest : public ::testing::Test {
 protected:
  void SetUp() override {
    write("part.dat", kPart);
    write("p/rect.dat", kRect);
  }

  void write(const std::string& name, const std::string& bytes) {
    writeBytes(dir.path() / name, bytes);
  }
  std::string read(const std::string& name) const {
    return readBytes(dir.path() / name);
  }
  bool exists(const std::string& name) const {
    return fs::exists(dir.path() / name);
  }
  RunResult run(const std::vector<std::string>& args) const {
    return runBinary(dir.path(), args);
  }
  RunResult run(const std::string& line) const { return run(words(line)); }

  ScopedTempDir dir;
};

TEST_F(EndToEndTest, UsageErrorsPrintUsageAndExitWithOne) {
  std::vector<std::vector<std::string>> cases = {
      {"-l", "", "part.dat", "out.dat"}};
  for (const char* line :
       {"", "part.dat", "-x part.dat out.dat", "-X part.dat out.dat",
        "-R part.dat out.dat", "- part.dat out.dat", "-s part.dat out.dat",
        "-sx part.dat out.dat", "/r part.dat out.dat",
        "-r out part.dat out.dat"}) {
    cases.push_back(words(line));
  }
  for (const std::vector<std::string>& args : cases) {
    SCOPED_TRACE(::testing::PrintToString(args));
    RunResult result = run(args);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.console, std::string(kBanner) + kUsage + kPrompt);
    EXPECT_FALSE(exists("out.dat"));
  }
}

#ifdef _WIN32
// Typed in cmd.exe, `-l "lib\"` ends the path at its backslash instead of
// taking the quote into it and the file names after it along.
TEST_F(EndToEndTest, QuotedPathEndingInABackslashEndsThere) {
  RunResult result =
      runBinaryWithCommandLine(dir.path(), "-l \"lib\\\" part.dat out.dat");
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_NE(result.console.find("Reading input file part.dat\n"),
            std::string::npos);
  EXPECT_NE(result.console.find(".\\, .\\p\\, .\\s\\, lib\\p\\, "
                                "lib\\parts\\, lib\\parts\\s\\, "
                                "lib\\Unofficial\\p\\"),
            std::string::npos)
      << result.console;
  EXPECT_TRUE(exists("out.dat"));
}
#endif

TEST_F(EndToEndTest, OptionsThatActLikeOthers) {
  const std::pair<std::string, std::string> cases[] = {
      {"-sf", ""}, {"-sp", ""}, {"-spq", ""}, {"-rq", "-r"}};
  for (const auto& [options, sameAs] : cases) {
    SCOPED_TRACE(options);
    RunResult expected = run(sameAs + " part.dat out.dat");
    ASSERT_EQ(expected.exitCode, 0);
    const std::string expectedBytes = read("out.dat");
    RunResult actual = run(options + " part.dat out.dat");
    EXPECT_EQ(actual.exitCode, 0);
    EXPECT_EQ(actual.console, expected.console);
    EXPECT_EQ(read("out.dat"), expectedBytes);
  }
}

TEST_F(EndToEndTest, KeyColorSelectsTheExpansionMode) {
  const std::string keyed = "\nExpanding key-colored primitives\n";
  const std::string rect = "\nExpanding Rect primitives\n";
  const std::pair<std::string, bool> cases[] = {
      {"", false},          {"-k 4", true},    {"-k 0", true},
      {"-k -1", false},     {"-k abc", false}, {"-k 4 -k -1", false},
      {"-k 4 -k abc", true}};
  for (const auto& [options, isKeyed] : cases) {
    SCOPED_TRACE(options);
    RunResult result = run(options + " part.dat out.dat");
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_NE(result.console.find(isKeyed ? keyed : rect), std::string::npos);
    EXPECT_EQ(result.console.find(isKeyed ? rect : keyed), std::string::npos);
  }
}

TEST_F(EndToEndTest, KeyColorOptionTakesTheInputNameAsItsValue) {
  write("5.dat", kPart);
  RunResult result = run("-k 5.dat out.dat");
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_NE(result.console.find("\nReading input file 5.dat\n4 lines in file"),
            std::string::npos);
  EXPECT_NE(result.console.find("\nExpanding key-colored primitives\n"),
            std::string::npos);
  EXPECT_TRUE(exists("out.dat"));
}

TEST_F(EndToEndTest, PrintsTheSearchDirectories) {
  write("x.dat", "0 x\n");
  write("sub/x.dat", "0 x\n");
  const std::string local = ".\\, .\\p\\, .\\s\\";
  // The six folders of a library, each -l value taken as a folder name.
  auto library = [](const std::string& root) {
    std::string text;
    for (const char* folder : {"p", "parts", "parts\\s", "Unofficial\\p",
                               "Unofficial\\parts", "Unofficial\\parts\\s"}) {
      text += ", " + root + folder + "\\";
    }
    return text;
  };
  const std::pair<std::string, std::string> cases[] = {
      {"x.dat out.dat", local},
      {"sub/x.dat out.dat", "sub/, sub/p\\, sub/s\\"},
      {"sub\\x.dat out.dat", "sub\\, sub\\p\\, sub\\s\\"},
      {"-l lib\\ x.dat out.dat",
       local +
           ", lib\\p\\, lib\\parts\\, lib\\parts\\s\\, lib\\Unofficial\\p\\, "
           "lib\\Unofficial\\parts\\, lib\\Unofficial\\parts\\s\\"},
      {"-l lib -l C:\\ld x.dat out.dat",
       local + library("lib\\") + library("C:\\ld\\")},
      {"-l lib/ x.dat out.dat", local + library("lib/")},
      {"-l x.dat out.dat", local + library("x.dat\\")},
  };
  constexpr char kTitle[] = "\nLDraw subfiles search locations:\n";
  for (const auto& [args, listing] : cases) {
    SCOPED_TRACE(args);
    RunResult result = run(args);
    EXPECT_EQ(result.exitCode, 0);
    const std::size_t title = result.console.find(kTitle);
    ASSERT_NE(title, std::string::npos);
    const std::size_t start = title + sizeof(kTitle) - 1;
    EXPECT_EQ(
        result.console.substr(start, result.console.find('\n', start) - start),
        listing);
  }
}

TEST_F(EndToEndTest, PlainRunWritesEveryLineNormalised) {
  const std::pair<std::string, std::string> lines[] = {
      {"0 Name: piece.dat", "0 Name: piece.dat"},
      {"0", "0 "},
      {"\t 0\tBFC CERTIFY CCW", "0 BFC CERTIFY CCW"},
      {"  1\t16  0 -8 0   1.000000 0 0 0 1 0 0 0 1 piece.dat",
       "1 16 0 -8 0 1 0 0 0 1 0 0 0 1 piece.dat"},
      {"1 4 0 0 0 1 0 0 0 1 0 0 0 1 rect.dat",
       "1 4 0 0 0 1 0 0 0 1 0 0 0 1 rect.dat"},
      {"1 16 0 0 0 1 0 0 0 1 0 0 0 1 s\\my part.dat  ",
       "1 16 0 0 0 1 0 0 0 1 0 0 0 1 s\\my part.dat  "},
      {"2\t24 -10 0 5\t10 0 5", "2 24 -10 0 5 10 0 5"},
      {"0 BFC INVERTNEXT", "0 BFC INVERTNEXT"},
      {"3 4 -0 12.3456789 0 1 0 0 0 0 1", "3 4 -0 12.34568 0 1 0 0 0 0 1"},
      {"4 16 0 0 0 1.000000 0 0 1 0 1 0 0 1", "4 16 0 0 0 1 0 0 1 0 1 0 0 1"},
      {"5 24 0 0 0 1 0 0 0 1 0 0 0 -1e0", "5 24 0 0 0 1 0 0 0 1 0 0 0 -1"},
  };
  std::string input;
  std::string expected;
  for (const auto& [in, out] : lines) {
    input += in + "\n";
    expected += out + "\r\n";
  }
  write("in.dat", input);
  RunResult result = run("-r -q in.dat out.dat");
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(read("out.dat"), expected);
  EXPECT_EQ(result.console,
            std::string(kBanner) + "\nReading input file in.dat\n" +
                statistics(" lines in file", {11, 1, 1, 1, 1, 3}) +
                "\nWriting output file out.dat\n" +
                statistics(" lines written in file", {11, 1, 1, 1, 1, 3}) +
                kPrompt);
}

TEST_F(EndToEndTest, DefaultRunPrintsEveryStep) {
  RunResult result = run("part.dat out.dat");
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.console,
            std::string(kBanner) + "\nReading input file part.dat\n" +
                statistics(" lines in file", {4, 0, 0, 0, 1, 1}) +
                "\nLDraw subfiles search locations:\n.\\, .\\p\\, .\\s\\\n" +
                "\nExpanding Rect primitives\n" +
                "\nInlined from subfiles:\n1 Edge lines\n"
                "0 Conditional lines\n0 Triangles\n1 Quads\n\n" +
                "\nSplitting quads\n\n" + "\nWriting output file out.dat\n" +
                statistics(" lines written in file", {8, 1, 0, 4, 0, 0}) +
                kPrompt);
}

TEST_F(EndToEndTest, MissingOrFolderInputIsNotFound) {
  fs::create_directory(dir.path() / "folder.dat");
  for (const std::string name : {"missing.dat", "folder.dat"}) {
    SCOPED_TRACE(name);
    RunResult result = run(name + " out.dat");
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.console, std::string(kBanner) + "\nReading input file " +
                                  name + "\n" + name + " not found\n" +
                                  kPrompt);
    EXPECT_FALSE(exists("out.dat"));
  }
}

TEST_F(EndToEndTest, InputCanBeItsOwnOutput) {
  write("copy.dat", kPart);
  ASSERT_EQ(run("copy.dat expected.dat").exitCode, 0);
  RunResult result = run("part.dat part.dat");
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(read("part.dat"), read("expected.dat"));
  EXPECT_NE(read("part.dat"), kPart);
}

}  // namespace
}  // namespace quillery::testing
