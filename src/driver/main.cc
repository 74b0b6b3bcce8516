// Entry point of the quillery tool.
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "driver/driver.h"
#include "driver/terminal.h"
#include "model/file_access.h"

#ifdef _WIN32
#include <fcntl.h>
#include <io.h>
#include <windows.h>

#include <cstdio>

#include "driver/command_line.h"

namespace {

// Shows the UTF-8 console text (file names) as such while the tool runs,
// and gives the console back to the shell as it was.
class Utf8Console {
 public:
  Utf8Console() : previous(::GetConsoleOutputCP()) {
    if (previous != 0) ::SetConsoleOutputCP(CP_UTF8);
  }
  ~Utf8Console() {
    if (previous != 0) ::SetConsoleOutputCP(previous);
  }
  Utf8Console(const Utf8Console&) = delete;
  Utf8Console& operator=(const Utf8Console&) = delete;

 private:
  UINT previous;
};

}  // namespace
#endif

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
#ifdef _WIN32
  (void)argc;
  (void)argv;
  // Console lines end in a plain line feed, as on every host.
  _setmode(_fileno(stdout), _O_BINARY);
  Utf8Console console;
  // The arguments as typed, in UTF-16, not through the ANSI code page.
  const std::vector<std::string> args =
      quillery::splitCommandLine(quillery::utf8FromWide(::GetCommandLineW()));
#else
  const std::vector<std::string> args(argv, argv + argc);
#endif
  quillery::DiskFileAccess files;
  // The closing prompt waits only for a person: input from a file, a pipe
  // or nothing is never read, so a script is not held up.
  std::istringstream noInput;
  std::istream& input =
      quillery::standardInputIsTerminal() ? std::cin : noInput;
  const int exitCode =
      quillery::runQuillery(args, files, input, std::cout,
                            quillery::defaultPasses(),
                            quillery::Teardown::kLeaveToExit);
  // Before the console goes back to its own code page.
  std::cout.flush();
  return exitCode;
}
