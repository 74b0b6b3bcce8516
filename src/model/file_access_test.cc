// Tests of reading and writing files on disk (the letter-case-blind lookup,
// outputs that replace their target only on commit) and of the in-memory
// stand-in that other tests use.
#include "model/file_access.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <string>
#include <system_error>
#include <vector>

#include "memory_file_access.h"
#include "test_util.h"

namespace quillery {
namespace {

namespace fs = std::filesystem;
using testing::readBytes;
using testing::ScopedTempDir;
using testing::writeBytes;

std::vector<std::string> entriesOf(const fs::path& directory) {
  std::vector<std::string> names;
  std::error_code error;
  for (const auto& entry : fs::directory_iterator(directory, error)) {
    names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

unsigned modeOf(const fs::path& path) {
  struct stat status;
  if (::lstat(path.c_str(), &status) != 0) return 0;
  return status.st_mode & 07777;
}

// Runs a test body in another working directory.
class ScopedCurrentDir {
 public:
  explicit ScopedCurrentDir(const fs::path& directory)
      : saved(fs::current_path()) {
    fs::current_path(directory);
  }
  ~ScopedCurrentDir() {
    std::error_code error;
    fs::current_path(saved, error);
  }

 private:
  fs::path saved;
};

// A tree whose names differ only in letter case; each file holds its own
// relative name so that a test can tell which one was read.
const std::vector<std::string> kMixedCaseTree = {
    "P/Rect.DAT", "X/a.dat", "X/A.dat", "X/B.dat",
    "X/b.DAT",    "s/y.dat", "S/x.dat", "X/\xC3\x89.dat"};

struct LookupCase {
  std::string path;
  bool ignoreCase;
  std::string found;  // The file read; empty when nothing may be read.
  bool diskOnly = false;
};

const std::vector<LookupCase> kLookupCases = {
    {"P/Rect.DAT", false, "P/Rect.DAT"},
    {"p/rect.dat", false, ""},
    {"p/rect.dat", true, "P/Rect.DAT"},
    {".\\p\\RECT.dat", true, "P/Rect.DAT"},
    // The exact spelling wins over a smaller one equal ignoring case.
    {"x/a.dat", true, "X/a.dat"},
    {"x/A.dat", true, "X/A.dat"},
    // Without an exact spelling, the smallest in byte order wins.
    {"x/b.dat", true, "X/B.dat"},
    // "s" exists as written, so "S" is never tried.
    {"s/x.dat", true, ""},
    {"S/X.DAT", true, "S/x.dat"},
    // Only ASCII letters fold.
    {"x/\xC3\xA9.dat", true, ""},
    {"x/\xC3\x89.DAT", true, "X/\xC3\x89.dat"},
    {"P", true, ""},
    {"x/../p/rect.dat", true, "P/Rect.DAT", true},
};

TEST(DiskFileAccessTest, ReadsEveryByteThroughBackslashPaths) {
  ScopedTempDir dir;
  const std::string bytes("0 a\r\n1 b\r\n\0\x80\r", 13);
  writeBytes(dir.path() / "sub" / "a.dat", bytes);
  DiskFileAccess files;
  std::string contents, identity;
  ASSERT_TRUE(files.readFile(dir.path().string() + "\\sub\\a.dat", false,
                             contents, identity));
  EXPECT_EQ(contents, bytes);
  EXPECT_EQ(identity, fs::canonical(dir.path() / "sub" / "a.dat").string());
}

TEST(DiskFileAccessTest, DirectoryOrMissingNameIsNotAFile) {
  ScopedTempDir dir;
  fs::create_directory(dir.path() / "d");
  DiskFileAccess files;
  for (const char* name : {"d", "D", "missing.dat"}) {
    for (bool ignoreCase : {false, true}) {
      SCOPED_TRACE(std::string(name) + (ignoreCase ? " ignoring case" : ""));
      std::string contents, identity;
      EXPECT_FALSE(
          files.readFile(dir.file(name), ignoreCase, contents, identity));
    }
  }
}

// Every case runs with an absolute path (the lookup starts at "/") and with
// a relative one (it starts in the working directory).
TEST(DiskFileAccessTest, LooksUpLetterCaseComponentByComponent) {
  ScopedTempDir dir;
  for (const std::string& name : kMixedCaseTree) {
    writeBytes(dir.path() / name, name);
  }
  for (bool relative : {false, true}) {
    ScopedCurrentDir workDir(relative ? dir.path() : fs::current_path());
    DiskFileAccess files;
    for (const LookupCase& test : kLookupCases) {
      SCOPED_TRACE(test.path + (relative ? " relative" : " absolute"));
      const std::string path =
          relative ? test.path : dir.path().string() + "/" + test.path;
      std::string contents, identity;
      const bool read =
          files.readFile(path, test.ignoreCase, contents, identity);
      ASSERT_EQ(read, !test.found.empty());
      if (!read) continue;
      EXPECT_EQ(contents, test.found);
      EXPECT_EQ(identity, fs::canonical(dir.path() / test.found).string());
    }
  }
}

TEST(DiskFileAccessTest, IdentityIsTheSameForEverySpelling) {
  ScopedTempDir dir;
  writeBytes(dir.path() / "sub" / "a.dat", "x");
  fs::create_symlink("sub/a.dat", dir.path() / "link.dat");
  const std::string expected =
      fs::canonical(dir.path() / "sub" / "a.dat").string();
  DiskFileAccess files;
  for (const char* spelling : {"sub/a.dat", "./sub/./a.dat", "sub/../sub/a.dat",
                               "link.dat", "SUB\\A.DAT"}) {
    SCOPED_TRACE(spelling);
    std::string contents, identity;
    ASSERT_TRUE(files.readFile(dir.file(spelling), true, contents, identity));
    EXPECT_EQ(identity, expected);
  }
}

TEST(DiskOutputTest, NewFileAppearsOnlyOnCommit) {
  ScopedTempDir dir;
  const mode_t mask = ::umask(022);
  DiskFileAccess files;
  auto output = files.createOutput(dir.path().string() + "\\new.dat");
  ::umask(mask);
  ASSERT_NE(output, nullptr);
  EXPECT_TRUE(output->write("0 a\r\n"));
  EXPECT_TRUE(output->write(""));
  EXPECT_FALSE(fs::exists(dir.path() / "new.dat"));
  EXPECT_TRUE(output->commit());
  EXPECT_EQ(readBytes(dir.path() / "new.dat"), "0 a\r\n");
  EXPECT_EQ(modeOf(dir.path() / "new.dat"), 0644u);
  EXPECT_EQ(entriesOf(dir.path()), std::vector<std::string>{"new.dat"});
  EXPECT_FALSE(output->write("late"));
}

// Pieces smaller than, equal to and larger than the write buffer, in an
// order that makes the buffer spill at odd offsets.
TEST(DiskOutputTest, KeepsByteOrderAcrossBufferFlushes) {
  ScopedTempDir dir;
  DiskFileAccess files;
  auto output = files.createOutput(dir.file("big.dat"));
  ASSERT_NE(output, nullptr);
  std::string expected;
  const std::size_t sizes[] = {1, 1000003, 70000, 1 << 20, 5, 3000000, 7};
  char fill = 'a';
  for (std::size_t size : sizes) {
    const std::string piece(size, fill++);
    EXPECT_TRUE(output->write(piece));
    expected += piece;
  }
  EXPECT_TRUE(output->commit());
  EXPECT_TRUE(readBytes(dir.path() / "big.dat") == expected);
}

TEST(DiskOutputTest, AbandonedOutputLeavesTargetAlone) {
  ScopedTempDir dir;
  writeBytes(dir.path() / "keep.dat", "old");
  DiskFileAccess files;
  {
    auto output = files.createOutput(dir.file("keep.dat"));
    ASSERT_NE(output, nullptr);
    EXPECT_TRUE(output->write(std::string(3 << 20, 'n')));
    EXPECT_EQ(entriesOf(dir.path()).size(), 2u);  // The temporary file.
  }
  EXPECT_EQ(readBytes(dir.path() / "keep.dat"), "old");
  EXPECT_EQ(entriesOf(dir.path()), std::vector<std::string>{"keep.dat"});
}

TEST(DiskOutputTest, ReplacementKeepsPermissionBits) {
  ScopedTempDir dir;
  writeBytes(dir.path() / "a.dat", "old");
  ASSERT_EQ(::chmod(dir.file("a.dat").c_str(), 0604), 0);
  DiskFileAccess files;
  auto output = files.createOutput(dir.file("a.dat"));
  ASSERT_NE(output, nullptr);
  EXPECT_TRUE(output->write("new"));
  EXPECT_TRUE(output->commit());
  EXPECT_EQ(readBytes(dir.path() / "a.dat"), "new");
  EXPECT_EQ(modeOf(dir.path() / "a.dat"), 0604u);
}

struct RefusedCase {
  const char* name;
  // Prepares the tree and returns the output path to try.
  std::function<std::string(const ScopedTempDir&)> prepare;
};

TEST(DiskOutputTest, RefusesTargetsThatCannotBeWritten) {
  const RefusedCase cases[] = {
      {"empty name", [](const ScopedTempDir&) { return std::string(); }},
      {"read-only file",
       [](const ScopedTempDir& dir) {
         writeBytes(dir.path() / "ro.dat", "old");
         ::chmod(dir.file("ro.dat").c_str(), 0444);
         return dir.file("ro.dat");
       }},
      {"file in read-only directory",
       [](const ScopedTempDir& dir) {
         fs::create_directory(dir.path() / "ro");
         ::chmod(dir.file("ro").c_str(), 0555);
         return dir.file("ro/new.dat");
       }},
      {"existing directory",
       [](const ScopedTempDir& dir) {
         fs::create_directory(dir.path() / "sub");
         return dir.file("sub");
       }},
      {"missing directory",
       [](const ScopedTempDir& dir) { return dir.file("nowhere/new.dat"); }},
      {"name ending in a separator",
       [](const ScopedTempDir& dir) { return dir.file("new\\"); }},
      {"symbolic link loop",
       [](const ScopedTempDir& dir) {
         fs::create_symlink("two.dat", dir.path() / "one.dat");
         fs::create_symlink("one.dat", dir.path() / "two.dat");
         return dir.file("one.dat");
       }},
  };
  for (const RefusedCase& test : cases) {
    SCOPED_TRACE(test.name);
    ScopedTempDir dir;
    const std::string path = test.prepare(dir);
    const std::vector<std::string> before = entriesOf(dir.path());
    DiskFileAccess files;
    EXPECT_EQ(files.createOutput(path), nullptr);
    EXPECT_EQ(entriesOf(dir.path()), before);
    if (fs::exists(dir.path() / "ro.dat")) {
      EXPECT_EQ(readBytes(dir.path() / "ro.dat"), "old");
    }
  }
}

TEST(DiskOutputTest, WritesThroughSymbolicLinks) {
  ScopedTempDir dir;
  writeBytes(dir.path() / "real.dat", "old");
  ::chmod(dir.file("real.dat").c_str(), 0604);
  fs::create_directory(dir.path() / "sub");
  // Relative targets count from the link's own directory.
  fs::create_symlink("../real.dat", dir.path() / "sub" / "link.dat");
  fs::create_symlink("sub/link.dat", dir.path() / "chain.dat");
  fs::create_symlink("made.dat", dir.path() / "dangling.dat");
  DiskFileAccess files;
  for (const char* link : {"chain.dat", "dangling.dat"}) {
    SCOPED_TRACE(link);
    auto output = files.createOutput(dir.file(link));
    ASSERT_NE(output, nullptr);
    EXPECT_TRUE(output->write("new"));
    EXPECT_TRUE(output->commit());
  }
  EXPECT_EQ(readBytes(dir.path() / "real.dat"), "new");
  EXPECT_EQ(modeOf(dir.path() / "real.dat"), 0604u);
  EXPECT_EQ(readBytes(dir.path() / "made.dat"), "new");
  EXPECT_EQ(fs::read_symlink(dir.path() / "sub" / "link.dat"), "../real.dat");
  EXPECT_EQ(fs::read_symlink(dir.path() / "chain.dat"), "sub/link.dat");
  EXPECT_EQ(fs::read_symlink(dir.path() / "dangling.dat"), "made.dat");
  EXPECT_EQ(entriesOf(dir.path()),
            (std::vector<std::string>{"chain.dat", "dangling.dat", "made.dat",
                                      "real.dat", "sub"}));
}

// Devices are written in place: replacing /dev/null by a regular file would
// be a disaster, and a full disk must be reported.
TEST(DiskOutputTest, WritesDevicesInPlaceAndReportsFullDevice) {
  if (!fs::is_character_file("/dev/null") ||
      !fs::is_character_file("/dev/full")) {
    GTEST_SKIP() << "no /dev/null or /dev/full";
  }
  DiskFileAccess files;
  auto sink = files.createOutput("/dev/null");
  ASSERT_NE(sink, nullptr);
  EXPECT_TRUE(sink->write("x"));
  EXPECT_TRUE(sink->commit());
  EXPECT_TRUE(fs::is_character_file(fs::symlink_status("/dev/null")));

  auto full = files.createOutput("/dev/full");
  ASSERT_NE(full, nullptr);
  const bool wrote = full->write("x");
  EXPECT_FALSE(wrote && full->commit());
}

TEST(MemoryFileAccessTest, LooksUpLetterCaseLikeTheDisk) {
  MemoryFileAccess files;
  for (const std::string& name : kMixedCaseTree) files.addFile(name, name);
  for (const LookupCase& test : kLookupCases) {
    if (test.diskOnly) continue;
    SCOPED_TRACE(test.path);
    std::string contents, identity;
    const bool read =
        files.readFile(test.path, test.ignoreCase, contents, identity);
    ASSERT_EQ(read, !test.found.empty());
    if (!read) continue;
    EXPECT_EQ(contents, test.found);
    EXPECT_EQ(identity, test.found);
  }
}

TEST(MemoryFileAccessTest, RecordsOutputsOnlyOnSuccessfulCommit) {
  MemoryFileAccess files;
  auto output = files.createOutput(".\\out\\a.dat");
  ASSERT_NE(output, nullptr);
  EXPECT_TRUE(output->write("ab"));
  EXPECT_TRUE(files.outputs.empty());
  EXPECT_TRUE(output->commit());
  EXPECT_EQ(files.outputs.at("out/a.dat"), "ab");

  files.failWrites = true;
  auto failing = files.createOutput("b.dat");
  ASSERT_NE(failing, nullptr);
  EXPECT_FALSE(failing->write("x"));
  EXPECT_FALSE(failing->commit());
  EXPECT_EQ(files.outputs.count("b.dat"), 0u);

  files.failCreation = true;
  EXPECT_EQ(files.createOutput("c.dat"), nullptr);
}

}  // namespace
}  // namespace quillery
