// Whole runs of the built tool that need code rather than a folder under
// tests/cases: command lines as a Windows shell passes them.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>

#include "test_util.h"

namespace quillery::testing {
namespace {

#ifdef _WIN32
// Typed in cmd.exe, `-l "lib\"` ends the path at its backslash instead of
// taking the quote into it and the file names after it along.
TEST(EndToEndTest, QuotedPathEndingInABackslashEndsThere) {
  ScopedTempDir dir;
  writeBytes(dir.path() / "part.dat",
             "1 4 0 0 0 1 0 0 0 1 0 0 0 1 rect.dat\n");
  RunResult result =
      runBinaryWithCommandLine(dir.path(), "-l \"lib\\\" part.dat out.dat");
  EXPECT_EQ(result.exitCode, 0);
  EXPECT_NE(result.console.find("Reading input file part.dat\n"),
            std::string::npos);
  EXPECT_NE(result.console.find(".\\, .\\p\\, .\\s\\, lib\\p\\, "
                                "lib\\parts\\, lib\\parts\\s\\, "
                                "lib\\Unofficial\\p\\"),
            std::string::npos)
      << result.console;
  EXPECT_TRUE(std::filesystem::exists(dir.path() / "out.dat"));
}
#endif

}  // namespace
}  // namespace quillery::testing
