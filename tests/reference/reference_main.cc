// The tool with the reference passes, for comparisons in tests and
// benchmarks; not installed.
#include <iostream>
#include <string>
#include <vector>

#include "driver/driver.h"
#include "model/file_access.h"
#include "reference/reference_passes.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  std::vector<std::string> args(argv, argv + argc);
  quillery::DiskFileAccess files;
  return quillery::runQuillery(args, files, std::cin, std::cout,
                               quillery::reference::passes(),
                               quillery::Teardown::kLeaveToExit);
}
