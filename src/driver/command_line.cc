// Splitting a Windows command line into arguments.
#include "driver/command_line.h"

#include <cstddef>

namespace quillery {

namespace {

constexpr bool isBlank(char c) { return c == ' ' || c == '\t'; }

}  // namespace

std::vector<std::string> splitCommandLine(std::string_view line) {
  std::vector<std::string> args;
  std::size_t pos = 0;
  // The program name: no escapes, quotes only group.
  std::string program;
  bool quoted = false;
  for (; pos < line.size(); ++pos) {
    const char c = line[pos];
    if (c == '"') {
      quoted = !quoted;
    } else if (isBlank(c) && !quoted) {
      break;
    } else {
      program.push_back(c);
    }
  }
  args.push_back(program);

  for (;;) {
    while (pos < line.size() && isBlank(line[pos])) ++pos;
    if (pos >= line.size()) break;
    std::string arg;
    quoted = false;
    while (pos < line.size() && (quoted || !isBlank(line[pos]))) {
      const char c = line[pos];
      if (c == '\\') {
        std::size_t run = 0;
        while (pos < line.size() && line[pos] == '\\') ++run, ++pos;
        if (pos >= line.size() || line[pos] != '"') {
          arg.append(run, '\\');
        } else if (run % 2 == 0) {
          arg.append(run / 2, '\\');  // The quote is handled below.
        } else if (quoted) {
          // The trap: the user ended a quoted path with a backslash.
          arg.append(run, '\\');
          quoted = false;
          ++pos;
        } else {
          arg.append(run / 2, '\\');
          arg.push_back('"');
          ++pos;
        }
        continue;
      }
      if (c == '"') {
        if (quoted && pos + 1 < line.size() && line[pos + 1] == '"') {
          arg.push_back('"');
          ++pos;
        } else {
          quoted = !quoted;
        }
        ++pos;
        continue;
      }
      arg.push_back(c);
      ++pos;
    }
    args.push_back(std::move(arg));
  }
  return args;
}

}  // namespace quillery
