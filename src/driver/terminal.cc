// The terminal check of the host.
#include "driver/terminal.h"

#ifdef _WIN32
#define WIN32_LEAN_AND_MEAN
#define NOMINMAX
#include <windows.h>
#else
#include <unistd.h>
#endif

namespace quillery {

bool standardInputIsTerminal() {
#ifdef _WIN32
  // _isatty also says yes for the NUL device; only a console has a mode.
  DWORD mode = 0;
  return GetConsoleMode(GetStdHandle(STD_INPUT_HANDLE), &mode) != 0;
#else
  return isatty(STDIN_FILENO) == 1;
#endif
}

}  // namespace quillery
