// The arguments of a Windows command line, split as the C runtime splits
// them, except where its rules turn a trailing backslash into a quote.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace quillery {

// Splits `line` (the whole command line, program name first) into
// arguments. The program name ends at the first blank or tab, or is quoted;
// every other argument follows the C runtime's rules: blanks and tabs
// separate arguments outside quotes, 2n backslashes before a quote give n
// backslashes and the quote opens or closes quoting, 2n+1 give n and a
// literal quote, "" inside quotes gives a quote, other backslashes are
// literal.
//
// One exception: inside quotes, an odd run of backslashes before a quote
// keeps its backslashes as typed and the quote closes the argument. A file
// name never holds a quote, so `-l "C:\LDraw\" a.dat b.dat` means the
// folder C:\LDraw\ and two more arguments, not one argument
// `C:\LDraw" a.dat b.dat` as the runtime would have it.
std::vector<std::string> splitCommandLine(std::string_view line);

}  // namespace quillery
