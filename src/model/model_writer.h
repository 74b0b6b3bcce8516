// ModelWriter: turns element lists into the lines of one output file and
// counts what it wrote.
#pragma once

#include <ostream>
#include <string>

#include "elements/element.h"
#include "model/file_access.h"
#include "model/model.h"

namespace quillery {

// Writes one CR LF terminated line per element to `output`, in the order the
// calls give them, in blocks. A list written as a file gets the
// back-face-culling treatment of the chosen mode; the statistics count every
// line of every call.
class ModelWriter {
 public:
  // `certificationAware` selects the mode used after primitive expansion:
  // the INVERTNEXT clean-up and the inserted lines written; otherwise
  // inserted lines are skipped.
  ModelWriter(OutputFile& output, bool certificationAware);

  // Starts the file with a UTF-8 byte order mark.
  void writeByteOrderMark();
  // Writes one line exactly as the element gives it.
  void writeLine(const Element& element);
  // Writes the elements of `model` as the lines of one file: cleans up
  // INVERTNEXT lines first in the certification-aware mode, and, when the
  // lines make a certified file, adds the winding and culling switches that
  // a reader needs to take every element as it carries.
  void writeFile(Model& model);
  // Writes the elements of `model` as they stand, with no clean-up and no
  // added lines.
  void writeAsIs(const Model& model);

  // Writes what is left and puts the file in place. False when any write or
  // the final replacement failed.
  [[nodiscard]] bool finish();
  // The writer's statistics block.
  void printStatistics(std::ostream& console) const;

 private:
  void append(const Element& element, int type);
  void flushFullBlock();

  OutputFile& output;
  bool certificationAware;
  bool ok = true;
  long long written = 0;
  long long counts[6] = {0, 0, 0, 0, 0, 0};
  std::string block;
};

}  // namespace quillery
