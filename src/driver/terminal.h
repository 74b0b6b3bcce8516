// Whether the process's standard input comes from a person at a terminal.
#pragma once

namespace quillery {

// True when standard input is a terminal (a console on Windows); false for
// a file, a pipe, the null device or no input at all.
bool standardInputIsTerminal();

}  // namespace quillery
