// The catalogue of bad inputs and failing file systems, run end to end on the
// built tool: every row gives the exact console text, the exit code and the
// bytes of the output file, or that there is none.
#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/resource.h>
#include <unistd.h>
#endif

#include <filesystem>
#include <set>
#include <string>
#include <vector>

#include "test_util.h"

namespace quillery::testing {
namespace {

namespace fs = std::filesystem;

// The counts of a statistics block without a line of any kind.
constexpr char kNothing[] =
    "0 Edge lines\n0 Conditional lines\n0 Triangles\n0 Quads\n0 Subfiles\n";

// A Rect primitive: one edge and one quad in the inherited colour.
constexpr char kRect[] =
    "2 24 1 0 1 -1 0 1\n4 16 -1 0 1 -1 0 -1 1 0 -1 1 0 1\n";
// A certified part with a reference to it in colour 4, and what a default
// run prints of it up to writing `output`, and then after writing.
constexpr char kPart[] =
    "0 BFC CERTIFY CCW\n1 4 0 0 0 1 0 0 0 1 0 0 0 1 rect.dat\n";
std::string upToWriting(const std::string& output) {
  return std::string(kBanner) +
         "\nReading input file part.dat\n2 lines in file\n0 Edge lines\n"
         "0 Conditional lines\n0 Triangles\n0 Quads\n1 Subfiles\n"
         "\nLDraw subfiles search locations:\n.\\, .\\p\\, .\\s\\\n"
         "\nExpanding Rect primitives\n\nInlined from subfiles:\n"
         "1 Edge lines\n0 Conditional lines\n0 Triangles\n1 Quads\n\n"
         "\nSplitting quads\n\n\nWriting output file " +
         output + "\n";
}
constexpr char kPartWritten[] =
    "5 lines written in file\n1 Edge lines\n0 Conditional lines\n"
    "2 Triangles\n0 Quads\n0 Subfiles\n";
constexpr char kPartOutput[] =
    "0 BFC CERTIFY CCW\r\n2 24 1 0 1 -1 0 1\r\n0 BFC NOCLIP\r\n"
    "3 4 -1 0 1 -1 0 -1 1 0 -1\r\n3 4 1 0 -1 1 0 1 -1 0 1\r\n";

// Every entry below `root`, as relative paths with slashes.
std::set<std::string> entriesBelow(const fs::path& root) {
  std::set<std::string> names;
  for (const auto& entry : fs::recursive_directory_iterator(root)) {
    names.insert(fs::relative(entry.path(), root).generic_string());
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

  // Runs part.dat into out.dat and expects the whole run to succeed.
  void expectPartWritten() {
    write("part.dat", kPart);
    RunResult result = runBinary(dir.path(), {"part.dat", "out.dat"});
    EXPECT_EQ(result.exitCode, 0);
    EXPECT_EQ(result.console, upToWriting("out.dat") + kPartWritten + kPrompt);
    EXPECT_EQ(read("out.dat"), kPartOutput);
  }

  ScopedTempDir dir;
};

// A line far longer than any buffer is read and written whole.
TEST_F(BadInputTest, TenMegabyteCommentLineIsKept) {
  const std::string line = "0 " + std::string(10 << 20, 'x');
  write("in.dat", line + "\n");
  RunResult result = runBinary(dir.path(), {"-r", "-q", "in.dat", "out.dat"});
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_EQ(result.console,
            std::string(kBanner) + "\nReading input file in.dat\n1 lines in file\n" +
                kNothing + "\nWriting output file out.dat\n" +
                "1 lines written in file\n" + kNothing + kPrompt);
  // Not EXPECT_EQ, which would print megabytes.
  EXPECT_TRUE(read("out.dat") == line + "\r\n") << "output differs";
}

// Only meaningful for a user whom permissions bind: root reads a file with
// mode 000 all the same, so the first copy would be used.
// On Windows the file is made unreadable by holding it open without
// sharing it.
TEST_F(BadInputTest, UnreadableSubfileIsPassedOver) {
  write("p/rect.dat", "2 24 9 9 9 9 9 9\n");
  write("s/rect.dat", kRect);
#ifdef _WIN32
  HANDLE held = ::CreateFileW((dir.path() / "p/rect.dat").wstring().c_str(),
                              GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                              nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  expectPartWritten();
  ::CloseHandle(held);
#else
  if (geteuid() == 0) GTEST_SKIP() << "root reads files whatever their mode";
  fs::permissions(dir.path() / "p/rect.dat", fs::perms::none);
  expectPartWritten();
#endif
}

// Each row in a folder of its own, since rows take write permissions away.
// The input missing or a folder, and the input as its own output when that
// succeeds, are covered end to end.
TEST(BadInputFileSystemTest, FailuresLeaveEveryFileAsItWas) {
  struct Case {
    std::string output;
    const char* failure;
    const char* locked;  // Made read-only first, when not null.
    bool lockedIsFolder;
  };
  const Case cases[] = {
      {"nowhere/out.dat", " Can't create\n", nullptr, false},
#ifndef _WIN32
      // A read-only folder does not keep files out of it on Windows.
      {"ro/out.dat", " Can't create\n", "ro", true},
#endif
      {"locked.dat", " Can't create\n", "locked.dat", false},
      {"/dev/full", " Can't write\n", nullptr, false},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.output);
    if (c.output == "/dev/full" && !fs::exists(c.output)) continue;
    ScopedTempDir caseDir;
    writeBytes(caseDir.path() / "part.dat", kPart);
    writeBytes(caseDir.path() / "p/rect.dat", kRect);
    std::set<std::string> entries = {"part.dat", "p", "p/rect.dat"};
    if (c.locked != nullptr) {
      const fs::path locked = caseDir.path() / c.locked;
      if (c.lockedIsFolder) fs::create_directory(locked);
      if (!c.lockedIsFolder) writeBytes(locked, "old\n");
      fs::permissions(locked, fs::perms(c.lockedIsFolder ? 0555 : 0444));
      entries.insert(c.locked);
    }
    RunResult result = runBinary(caseDir.path(), {"part.dat", c.output});
    EXPECT_EQ(result.exitCode, 2);
    EXPECT_EQ(result.console,
              upToWriting(c.output) + c.output + c.failure + kPrompt);
    EXPECT_EQ(entriesBelow(caseDir.path()), entries);
    EXPECT_EQ(readBytes(caseDir.path() / "part.dat"), kPart);
    if (entries.count("locked.dat") > 0) {
      EXPECT_EQ(readBytes(caseDir.path() / "locked.dat"), "old\n");
    }
  }
}

// A write that fails half way (here past the file size limit) leaves the
// input, which was also the output, as it was, and no temporary file.
TEST_F(BadInputTest, FailedWriteOverTheInputKeepsTheInput) {
#ifdef _WIN32
  GTEST_SKIP() << "needs a file size limit (setrlimit), which Windows lacks";
#else
  write("part.dat", kPart);
  write("p/rect.dat", kRect);
  RunResult result = runBinaryWithLimit(dir.path(), {"part.dat", "part.dat"},
                                        RLIMIT_FSIZE, 16);
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_EQ(result.console,
            upToWriting("part.dat") + "part.dat Can't write\n" + kPrompt);
  EXPECT_EQ(read("part.dat"), kPart);
  EXPECT_EQ(entriesBelow(dir.path()),
            (std::set<std::string>{"part.dat", "p", "p/rect.dat"}));
#endif
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
#elif defined(_WIN32)
  GTEST_SKIP() << "needs an address space limit (setrlimit), which Windows "
                  "lacks";
#else
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
            std::string(kBanner) +
                "\nReading input file big.dat\n1 lines in file\n0 Edge lines\n"
                "0 Conditional lines\n0 Triangles\n0 Quads\n1 Subfiles\n"
                "\nLDraw subfiles search locations:\n.\\, .\\p\\, .\\s\\\n"
                "\nExpanding key-colored primitives\n"
                "Out of memory: no output file written\n" +
                kPrompt);
  EXPECT_EQ(entriesBelow(dir.path()),
            (std::set<std::string>{"big.dat", "middle.dat", "inner.dat",
                                   "leaf.dat"}));
#endif
}

// A host that refuses a second thread (here: every new thread would need a
// terabyte of stack) still gets a large file read and written, on one.
TEST_F(BadInputTest, RunsOnOneThreadWhenNoOtherCanStart) {
#if defined(QUILLERY_UNDER_ASAN) || defined(_WIN32)
  GTEST_SKIP() << "needs the thread stack size from setrlimit, as glibc "
                  "takes it, without a sanitiser's own threads";
#else
  const std::string line = "4 16 0 0 0 1 0 0 1 0 1 0 0 1";
  std::string input;
  std::string output;
  for (int k = 0; k < 160000; ++k) {
    input += line + "\n";
    output += line + "\r\n";
  }
  write("big.dat", input);
  RunResult result = runBinaryWithLimit(
      dir.path(), {"-r", "-q", "big.dat", "out.dat"}, RLIMIT_STACK, 1ull << 40);
  EXPECT_EQ(result.exitCode, 0) << result.console;
  EXPECT_TRUE(read("out.dat") == output) << "output differs";
#endif
}

#ifdef _WIN32
// A file that another program holds open without sharing it cannot be
// replaced; the tool says so before it writes anything.
TEST_F(BadInputTest, OutputHeldOpenByAnotherProgramIsNotReplaced) {
  write("part.dat", kPart);
  write("p/rect.dat", kRect);
  write("held.dat", "old\n");
  HANDLE held = ::CreateFileW((dir.path() / "held.dat").wstring().c_str(),
                              GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                              nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  RunResult result = runBinary(dir.path(), {"part.dat", "held.dat"});
  ::CloseHandle(held);
  EXPECT_EQ(result.exitCode, 2);
  EXPECT_EQ(result.console,
            upToWriting("held.dat") + "held.dat Can't create\n" + kPrompt);
  EXPECT_EQ(read("held.dat"), "old\n");
  EXPECT_EQ(entriesBelow(dir.path()),
            (std::set<std::string>{"part.dat", "p", "p/rect.dat", "held.dat"}));
}
#endif

}  // namespace
}  // namespace quillery::testing
