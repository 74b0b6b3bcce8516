// Helpers shared by the tests: temporary folders, whole-file reading and
// writing, and running the tool in-process or as the built binary.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <string_view>
#include <vector>

#include "geometry/point.h"

namespace quillery::testing {

// The tool's banner and closing prompt, as they stand on the console.
inline constexpr char kBanner[] =
    "\nQuillery 1.0 - by Tobrin\n--------------------------\n";
inline constexpr char kPrompt[] = "Press <Enter> to quit\n";

// A fresh folder under the system's temporary directory, removed with
// everything in it when the object goes out of scope.
class ScopedTempDir {
 public:
  ScopedTempDir();
  ~ScopedTempDir();
  ScopedTempDir(const ScopedTempDir&) = delete;
  ScopedTempDir& operator=(const ScopedTempDir&) = delete;

  const std::filesystem::path& path() const { return root; }
  // root / relative, as a string.
  std::string file(const std::string& relative) const;

 private:
  std::filesystem::path root;
};

// Makes the folder `from` appear at `to`: a symbolic link, or on Windows
// (where links need a privilege) a copy.
void linkOrCopyFolder(const std::filesystem::path& from,
                      const std::filesystem::path& to);

// The whole content of a file; empty when it cannot be read.
std::string readBytes(const std::filesystem::path& path);
// Writes `bytes` to `path`, creating its parent folders.
void writeBytes(const std::filesystem::path& path, const std::string& bytes);

// The rows of one kind in the table tests/data/`file`, as the fields after
// the kind (the first field). Fields are separated by blanks; a field in
// double quotes may hold blanks, and its C escapes \t \r \n \v \f \0 are
// decoded. Lines starting with # are comments.
std::vector<std::vector<std::string>> tableRows(const std::string& file,
                                                std::string_view kind);

// Runs `check` on every row of one kind in tests/data/`file`, each of which
// must have `fields` fields; a failure names the row.
template <typename Check>
void forEachRow(const std::string& file, std::string_view kind,
                std::size_t fields, Check&& check) {
  for (const std::vector<std::string>& row : tableRows(file, kind)) {
    SCOPED_TRACE(std::string(kind) + " \"" + row[0] + "\"");
    ASSERT_EQ(row.size(), fields);
    check(row);
  }
}

// The point whose three coordinates `text` starts with.
Point pointOf(const std::string& text);

// What one run of the tool left behind.
struct RunResult {
  int exitCode = -1;
  std::string console;
};

// Runs the built quillery binary in `workDir` with `args` (options, input,
// output), standard input empty.
RunResult runBinary(const std::filesystem::path& workDir,
                    const std::vector<std::string>& args);

#ifdef _WIN32
// Runs the built binary in `workDir` with `arguments` as the rest of its
// command line after the program name, exactly as typed.
RunResult runBinaryWithCommandLine(const std::filesystem::path& workDir,
                                   const std::string& arguments);
#else
// runBinary with one resource limit set in the tool's process, as
// setrlimit(resource, {limit, limit}) does (RLIMIT_AS, RLIMIT_FSIZE, ...).
// SIGXFSZ is ignored there, so a write past RLIMIT_FSIZE fails with an
// error the tool sees instead of killing it.
RunResult runBinaryWithLimit(const std::filesystem::path& workDir,
                             const std::vector<std::string>& args, int resource,
                             unsigned long long limit);
#endif

}  // namespace quillery::testing
