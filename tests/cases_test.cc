// Runs every whole-program case under tests/cases: each folder holds the
// command line, the files the tool starts from and the exact console output
// and files it must leave behind. Adding a case adds no code.
//
//   args      the arguments after the program name, one per line
//   exit      the expected exit code (0 when the file is absent)
//   stdout    the expected console output, byte for byte
//   in/       copied into an empty work folder, the tool's current folder
//   copy      optional: lines "<path in the source tree> <path in the work
//             folder>", files or folders copied in too (the examples)
//   out/      every file here must exist in the work folder afterwards with
//             exactly these bytes
//   gone      optional: paths, one per line, that must not exist afterwards
//   posix     optional: the case needs file names that differ only in
//             letter case, which Windows cannot hold; the file says why,
//             and the case is not run there
#include <gtest/gtest.h>

#include <algorithm>
#include <exception>
#include <filesystem>
#include <iostream>
#include <sstream>
#include <string>
#include <vector>

#include "test_util.h"

namespace quillery::testing {
namespace {

namespace fs = std::filesystem;

const fs::path kCasesDir = fs::path(QUILLERY_SOURCE_DIR) / "tests" / "cases";

// The lines of `text` without their line ends; a last line without one counts.
std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (line.ends_with('\r')) line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

std::vector<std::string> caseNames() {
  std::vector<std::string> names;
  std::error_code ignored;
  for (const auto& entry : fs::directory_iterator(kCasesDir, ignored)) {
    if (entry.is_directory()) names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

void expectRecordedBytes(const std::string& name) {
  const fs::path folder = kCasesDir / name;
  ScopedTempDir work;
  if (fs::exists(folder / "in")) {
    fs::copy(folder / "in", work.path(), fs::copy_options::recursive);
  }
  if (fs::exists(folder / "copy")) {
    for (const std::string& line : linesOf(readBytes(folder / "copy"))) {
      std::istringstream fields(line);
      std::string from;
      std::string to;
      fields >> from >> to;
      const fs::path target = work.path() / to;
      fs::create_directories(target.parent_path());
      fs::copy(fs::path(QUILLERY_SOURCE_DIR) / from, target,
               fs::copy_options::recursive);
    }
  }
  std::vector<std::string> args = linesOf(readBytes(folder / "args"));
  int exitCode = 0;
  if (fs::exists(folder / "exit")) {
    exitCode = std::stoi(readBytes(folder / "exit"));
  }
  RunResult run = runBinary(work.path(), args);
  EXPECT_EQ(run.exitCode, exitCode);
  EXPECT_EQ(run.console, readBytes(folder / "stdout"));
  if (fs::exists(folder / "out")) {
    for (const auto& entry : fs::recursive_directory_iterator(folder / "out")) {
      if (!entry.is_regular_file()) continue;
      fs::path relative = fs::relative(entry.path(), folder / "out");
      SCOPED_TRACE(relative.string());
      ASSERT_TRUE(fs::exists(work.path() / relative));
      EXPECT_EQ(readBytes(work.path() / relative), readBytes(entry.path()));
    }
  }
  if (fs::exists(folder / "gone")) {
    for (const std::string& path : linesOf(readBytes(folder / "gone"))) {
      EXPECT_FALSE(fs::exists(work.path() / path)) << path;
    }
  }
}

// One test for every case: a test process of its own per case would cost
// more than the case's run of the tool. A failure names its case.
TEST(CaseTest, EveryCaseGivesTheRecordedBytes) {
  for (const std::string& name : caseNames()) {
    SCOPED_TRACE(name);
#ifdef _WIN32
    if (fs::exists(kCasesDir / name / "posix")) {
      std::cout << "case " << name << " not run on Windows: "
                << readBytes(kCasesDir / name / "posix");
      continue;
    }
#endif
    // A case that cannot even be set up fails alone.
    try {
      expectRecordedBytes(name);
    } catch (const std::exception& error) {
      ADD_FAILURE() << error.what();
    }
  }
}

}  // namespace
}  // namespace quillery::testing
