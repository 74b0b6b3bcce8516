// Tests of the subfile search directories: their listing and the order in
// which they are tried.
#include "model/search_path_list.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "test_util.h"

namespace quillery {
namespace {

using testing::ScopedTempDir;
using testing::writeBytes;

class SearchPathListTest : public ::testing::Test {
 protected:
  // A directory entry for the folder `relative` under the temporary folder,
  // written the way the driver writes entries (ending in a backslash).
  std::string entry(const std::string& relative) const {
    return dir.path().string() + "/" + relative + "\\";
  }

  // The contents of `fileName` as found through `entries`, or "<not found>".
  std::string find(const std::vector<std::string>& entries,
                   const std::string& fileName) {
    SearchPathList list;
    for (const std::string& directory : entries) list.addDirectory(directory);
    std::string contents;
    std::string identity;
    if (!list.openSubfile(disk, fileName, contents, identity)) {
      return "<not found>";
    }
    return contents;
  }

  ScopedTempDir dir;
  DiskFileAccess disk;
};

TEST_F(SearchPathListTest, FirstDirectoryHoldingTheFileWins) {
  writeBytes(dir.path() / "A" / "x.dat", "from A");
  writeBytes(dir.path() / "B" / "x.dat", "from B");
  writeBytes(dir.path() / "B" / "y.dat", "y from B");
  writeBytes(dir.path() / "lib" / "parts" / "s" / "x.dat", "sub part");
  std::filesystem::create_directories(dir.path() / "C" / "x.dat");
  EXPECT_EQ(find({entry("A"), entry("B")}, "x.dat"), "from A");
  EXPECT_EQ(find({entry("B"), entry("A")}, "x.dat"), "from B");
  EXPECT_EQ(find({entry("A"), entry("B")}, "y.dat"), "y from B");
  EXPECT_EQ(find({entry("A"), entry("B")}, "z.dat"), "<not found>");
  EXPECT_EQ(find({}, "x.dat"), "<not found>");
  EXPECT_EQ(find({entry("lib/p"), entry("lib/parts")}, "s\\x.dat"), "sub part");
  // A directory named like the file is passed over.
  EXPECT_EQ(find({entry("C"), entry("B")}, "x.dat"), "from B");
  // An absolute name is appended to every entry too.
  const std::string absolute = (dir.path() / "A" / "x.dat").string();
  EXPECT_EQ(find({entry("A"), entry("B")}, absolute), "<not found>");
}

TEST_F(SearchPathListTest, EntriesAreKeptAndJoinedToNamesAsWritten) {
  SearchPathList list;
  EXPECT_EQ(list.listText(), "");
  for (const char* entry : {"A\\", "lib", "A\\"}) list.addDirectory(entry);
  EXPECT_EQ(list.listText(), "A\\, lib, A\\");
  // No separator is put between an entry and the name.
  writeBytes(dir.path() / "libs" / "x.dat", "libs");
  EXPECT_EQ(find({dir.path().string() + "/lib"}, "s\\x.dat"), "libs");
}

}  // namespace
}  // namespace quillery
