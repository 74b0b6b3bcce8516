// Tests of the subfile search directories: their listing and the order in
// which they are tried.
#include "model/search_path_list.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "test_util.h"

namespace quillery {
namespace {

using testing::ScopedTempDir;
using testing::writeBytes;

// Remembers every path asked for and finds nothing.
class RecordingFileAccess : public FileAccess {
 public:
  bool readFile(const std::string& path, bool /*ignoreCase*/,
                std::string& /*contents*/, std::string& /*identity*/) override {
    paths.push_back(path);
    return false;
  }
  std::unique_ptr<OutputFile> createOutput(const std::string&) override {
    return nullptr;
  }

  std::vector<std::string> paths;
};

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

TEST_F(SearchPathListTest, ListTextJoinsEntriesWithCommaAndBlank) {
  const std::pair<std::vector<std::string>, std::string> cases[] = {
      {{}, ""},
      {{".\\"}, ".\\"},
      {{".\\", ".\\p\\", ".\\s\\"}, ".\\, .\\p\\, .\\s\\"},
      {{"lib/parts", "lib/parts"}, "lib/parts, lib/parts"},
  };
  for (const auto& [entries, text] : cases) {
    SearchPathList list;
    for (const std::string& directory : entries) list.addDirectory(directory);
    EXPECT_EQ(list.listText(), text);
  }
}

TEST_F(SearchPathListTest, FirstDirectoryHoldingTheFileWins) {
  writeBytes(dir.path() / "A" / "x.dat", "from A");
  writeBytes(dir.path() / "B" / "x.dat", "from B");
  writeBytes(dir.path() / "B" / "y.dat", "y from B");
  EXPECT_EQ(find({entry("A"), entry("B")}, "x.dat"), "from A");
  EXPECT_EQ(find({entry("B"), entry("A")}, "x.dat"), "from B");
  EXPECT_EQ(find({entry("A"), entry("B")}, "y.dat"), "y from B");
  EXPECT_EQ(find({entry("A"), entry("B")}, "z.dat"), "<not found>");
  EXPECT_EQ(find({}, "x.dat"), "<not found>");
}

TEST_F(SearchPathListTest, NameWithSubdirectoryIsFoundBelowAnEntry) {
  writeBytes(dir.path() / "lib" / "parts" / "s" / "x.dat", "sub part");
  EXPECT_EQ(find({entry("lib/p"), entry("lib/parts")}, "s\\x.dat"), "sub part");
}

TEST_F(SearchPathListTest, AbsoluteNameIsAppendedToEveryEntry) {
  writeBytes(dir.path() / "A" / "x.dat", "from A");
  const std::string absolute = (dir.path() / "A" / "x.dat").string();
  EXPECT_EQ(find({entry("A"), entry("B")}, absolute), "<not found>");
}

TEST_F(SearchPathListTest, EntriesAreTriedInOrderAsWrittenAndDuplicatesTwice) {
  SearchPathList list;
  list.addDirectory("A\\");
  list.addDirectory("lib");
  list.addDirectory("A\\");
  EXPECT_EQ(list.listText(), "A\\, lib, A\\");
  RecordingFileAccess recording;
  std::string contents;
  std::string identity;
  EXPECT_FALSE(list.openSubfile(recording, "s\\x.dat", contents, identity));
  EXPECT_EQ(recording.paths, (std::vector<std::string>{
                                 "A\\s\\x.dat", "libs\\x.dat", "A\\s\\x.dat"}));
}

TEST_F(SearchPathListTest, DirectoryNamedLikeTheFileIsPassedOver) {
  std::filesystem::create_directories(dir.path() / "A" / "x.dat");
  writeBytes(dir.path() / "B" / "x.dat", "from B");
  EXPECT_EQ(find({entry("A"), entry("B")}, "x.dat"), "from B");
}

}  // namespace
}  // namespace quillery
