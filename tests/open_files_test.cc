// Runs the tool in this process on files on disk and checks that every file
// it opened is closed again, whether the run succeeds or fails to write.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <utility>
#include <vector>

#include "driver/driver.h"
#include "model/file_access.h"
#include "test_util.h"

namespace quillery::testing {
namespace {

namespace fs = std::filesystem;

// The descriptors this process holds, or -1 where the system does not list
// them.
int openDescriptors() {
  std::error_code error;
  int count = 0;
  for (fs::directory_iterator it("/proc/self/fd", error), end;
       !error && it != end; it.increment(error)) {
    ++count;
  }
  return error ? -1 : count;
}

TEST(OpenFilesTest, EveryRunClosesWhatItOpened) {
#ifdef _WIN32
  GTEST_SKIP() << "the process's descriptors are listed on POSIX hosts only";
#endif
  if (openDescriptors() < 0) GTEST_SKIP() << "no /proc/self/fd";
  ScopedTempDir dir;
  writeBytes(dir.path() / "part.dat",
             "1 4 0 0 0 1 0 0 0 1 0 0 0 1 rect.dat\n"
             "1 4 0 0 0 1 0 0 0 1 0 0 0 1 RECT2.dat\n");
  writeBytes(dir.path() / "p/rect.dat", "4 16 1 0 1 1 0 -1 -1 0 -1 -1 0 1\n");
  // Found only by listing the folder, with another letter case.
  writeBytes(dir.path() / "S/Rect2.DAT", "2 24 0 0 0 1 0 0\n");
  // Beyond the output buffer: a full device fails while the lines are
  // still being written, not only when the file is closed.
  writeBytes(dir.path() / "big.dat", "0 " + std::string(3 << 20, 'x') + "\n" +
                                         readBytes(dir.path() / "part.dat"));
  const std::string part = (dir.path() / "part.dat").string();
  const std::string big = (dir.path() / "big.dat").string();
  // Written, refused, and failing on a full device.
  std::vector<std::pair<std::string, std::string>> runs = {
      {part, (dir.path() / "out.dat").string()},
      {part, (dir.path() / "no/out.dat").string()}};
  if (fs::exists("/dev/full")) {
    runs.insert(runs.end(), {{part, "/dev/full"}, {big, "/dev/full"}});
  }
  for (const auto& [input, output] : runs) {
    SCOPED_TRACE(input + " " + output);
    const int before = openDescriptors();
    DiskFileAccess files;
    std::istringstream noInput;
    std::ostringstream console;
    runQuillery({"quillery", "-k", "4", input, output}, files, noInput,
                console);
    EXPECT_NE(console.str().find("subfiles:\n1 Edge lines\n"),
              std::string::npos);
    EXPECT_EQ(openDescriptors(), before);
  }
}

}  // namespace
}  // namespace quillery::testing
