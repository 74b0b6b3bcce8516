// Tests of reading and writing files on disk: the letter-case-blind lookup,
// outputs that replace their target only on commit.
#include "model/file_access.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <sys/stat.h>
#endif

#include <algorithm>
#include <filesystem>
#include <string>
#include <system_error>
#include <vector>

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

#ifndef _WIN32
unsigned modeOf(const fs::path& path) {
  struct stat status;
  if (::lstat(path.c_str(), &status) != 0) return 0;
  return status.st_mode & 07777;
}
#endif

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


// Every case runs with an absolute path (the lookup starts at "/") and with
// a relative one (it starts in the working directory).
TEST(FileAccessTest, LooksUpLetterCaseComponentByComponent) {
#ifdef _WIN32
  GTEST_SKIP() << "needs a file system that tells letter case apart; "
                  "Windows matches names regardless of it";
#else
  // The file found, or "" when nothing may be read.
  const std::tuple<std::string, bool, std::string> cases[] = {
      {"P/Rect.DAT", false, "P/Rect.DAT"},
      {"p/rect.dat", false, ""},
      {"p/rect.dat", true, "P/Rect.DAT"},
      {".\\p\\RECT.dat", true, "P/Rect.DAT"},
      {"x/../p/rect.dat", true, "P/Rect.DAT"},
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
  // Each file holds its own relative name, to tell which one was read.
  for (const char* name : {"P/Rect.DAT", "X/a.dat", "X/A.dat", "X/B.dat",
                           "X/b.DAT", "s/y.dat", "S/x.dat", "X/\xC3\x89.dat"}) {
    writeBytes(dir.path() / name, name);
  }
  for (const auto& [name, ignoreCase, found] : cases) {
    for (bool relative : {false, true}) {
      SCOPED_TRACE(name + (relative ? " relative" : ""));
      ScopedCurrentDir workDir(relative ? dir.path() : fs::current_path());
      DiskFileAccess disk;
      const std::string path =
          relative ? name : dir.path().string() + "/" + name;
      std::string contents, identity;
      EXPECT_EQ(disk.readFile(path, ignoreCase, contents, identity)
                    ? contents : "", found);
      if (!found.empty()) {
        EXPECT_EQ(identity, fs::canonical(dir.path() / found).string());
      }
    }
  }
#endif
}

// Every byte is read; the identity is the same for every spelling of the
// path.
TEST(DiskFileAccessTest, ReadsEveryByteUnderOneIdentity) {
  ScopedTempDir dir;
  const std::string bytes("0 a\r\n1 b\r\n\0\x80\r", 13);
  writeBytes(dir.path() / "sub" / "a.dat", bytes);
  DiskFileAccess files;
#ifdef _WIN32
  // Links need a privilege on Windows. Letter case is ignored by the file
  // system itself, so the identity must not depend on it.
  std::string expected, firstContents;
  ASSERT_TRUE(files.readFile(dir.file("sub\\a.dat"), false, firstContents,
                             expected));
  const bool ignoreCase = false;
#else
  fs::create_symlink("sub/a.dat", dir.path() / "link.dat");
  const std::string expected =
      fs::canonical(dir.path() / "sub" / "a.dat").string();
  const bool ignoreCase = true;
#endif
  for (const char* spelling : {"sub/a.dat", "./sub/./a.dat", "sub/../sub/a.dat",
#ifndef _WIN32
                               "link.dat",
#endif
                               "SUB\\A.DAT", "sub\\a.dat"}) {
    SCOPED_TRACE(spelling);
    std::string contents, identity;
    ASSERT_TRUE(
        files.readFile(dir.file(spelling), ignoreCase, contents, identity));
    EXPECT_EQ(contents, bytes);
    EXPECT_EQ(identity, expected);
  }
}

// Pieces smaller than, equal to and larger than the write buffer, in an
// order that makes the buffer spill at odd offsets.
TEST(DiskOutputTest, OutputAppearsOnlyOnCommit) {
  ScopedTempDir dir;
  writeBytes(dir.path() / "keep.dat", "old");
#ifndef _WIN32
  const mode_t mask = ::umask(022);
#endif
  DiskFileAccess files;
  auto output = files.createOutput(dir.path().string() + "\\new.dat");
#ifndef _WIN32
  ::umask(mask);
#endif
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
#ifndef _WIN32
  EXPECT_EQ(modeOf(dir.path() / "new.dat"), 0644u);
#endif
  EXPECT_EQ(readBytes(dir.path() / "keep.dat"), "old");
  EXPECT_EQ(entriesOf(dir.path()),
            (std::vector<std::string>{"keep.dat", "new.dat"}));
}

#ifndef _WIN32
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

#else  // _WIN32

// The read-only attribute, a folder, a missing folder, a name ending in a
// separator, a file that another program holds open without sharing it.
TEST(DiskOutputTest, RefusesTargetsThatCannotBeWritten) {
  ScopedTempDir dir;
  writeBytes(dir.path() / "ro.dat", "old");
  fs::permissions(dir.path() / "ro.dat", fs::perms::owner_write,
                  fs::perm_options::remove);
  writeBytes(dir.path() / "held.dat", "old");
  fs::create_directory(dir.path() / "sub");
  HANDLE held = ::CreateFileW((dir.path() / "held.dat").wstring().c_str(),
                              GENERIC_READ, 0, nullptr, OPEN_EXISTING, 0,
                              nullptr);
  ASSERT_NE(held, INVALID_HANDLE_VALUE);
  const std::vector<std::string> before = entriesOf(dir.path());
  DiskFileAccess files;
  EXPECT_EQ(files.createOutput(""), nullptr);
  for (const char* name :
       {"ro.dat", "sub", "nowhere\\new.dat", "new\\", "held.dat"}) {
    EXPECT_EQ(files.createOutput(dir.file(name)), nullptr) << name;
  }
  ::CloseHandle(held);
  EXPECT_EQ(entriesOf(dir.path()), before);
  EXPECT_EQ(readBytes(dir.path() / "ro.dat"), "old");
  EXPECT_EQ(readBytes(dir.path() / "held.dat"), "old");
}

// The new file keeps the attributes of the one it replaces.
TEST(DiskOutputTest, ReplacedFileKeepsItsAttributes) {
  ScopedTempDir dir;
  const std::wstring path = (dir.path() / "hidden.dat").wstring();
  writeBytes(dir.path() / "hidden.dat", "old");
  ASSERT_TRUE(::SetFileAttributesW(
      path.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_ARCHIVE));
  DiskFileAccess files;
  auto output = files.createOutput(dir.file("hidden.dat"));
  ASSERT_NE(output, nullptr);
  EXPECT_TRUE(output->write("new"));
  EXPECT_TRUE(output->commit());
  EXPECT_EQ(readBytes(dir.path() / "hidden.dat"), "new");
  EXPECT_EQ(::GetFileAttributesW(path.c_str()) & FILE_ATTRIBUTE_HIDDEN,
            static_cast<DWORD>(FILE_ATTRIBUTE_HIDDEN));
  EXPECT_EQ(entriesOf(dir.path()), std::vector<std::string>{"hidden.dat"});
}
#endif  // _WIN32

TEST(DiskOutputTest, WritesThroughSymbolicLinks) {
#ifdef _WIN32
  GTEST_SKIP() << "symbolic links need a privilege on Windows";
#else
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
#endif
}

#ifdef _WIN32
// Devices are written in place: "NUL.tmp" renamed over NUL would fail, and
// no temporary file may appear beside the device name.
TEST(DiskOutputTest, WritesDevicesInPlace) {
  ScopedTempDir dir;
  ScopedCurrentDir workDir(dir.path());
  DiskFileAccess files;
  for (const char* device : {"NUL", "nul"}) {
    SCOPED_TRACE(device);
    auto sink = files.createOutput(device);
    ASSERT_NE(sink, nullptr);
    EXPECT_TRUE(sink->write("x"));
    EXPECT_TRUE(sink->commit());
  }
  EXPECT_TRUE(entriesOf(dir.path()).empty());
}

// Paths longer than the classic 260-character limit are read and written
// through the long form of the name.
TEST(DiskOutputTest, ReadsAndWritesPathsBeyondTheClassicLimit) {
  ScopedTempDir dir;
  std::wstring deep = L"\\\\?\\" + fs::absolute(dir.path()).wstring();
  std::string plain = fs::absolute(dir.path()).string();
  while (plain.size() < 300) {
    deep += L"\\" + std::wstring(40, L'd');
    plain += "\\" + std::string(40, 'd');
    ASSERT_TRUE(::CreateDirectoryW(deep.c_str(), nullptr));
  }
  DiskFileAccess files;
  auto output = files.createOutput(plain + "\\out.dat");
  ASSERT_NE(output, nullptr);
  EXPECT_TRUE(output->write("long"));
  EXPECT_TRUE(output->commit());
  std::string contents, identity;
  ASSERT_TRUE(files.readFile(plain + "/out.dat", false, contents, identity));
  EXPECT_EQ(contents, "long");
}
#else
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
#endif

}  // namespace
}  // namespace quillery
