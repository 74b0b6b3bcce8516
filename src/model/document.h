// Document: an input file as the tool processes it, either one list of
// elements or the sections of a multi-part document.
#pragma once

#include <memory>
#include <ostream>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

#include "elements/element.h"
#include "model/file_access.h"
#include "model/model.h"
#include "model/search_path_list.h"

namespace quillery {

// A file is a multi-part document when its first line holding more than
// white space is a "0 FILE <name>" line. Each such line starts a section
// that runs to the next FILE line or to a "0 NOFILE" line; lines after a
// NOFILE line and before the next FILE line belong to no section. Every
// section is processed as a file of its own and written back in its place;
// the FILE and NOFILE lines and the lines outside every section are written
// as they were read. Any other file is a single section without FILE line.
class Document {
 public:
  struct Section {
    // The "0 FILE" line; null for a file that is not a multi-part document.
    std::unique_ptr<Element> fileLine;
    // The section's name as references name it: the FILE line's name
    // without its trailing blanks.
    std::string name;
    // The section's own lines as they stand in the file, after its FILE
    // line; a reference to the section reads them.
    std::string_view text;
    // The section's lines, which the passes process.
    Model model;
    // The "0 NOFILE" line that ended the section, or null.
    std::unique_ptr<Element> noFileLine;
    // The lines after the NOFILE line and before the next section, left as
    // they are.
    Model outside;
  };

  // Reads the file at `fileName` (a path as the user wrote it), then prints
  // the reader's statistics over all its lines on `console`. False, with
  // nothing printed, when the file cannot be read.
  [[nodiscard]] bool readFile(const std::string& fileName, FileAccess& files,
                              std::ostream& console);

  // Opens the subfile that a reference names: the section of this document
  // of that name first, then the search directories. On success fills
  // `text` with the file's lines and `identity` with what tells one file
  // from another (a resolved path, or this file and the section's name).
  [[nodiscard]] bool openSubfile(const SearchPathList& searchPaths,
                                 FileAccess& files, const std::string& fileName,
                                 std::string& text,
                                 std::string& identity) const;
  // The identity of `section` for telling files apart: the input file alone
  // for a file that is not a multi-part document.
  std::string identityOf(const Section& section) const;

  // Writes every section in order, as Model::writeFile writes one list,
  // and prints the writer's statistics over all of them once the output is
  // in place.
  [[nodiscard]] Model::WriteResult writeFile(const std::string& fileName,
                                             bool certificationAware,
                                             FileAccess& files,
                                             std::ostream& console);

  std::vector<std::unique_ptr<Section>> sections;
  // The file began with a UTF-8 byte order mark; the output begins with one.
  bool byteOrderMark = false;

 private:
  // The first section named `fileName` (ASCII letter case ignored, a
  // backslash and a slash taken as the same), or null.
  const Section* findSection(std::string_view fileName) const;
  void readSections(std::string_view content, int counts[6]);

  // The file's text, which the sections' texts view; kept only for a
  // multi-part document.
  std::string text;
  // The first section of each name, by its name as compared.
  std::unordered_map<std::string, const Section*> sectionsByName;
  std::string sourceIdentity;
};

}  // namespace quillery
