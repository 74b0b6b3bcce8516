// Entry point of the quillery tool.
#include <iostream>
#include <string>
#include <vector>

#include "driver/driver.h"
#include "model/file_access.h"

int main(int argc, char** argv) {
  std::ios::sync_with_stdio(false);
  std::vector<std::string> args(argv, argv + argc);
  quillery::DiskFileAccess files;
  return quillery::runQuillery(args, files, std::cin, std::cout,
                               quillery::defaultPasses(),
                               quillery::Teardown::kLeaveToExit);
}
