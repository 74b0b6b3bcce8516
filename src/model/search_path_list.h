// SearchPathList: the directories in which subfiles are looked for.
#pragma once

#include <string>
#include <vector>

#include "model/file_access.h"

namespace quillery {

// Directory texts in the order added, each used exactly as given (no
// separator added, no check that it exists, duplicates kept). The first
// directory that holds a file wins.
class SearchPathList {
 public:
  // Appends a copy of `directory`.
  void addDirectory(const std::string& directory);
  // All entries joined by ", "; empty for an empty list.
  std::string listText() const;
  // Reads the subfile `fileName` from the first directory that holds it
  // (directory text + file name, letter case looked up again when the
  // name as written cannot be opened). False when none does.
  [[nodiscard]] bool openSubfile(FileAccess& files, const std::string& fileName,
                                 std::string& contents,
                                 std::string& identity) const;

  std::vector<std::string> directories;
};

}  // namespace quillery
