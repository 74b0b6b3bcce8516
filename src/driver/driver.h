// The run sequence: command line, search directories, reader, passes and
// writer in their fixed order, console messages and the exit code.
#pragma once

#include <istream>
#include <ostream>
#include <string>
#include <vector>

#include "model/file_access.h"

namespace quillery {

inline constexpr int kExitOk = 0;
inline constexpr int kExitUsage = 1;
inline constexpr int kExitFileError = 2;

// Runs the tool on `args` (the program name first, then options, the input
// file and the output file), printing on `console` and waiting for one
// character of `input` at the end. Returns the exit code.
int runQuillery(const std::vector<std::string>& args, FileAccess& files,
                std::istream& input, std::ostream& console);

}  // namespace quillery
