// Runs the built tool in a temporary folder and compares its console output
// and the file it writes byte for byte.
#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "test_util.h"

namespace quillery::testing {
namespace {

namespace fs = std::filesystem;

constexpr char kBanner[] =
    "\nQuillery 1.0 - by Tobrin\n--------------------------\n";
constexpr char kPrompt[] = "Press <Enter> to quit\n";
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

std::string statistics(const std::string& firstLabel, int lines, int edges,
                       int condLines, int triangles, int quads, int subfiles) {
  std::ostringstream text;
  text << lines << firstLabel << "\n"
       << edges << " Edge lines\n"
       << condLines << " Conditional lines\n"
       << triangles << " Triangles\n"
       << quads << " Quads\n"
       << subfiles << " Subfiles\n";
  return text.str();
}

std::string join(const std::vector<std::string>& parts,
                 const std::string& separator) {
  std::string text;
  for (const std::string& part : parts) {
    if (!text.empty()) text += separator;
    text += part;
  }
  return text;
}

std::vector<std::string> operator+(std::vector<std::string> options,
                                   const std::vector<std::string>& more) {
  options.insert(options.end(), more.begin(), more.end());
  return options;
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

  // What a -r -q run on part.dat prints up to the writer's report.
  std::string plainRunUpToWriting(const std::string& output) const {
    return std::string(kBanner) + "\nReading input file part.dat\n" +
           statistics(" lines in file", 4, 0, 0, 0, 1, 1) +
           "\nWriting output file " + output + "\n";
  }

  ScopedTempDir dir;
};

TEST_F(EndToEndTest, UsageErrorsPrintUsageAndExitWithOne) {
  const std::vector<std::string> cases[] = {
      {},
      {"part.dat"},
      {"-x", "part.dat", "out.dat"},
      {"-X", "part.dat", "out.dat"},
      {"-R", "part.dat", "out.dat"},
      {"-", "part.dat", "out.dat"},
      {"-s", "part.dat", "out.dat"},
      {"-sx", "part.dat", "out.dat"},
      {"/r", "part.dat", "out.dat"},
      {"-r", "out", "part.dat", "out.dat"},
      {"-l", "", "part.dat", "out.dat"},
  };
  for (const std::vector<std::string>& args : cases) {
    SCOPED_TRACE(join(args, " "));
    RunResult result = run(args);
    EXPECT_EQ(result.exitCode, 1);
    EXPECT_EQ(result.console, std::string(kBanner) + kUsage + kPrompt);
    EXPECT_FALSE(exists("out.dat"));
  }
}

TEST_F(EndToEndTest, OptionsThatActLikeOthers) {
  struct Case {
    std::vector<std::string> options;
    std::vector<std::string> sameAs;
  };
  const Case cases[] = {
      {{"-sf"}, {}},
      {{"-sp"}, {}},
      {{"-spq"}, {}},
      {{"-rq"}, {"-r"}},
  };
  const std::vector<std::string> files = {"part.dat", "out.dat"};
  for (const Case& c : cases) {
    SCOPED_TRACE(join(c.options, " "));
    RunResult expected = run(c.sameAs + files);
    ASSERT_EQ(expected.exitCode, 0);
    const std::string expectedBytes = read("out.dat");
    RunResult actual = run(c.options + files);
    EXPECT_EQ(actual.exitCode, 0);
    EXPECT_EQ(actual.console, expected.console);
    EXPECT_EQ(read("out.dat"), expectedBytes);
  }
}

TEST_F(EndToEndTest, KeyColorSelectsTheExpansionMode) {
  constexpr char kKeyed[] = "\nExpanding key-colored primitives\n";
  constexpr char kRectMode[] = "\nExpanding Rect primitives\n";
  struct Case {
    std::vector<std::string> options;
    const char* message;
  };
  const Case cases[] = {
      {{}, kRectMode},
      {{"-k", "4"}, kKeyed},
      {{"-k", "0"}, kKeyed},
      {{"-k", "-1"}, kRectMode},
      {{"-k", "abc"}, kRectMode},
      {{"-k", "4", "-k", "-1"}, kRectMode},
      {{"-k", "4", "-k", "abc"}, kKeyed},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(join(c.options, " "));
    RunResult result =
        run(c.options + std::vector<std::string>{"part.dat", "out.dat"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_NE(result.console.find(c.message), std::string::npos);
    const char* other = c.message == kKeyed ? kRectMode : kKeyed;
    EXPECT_EQ(result.console.find(other), std::string::npos);
  }
}

TEST_F(EndToEndTest, KeyColorOptionTakesTheInputNameAsItsValue) {
  write("5.dat", kPart);
  RunResult result = run({"-k", "5.dat", "out.dat"});
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
  struct Case {
    std::vector<std::string> args;
    std::string listing;
  };
  const Case cases[] = {
      {{"x.dat", "out.dat"}, local},
      {{"sub/x.dat", "out.dat"}, "sub/, sub/p\\, sub/s\\"},
      {{"sub\\x.dat", "out.dat"}, "sub\\, sub\\p\\, sub\\s\\"},
      {{"-l", "lib", "-l", "C:\\ld", "x.dat", "out.dat"},
       local +
           ", lib\\p\\, lib\\parts\\, lib\\parts\\s\\, lib\\Unofficial\\p\\, "
           "lib\\Unofficial\\parts\\, lib\\Unofficial\\parts\\s\\"
           ", C:\\ld\\p\\, C:\\ld\\parts\\, C:\\ld\\parts\\s\\, "
           "C:\\ld\\Unofficial\\p\\, C:\\ld\\Unofficial\\parts\\, "
           "C:\\ld\\Unofficial\\parts\\s\\"},
      {{"-l", "lib\\", "x.dat", "out.dat"},
       local +
           ", lib\\p\\, lib\\parts\\, lib\\parts\\s\\, lib\\Unofficial\\p\\, "
           "lib\\Unofficial\\parts\\, lib\\Unofficial\\parts\\s\\"},
      {{"-l", "lib/", "x.dat", "out.dat"},
       local + ", lib/p\\, lib/parts\\, lib/parts\\s\\, lib/Unofficial\\p\\, "
               "lib/Unofficial\\parts\\, lib/Unofficial\\parts\\s\\"},
      {{"-l", "x.dat", "out.dat"},
       local + ", x.dat\\p\\, x.dat\\parts\\, x.dat\\parts\\s\\, "
               "x.dat\\Unofficial\\p\\, x.dat\\Unofficial\\parts\\, "
               "x.dat\\Unofficial\\parts\\s\\"},
  };
  constexpr char kTitle[] = "\nLDraw subfiles search locations:\n";
  for (const Case& c : cases) {
    SCOPED_TRACE(join(c.args, " "));
    RunResult result = run(c.args);
    EXPECT_EQ(result.exitCode, 0);
    const std::size_t title = result.console.find(kTitle);
    ASSERT_NE(title, std::string::npos);
    const std::size_t start = title + sizeof(kTitle) - 1;
    EXPECT_EQ(
        result.console.substr(start, result.console.find('\n', start) - start),
        c.listing);
  }
}

TEST_F(EndToEndTest, PlainRunWritesEveryLineNormalised) {
  struct Line {
    std::string input;
    std::string output;
  };
  const Line lines[] = {
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
  for (const Line& line : lines) {
    input += line.input + "\n";
    expected += line.output + "\r\n";
  }
  write("in.dat", input);
  RunResult result = run({"-r", "-q", "in.dat", "out.dat"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(read("out.dat"), expected);
  EXPECT_EQ(result.console,
            std::string(kBanner) + "\nReading input file in.dat\n" +
                statistics(" lines in file", 11, 1, 1, 1, 1, 3) +
                "\nWriting output file out.dat\n" +
                statistics(" lines written in file", 11, 1, 1, 1, 1, 3) +
                kPrompt);
}

TEST_F(EndToEndTest, DefaultRunPrintsEveryStep) {
  RunResult result = run({"part.dat", "out.dat"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.console,
            std::string(kBanner) + "\nReading input file part.dat\n" +
                statistics(" lines in file", 4, 0, 0, 0, 1, 1) +
                "\nLDraw subfiles search locations:\n.\\, .\\p\\, .\\s\\\n" +
                "\nExpanding Rect primitives\n" +
                "\nInlined from subfiles:\n1 Edge lines\n"
                "0 Conditional lines\n0 Triangles\n1 Quads\n\n" +
                "\nSplitting quads\n\n" + "\nWriting output file out.dat\n" +
                statistics(" lines written in file", 8, 1, 0, 4, 0, 0) +
                kPrompt);
}

TEST_F(EndToEndTest, MissingOrFolderInputIsNotFound) {
  fs::create_directory(dir.path() / "folder.dat");
  for (const std::string name : {"missing.dat", "folder.dat"}) {
    SCOPED_TRACE(name);
    RunResult result = run({name, "out.dat"});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.console, std::string(kBanner) + "\nReading input file " +
                                  name + "\n" + name + " not found\n" +
                                  kPrompt);
    EXPECT_FALSE(exists("out.dat"));
  }
}

TEST_F(EndToEndTest, OutputInMissingFolderCannotBeCreated) {
  RunResult result = run({"-r", "-q", "part.dat", "nowhere/out.dat"});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_EQ(result.console, plainRunUpToWriting("nowhere/out.dat") +
                                "nowhere/out.dat Can't create\n" + kPrompt);
  EXPECT_FALSE(exists("nowhere"));
}

TEST_F(EndToEndTest, ReadOnlyOutputFileIsLeftUntouched) {
  write("locked.dat", "old\n");
  fs::permissions(dir.path() / "locked.dat", fs::perms(0444));
  RunResult result = run({"-r", "-q", "part.dat", "locked.dat"});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_EQ(result.console, plainRunUpToWriting("locked.dat") +
                                "locked.dat Can't create\n" + kPrompt);
  EXPECT_EQ(read("locked.dat"), "old\n");
  EXPECT_EQ(fs::status(dir.path() / "locked.dat").permissions(),
            fs::perms(0444));
}

TEST_F(EndToEndTest, OutputInReadOnlyFolderCannotBeCreated) {
  fs::create_directory(dir.path() / "ro");
  fs::permissions(dir.path() / "ro", fs::perms(0555));
  RunResult result = run({"-r", "-q", "part.dat", "ro/out.dat"});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_EQ(result.console, plainRunUpToWriting("ro/out.dat") +
                                "ro/out.dat Can't create\n" + kPrompt);
  EXPECT_TRUE(fs::is_empty(dir.path() / "ro"));
}

TEST_F(EndToEndTest, FullDeviceCannotBeWritten) {
  if (!fs::exists("/dev/full")) GTEST_SKIP() << "no /dev/full on this host";
  RunResult result = run({"-r", "-q", "part.dat", "/dev/full"});
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_EQ(result.console, plainRunUpToWriting("/dev/full") +
                                "/dev/full Can't write\n" + kPrompt);
}

TEST_F(EndToEndTest, InputCanBeItsOwnOutput) {
  write("copy.dat", kPart);
  ASSERT_EQ(run({"copy.dat", "expected.dat"}).exitCode, 0);
  RunResult result = run({"part.dat", "part.dat"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(read("part.dat"), read("expected.dat"));
  EXPECT_NE(read("part.dat"), kPart);
}

}  // namespace
}  // namespace quillery::testing
