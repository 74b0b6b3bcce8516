// Entry point of the quillery tool.
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "driver/driver.h"
#include "driver/terminal.h"
#include "model/file_access.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  std::vector<std::string> args(argv, argv + argc);
  quillery::DiskFileAccess files;
  // The closing prompt waits only for a person: input from a file, a pipe
  // or nothing is never read, so a script is not held up.
  std::istringstream noInput;
  std::istream& input =
      quillery::standardInputIsTerminal() ? std::cin : noInput;
  return quillery::runQuillery(args, files, input, std::cout,
                               quillery::defaultPasses(),
                               quillery::Teardown::kLeaveToExit);
}
