// Tests of reading and writing files on disk (the letter-case-blind lookup,
// outputs that replace their target only on commit); the in-memory stand-in
// that other tests use must look up names as the disk does.
#include "model/file_access.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <algorithm>
#include <filesystem>
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

// The contents read through `files`, or "" when nothing was read.
std::string lookUp(FileAccess& files, const std::string& path, bool ignoreCase,
                   std::string& identity) {
  std::string contents;
  return files.readFile(path, ignoreCase, contents, identity) ? contents : "";
}

// Every case runs on disk with an absolute path (the lookup starts at "/")
// and with a relative one (it starts in the working directory), and in
// memory.
TEST(FileAccessTest, LooksUpLetterCaseComponentByComponent) {
  // The file found, or "" when nothing may be read.
  const std::tuple<std::string, bool, std::string> cases[] = {
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
      // A folder or a missing name is no file.
      {"P", false, ""},
      {"p", true, ""},
      {"missing.dat", true, ""},
  };
  ScopedTempDir dir;
  MemoryFileAccess memory;
  // Each file holds its own relative name, to tell which one was read.
  for (const char* name : {"P/Rect.DAT", "X/a.dat", "X/A.dat", "X/B.dat",
                           "X/b.DAT", "s/y.dat", "S/x.dat", "X/\xC3\x89.dat"}) {
    writeBytes(dir.path() / name, name);
    memory.addFile(name, name);
  }
  for (const auto& [name, ignoreCase, found] : cases) {
    SCOPED_TRACE(name);
    std::string identity;
    EXPECT_EQ(lookUp(memory, name, ignoreCase, identity), found);
    EXPECT_EQ(identity, found);
    for (bool relative : {false, true}) {
      ScopedCurrentDir workDir(relative ? dir.path() : fs::current_path());
      DiskFileAccess disk;
      const std::string path =
          relative ? name : dir.path().string() + "/" + name;
      EXPECT_EQ(lookUp(disk, path, ignoreCase, identity), found);
      if (!found.empty()) {
        EXPECT_EQ(identity, fs::canonical(dir.path() / found).string());
      }
    }
  }
  DiskFileAccess disk;
  std::string identity;
  EXPECT_EQ(lookUp(disk, dir.file("x/../p/rect.dat"), true, identity),
            "P/Rect.DAT");
}

// Every byte is read; the identity is the same for every spelling of the
// path.
TEST(DiskFileAccessTest, ReadsEveryByteUnderOneIdentity) {
  ScopedTempDir dir;
  const std::string bytes("0 a\r\n1 b\r\n\0\x80\r", 13);
  writeBytes(dir.path() / "sub" / "a.dat", bytes);
  fs::create_symlink("sub/a.dat", dir.path() / "link.dat");
  const std::string expected =
      fs::canonical(dir.path() / "sub" / "a.dat").string();
  DiskFileAccess files;
  for (const char* spelling : {"sub/a.dat", "./sub/./a.dat", "sub/../sub/a.dat",
                               "link.dat", "SUB\\A.DAT", "sub\\a.dat"}) {
    SCOPED_TRACE(spelling);
    std::string contents, identity;
    ASSERT_TRUE(files.readFile(dir.file(spelling), true, contents, identity));
    EXPECT_EQ(contents, bytes);
    EXPECT_EQ(identity, expected);
  }
}

// Pieces smaller than, equal to and larger than the write buffer, in an
// order that makes the buffer spill at odd offsets.
TEST(DiskOutputTest, OutputAppearsOnlyOnCommit) {
  ScopedTempDir dir;
  writeBytes(dir.path() / "keep.dat", "old");
  const mode_t mask = ::umask(022);
  DiskFileAccess files;
  auto output = files.createOutput(dir.path().string() + "\\new.dat");
  ::umask(mask);
  ASSERT_NE(output, nullptr);
  std::string expected;
  char fill = 'a';
  for (std::size_t size : {1, 1000003, 70000, 1 << 20, 0, 5, 3000000, 7}) {
    const std::string piece(size, fill++);
    EXPECT_TRUE(output->write(piece));
    expected += piece;
  }
  EXPECT_FALSE(fs::exists(dir.path() / "new.dat"));
  {
    // Abandoned: the target stays, and so does nothing else.
    auto abandoned = files.createOutput(dir.file("keep.dat"));
    ASSERT_NE(abandoned, nullptr);
    EXPECT_TRUE(abandoned->write(std::string(3 << 20, 'n')));
  }
  EXPECT_TRUE(output->commit());
  EXPECT_FALSE(output->write("late"));
  EXPECT_TRUE(readBytes(dir.path() / "new.dat") == expected);
  EXPECT_EQ(modeOf(dir.path() / "new.dat"), 0644u);
  EXPECT_EQ(readBytes(dir.path() / "keep.dat"), "old");
  EXPECT_EQ(entriesOf(dir.path()),
            (std::vector<std::string>{"keep.dat", "new.dat"}));
}

TEST(DiskOutputTest, RefusesTargetsThatCannotBeWritten) {
  ScopedTempDir dir;
  writeBytes(dir.path() / "ro.dat", "old");
  ::chmod(dir.file("ro.dat").c_str(), 0444);
  fs::create_directory(dir.path() / "ro");
  ::chmod(dir.file("ro").c_str(), 0555);
  fs::create_directory(dir.path() / "sub");
  fs::create_symlink("two.dat", dir.path() / "one.dat");
  fs::create_symlink("one.dat", dir.path() / "two.dat");
  const std::vector<std::string> before = entriesOf(dir.path());
  DiskFileAccess files;
  EXPECT_EQ(files.createOutput(""), nullptr);
  // A read-only file or directory, a directory, a missing directory, a name
  // ending in a separator, a loop of symbolic links.
  for (const char* name :
       {"ro.dat", "ro/new.dat", "sub", "nowhere/new.dat", "new\\", "one.dat"}) {
    EXPECT_EQ(files.createOutput(dir.file(name)), nullptr) << name;
  }
  EXPECT_EQ(entriesOf(dir.path()), before);
  EXPECT_TRUE(fs::is_empty(dir.path() / "ro"));
  EXPECT_EQ(readBytes(dir.path() / "ro.dat"), "old");
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
  // The links stay links.
  for (const char* link : {"sub/link.dat", "chain.dat", "dangling.dat"}) {
    EXPECT_TRUE(fs::is_symlink(dir.path() / link)) << link;
  }
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

}  // namespace
}  // namespace quillery
