// Model: the in-memory document, the ordered and owned list of the elements
// of one file, with the reader and the writer.
#pragma once

#include <cstddef>
#include <memory>
#include <ostream>
#include <string>
#include <vector>

#include "elements/deleted_element.h"
#include "elements/element.h"
#include "model/file_access.h"

namespace quillery {

// The elements in file order. Passes append at the end and replace entries
// in place (a removed line becomes a placeholder), so an index stays valid
// while a pass walks the list; entries are never erased. An Element*
// obtained from the list is valid until its slot is replaced.
//
// A pass may remove millions of lines, so a placeholder costs nothing: its
// entry is empty, and at() shows every empty entry as one shared
// DeletedElement, whose operations all leave it as it is.
class Model : public Element {
 public:
  // Applies the operation to every element in list order.
  void swapXY() override;
  void swapYZ() override;
  void reverse() override;

  std::size_t size() const { return elements.size(); }
  Element& at(std::size_t index) const {
    Element* element = elements[index].get();
    return element != nullptr ? *element : placeholder;
  }
  // Takes ownership of `element` and puts it at the end (a DeletedElement
  // as an empty entry).
  void append(std::unique_ptr<Element> element);
  // Destroys the entry at `index` and puts `element` in its place.
  void replace(std::size_t index, std::unique_ptr<Element> element);
  // Replaces the entry at `index` by a placeholder.
  void remove(std::size_t index);

  // Reads the file at `fileName` (a path as the user wrote it) as one list,
  // a byte order mark passed over, and appends one element per line, then
  // prints the reader's statistics on `console`. False, with nothing
  // printed and the list unchanged, when the file cannot be read.
  [[nodiscard]] bool readFile(const std::string& fileName, FileAccess& files,
                              std::ostream& console);
  // Reads the lines of `text` as readFile does, without statistics, and
  // adds what it read to the per-type counts (index = line type, 1..5).
  void readText(std::string_view text, int counts[6]);
  // The reader's statistics block: `lines` elements read, `counts` by type.
  static void printReaderStatistics(std::ostream& console, std::size_t lines,
                                    const int counts[6]);

  // Outcome of writeFile.
  enum class WriteResult { kWritten, kCannotCreate, kCannotWrite };
  // Writes the elements to `fileName` and prints the writer's statistics
  // once the file is in place. `certificationAware` selects the writing
  // mode used after primitive expansion.
  [[nodiscard]] WriteResult writeFile(const std::string& fileName,
                                      bool certificationAware,
                                      FileAccess& files, std::ostream& console);

  // The entries; an empty one is a removed line.
  ElementList elements;
  // Identity (resolved path) of the file read, once readFile succeeded.
  std::string sourceIdentity;

 private:
  // The DeletedElement that every empty entry shows.
  static inline DeletedElement placeholder;
};

}  // namespace quillery
