// The run sequence: command line, search directories, reader, passes and
// writer in their fixed order, console messages and the exit code.
#pragma once

#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "model/document.h"
#include "model/file_access.h"
#include "model/model.h"
#include "model/search_path_list.h"

namespace quillery {

inline constexpr int kExitOk = 0;
inline constexpr int kExitUsage = 1;
inline constexpr int kExitFileError = 2;

// The two passes whose work grows with the model, as the run sequence calls
// them. The tool uses its indexed and cached passes; tests and benchmarks
// can put the plain reference algorithms in their place.
struct Passes {
  void (*expandPrimitives)(Document& document,
                           const SearchPathList& searchPaths, int keyColor,
                           FileAccess& files, std::ostream& console);
  void (*splitQuads)(Model& model, int keyColor, bool manageCondLines);
};

// The tool's own passes.
Passes defaultPasses();

// What becomes of the model when the run ends. A process that exits right
// after the run may leave the memory of a model of millions of elements to
// the operating system instead of taking it apart element by element.
enum class Teardown { kRelease, kLeaveToExit };

// Runs the tool on `args` (the program name first, then options, the input
// file and the output file), printing on `console` and waiting for one
// character of `input` at the end (a caller with nobody to press a key
// passes an empty stream). Returns the exit code.
int runQuillery(const std::vector<std::string>& args, FileAccess& files,
                std::istream& input, std::ostream& console,
                const Passes& passes = defaultPasses(),
                Teardown teardown = Teardown::kRelease);

}  // namespace quillery
