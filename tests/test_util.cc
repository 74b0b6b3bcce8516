// Test helpers.
#include "test_util.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <array>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

namespace quillery::testing {

namespace fs = std::filesystem;

ScopedTempDir::ScopedTempDir() {
  std::string pattern =
      (fs::temp_directory_path() / "quillery-test-XXXXXX").string();
  std::vector<char> buffer(pattern.begin(), pattern.end());
  buffer.push_back('\0');
  if (mkdtemp(buffer.data()) == nullptr) std::abort();
  root = fs::path(buffer.data());
}

ScopedTempDir::~ScopedTempDir() {
  std::error_code ignored;
  // Tests may leave read-only folders behind; open them up before removal.
  for (auto it = fs::recursive_directory_iterator(root, ignored);
       it != fs::recursive_directory_iterator(); it.increment(ignored)) {
    if (it->is_directory(ignored) && !it->is_symlink(ignored)) {
      fs::permissions(it->path(), fs::perms::owner_all, fs::perm_options::add,
                      ignored);
    }
  }
  fs::permissions(root, fs::perms::owner_all, fs::perm_options::add, ignored);
  fs::remove_all(root, ignored);
}

std::string ScopedTempDir::file(const std::string& relative) const {
  return (root / relative).string();
}

std::string readBytes(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream bytes;
  bytes << in.rdbuf();
  return bytes.str();
}

void writeBytes(const fs::path& path, const std::string& bytes) {
  if (path.has_parent_path()) fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
}

namespace {

// Runs the binary; `limitResource` >= 0 sets that limit in the child first.
RunResult runChild(const fs::path& workDir,
                   const std::vector<std::string>& args, int limitResource,
                   rlim_t limit) {
  RunResult result;
  int pipeFds[2];
  if (pipe(pipeFds) != 0) return result;
  pid_t child = fork();
  if (child == 0) {
    dup2(pipeFds[1], STDOUT_FILENO);
    close(pipeFds[0]);
    close(pipeFds[1]);
    int devNull = open("/dev/null", O_RDONLY);
    dup2(devNull, STDIN_FILENO);
    if (chdir(workDir.c_str()) != 0) _exit(127);
    if (limitResource >= 0) {
      const rlimit bound = {limit, limit};
      if (setrlimit(limitResource, &bound) != 0) _exit(127);
      signal(SIGXFSZ, SIG_IGN);
    }
    std::vector<char*> argv;
    std::string program = QUILLERY_BINARY;
    argv.push_back(program.data());
    std::vector<std::string> copies(args);
    for (std::string& arg : copies) argv.push_back(arg.data());
    argv.push_back(nullptr);
    execv(program.c_str(), argv.data());
    _exit(127);
  }
  close(pipeFds[1]);
  std::array<char, 65536> buffer;
  ssize_t got;
  while ((got = read(pipeFds[0], buffer.data(), buffer.size())) > 0) {
    result.console.append(buffer.data(), static_cast<std::size_t>(got));
  }
  close(pipeFds[0]);
  int status = 0;
  waitpid(child, &status, 0);
  result.exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  return result;
}

}  // namespace

std::vector<std::string> crlfLines(const std::string& bytes) {
  std::vector<std::string> lines;
  std::istringstream in(bytes);
  for (std::string line; std::getline(in, line);) {
    EXPECT_TRUE(line.ends_with('\r')) << "no CR LF after " << line;
    if (line.ends_with('\r')) line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

RunResult runBinary(const fs::path& workDir,
                    const std::vector<std::string>& args) {
  return runChild(workDir, args, -1, 0);
}

RunResult runBinaryWithLimit(const fs::path& workDir,
                             const std::vector<std::string>& args, int resource,
                             unsigned long long limit) {
  return runChild(workDir, args, resource, static_cast<rlim_t>(limit));
}

}  // namespace quillery::testing
