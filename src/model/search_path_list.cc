// Subfile lookup over the search directories, in order.
#include "model/search_path_list.h"

namespace quillery {

void SearchPathList::addDirectory(const std::string& directory) {
  directories.push_back(directory);
}

std::string SearchPathList::listText() const {
  std::string text;
  for (std::size_t k = 0; k < directories.size(); ++k) {
    if (k > 0) text.append(", ");
    text.append(directories[k]);
  }
  return text;
}

bool SearchPathList::openSubfile(FileAccess& files, const std::string& fileName,
                                 std::string& contents,
                                 std::string& identity) const {
  for (const std::string& directory : directories) {
    if (files.readFile(directory + fileName, true, contents, identity)) {
      return true;
    }
  }
  return false;
}

}  // namespace quillery
