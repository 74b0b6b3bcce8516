// Tests of the Windows command-line splitting, on raw command lines as
// cmd.exe and PowerShell hand them to the program.
#include "driver/command_line.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quillery {
namespace {

using Args = std::vector<std::string>;

TEST(CommandLineTest, SplitsAsTheRuntimeDoes) {
  const struct {
    const char* line;
    Args args;
  } rows[] = {
      {"quillery a.dat b.dat", {"quillery", "a.dat", "b.dat"}},
      {"\"C:\\Program Files\\q.exe\"  \t-u  a.dat\tb.dat ",
       {"C:\\Program Files\\q.exe", "-u", "a.dat", "b.dat"}},
      {"q -l \"C:\\My LDraw\" \"my part.dat\" out.dat",
       {"q", "-l", "C:\\My LDraw", "my part.dat", "out.dat"}},
      {"q -l C:\\LDraw\\ a b", {"q", "-l", "C:\\LDraw\\", "a", "b"}},
      {"q -l \"C:\\LDraw\\\\\" a b", {"q", "-l", "C:\\LDraw\\", "a", "b"}},
      {"q a\\\\b\\c \"\" x", {"q", "a\\\\b\\c", "", "x"}},
      {"q ab\"c d\"e", {"q", "abc de"}},
      {"q \"a\"\"b\" c", {"q", "a\"b", "c"}},
      {"q \\\"x\\\" y", {"q", "\"x\"", "y"}},
      {"q \"\xc3\xa9t\xc3\xa9 1.dat\" o", {"q", "\xc3\xa9t\xc3\xa9 1.dat", "o"}},
      {"\"C:\\a b\\q.exe\"", {"C:\\a b\\q.exe"}},
      {"", {""}},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(splitCommandLine(row.line), row.args) << row.line;
  }
}

// A backslash before the closing quote ends the path instead of turning the
// quote into part of it and the rest of the line into the same argument.
TEST(CommandLineTest, TrailingBackslashBeforeClosingQuoteEndsThePath) {
  const struct {
    const char* line;
    Args args;
  } rows[] = {
      {"q -l \"C:\\LDraw\\\" a.dat b.dat",
       {"q", "-l", "C:\\LDraw\\", "a.dat", "b.dat"}},
      {"q -l \"C:\\My LDraw\\\" -u \"in put.dat\" out.dat",
       {"q", "-l", "C:\\My LDraw\\", "-u", "in put.dat", "out.dat"}},
      {"q -l \"D:\\lib\\\\\\\" a b", {"q", "-l", "D:\\lib\\\\\\", "a", "b"}},
  };
  for (const auto& row : rows) {
    EXPECT_EQ(splitCommandLine(row.line), row.args) << row.line;
  }
}

}  // namespace
}  // namespace quillery
