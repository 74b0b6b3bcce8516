// Test helpers.
#include "test_util.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>

#include "model/file_access.h"
#else
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>
#endif

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <random>
#include <sstream>

namespace quillery::testing {

namespace fs = std::filesystem;

// A new folder with a random name: create_directory reports whether it made
// the folder, so two tests (or two test processes) never share one.
ScopedTempDir::ScopedTempDir() {
  static std::mt19937_64 rng(std::random_device{}());
  const fs::path base = fs::temp_directory_path();
  for (int attempt = 0; attempt < 100; ++attempt) {
    char name[32];
    std::snprintf(name, sizeof name, "quillery-test-%012llx",
                  static_cast<unsigned long long>(rng() & 0xFFFFFFFFFFFFULL));
    std::error_code error;
    if (fs::create_directory(base / name, error)) {
      root = base / name;
      return;
    }
  }
  std::abort();
}

ScopedTempDir::~ScopedTempDir() {
  std::error_code ignored;
  // Tests may leave read-only folders (and, where that stops removal,
  // read-only files) behind; open them up before removal.
  for (auto it = fs::recursive_directory_iterator(root, ignored);
       it != fs::recursive_directory_iterator(); it.increment(ignored)) {
#ifdef _WIN32
    if (!it->is_symlink(ignored)) {
#else
    if (it->is_directory(ignored) && !it->is_symlink(ignored)) {
#endif
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

void linkOrCopyFolder(const fs::path& from, const fs::path& to) {
#ifdef _WIN32
  fs::copy(from, to, fs::copy_options::recursive);
#else
  fs::create_directory_symlink(fs::absolute(from), to);
#endif
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

#ifdef _WIN32

namespace {

// The command line that the C runtime splits back into `args`: an argument
// with a blank, a tab or a quote (or an empty one) is quoted, backslashes
// before a quote or before the closing quote are doubled.
std::wstring quoteArgument(const std::string& arg) {
  const std::wstring wide = wideFromUtf8(arg);
  if (!wide.empty() && wide.find_first_of(L" \t\"") == std::wstring::npos) {
    return wide;
  }
  std::wstring quoted = L"\"";
  std::size_t backslashes = 0;
  for (wchar_t c : wide) {
    if (c == L'\\') {
      ++backslashes;
      continue;
    }
    if (c == L'"') {
      quoted.append(backslashes * 2 + 1, L'\\');
    } else {
      quoted.append(backslashes, L'\\');
    }
    backslashes = 0;
    quoted.push_back(c);
  }
  quoted.append(backslashes * 2, L'\\');
  quoted.push_back(L'"');
  return quoted;
}

// Runs the binary with standard input on NUL and standard output on a pipe;
// `arguments` is the command line after the program name, as typed.
RunResult runChildOnce(const fs::path& workDir, const std::wstring& arguments) {
  RunResult result;
  SECURITY_ATTRIBUTES inherit{sizeof(SECURITY_ATTRIBUTES), nullptr, TRUE};
  HANDLE readEnd = nullptr;
  HANDLE writeEnd = nullptr;
  if (!::CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return result;
  ::SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
  HANDLE nul = ::CreateFileW(L"NUL", GENERIC_READ, FILE_SHARE_READ, &inherit,
                             OPEN_EXISTING, 0, nullptr);
  const std::wstring program = wideFromUtf8(QUILLERY_BINARY);
  std::wstring commandLine = quoteArgument(QUILLERY_BINARY) + arguments;
  STARTUPINFOW startup{};
  startup.cb = sizeof startup;
  startup.dwFlags = STARTF_USESTDHANDLES;
  startup.hStdInput = nul;
  startup.hStdOutput = writeEnd;
  startup.hStdError = ::GetStdHandle(STD_ERROR_HANDLE);
  PROCESS_INFORMATION process{};
  const std::wstring directory = workDir.wstring();
  const BOOL started = ::CreateProcessW(
      program.c_str(), commandLine.data(), nullptr, nullptr, TRUE, 0, nullptr,
      directory.c_str(), &startup, &process);
  ::CloseHandle(writeEnd);
  ::CloseHandle(nul);
  if (started) {
    std::array<char, 65536> buffer;
    DWORD got = 0;
    while (::ReadFile(readEnd, buffer.data(), buffer.size(), &got, nullptr) &&
           got > 0) {
      result.console.append(buffer.data(), got);
    }
    ::WaitForSingleObject(process.hProcess, INFINITE);
    DWORD exitCode = 0;
    if (::GetExitCodeProcess(process.hProcess, &exitCode)) {
      result.exitCode = static_cast<int>(exitCode);
    }
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
  }
  ::CloseHandle(readEnd);
  return result;
}

// runChildOnce, tried again when the program could not be started at all:
// under wine the first start of a process now and then fails while the
// wine server is still busy. The tool itself never exits with -1.
RunResult runChild(const fs::path& workDir, const std::wstring& arguments) {
  RunResult result;
  for (int attempt = 0; attempt < 3; ++attempt) {
    result = runChildOnce(workDir, arguments);
    if (result.exitCode != -1 || !result.console.empty()) break;
  }
  return result;
}

#else  // POSIX

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

#endif  // _WIN32

}  // namespace

std::vector<std::vector<std::string>> tableRows(const std::string& file,
                                                std::string_view kind) {
  std::ifstream in(fs::path(QUILLERY_SOURCE_DIR) / "tests" / "data" / file);
  EXPECT_TRUE(in) << file << " not found";
  std::vector<std::vector<std::string>> rows;
  std::string line;
  while (std::getline(in, line)) {
    std::vector<std::string> fields;
    for (std::size_t i = 0; i < line.size();) {
      if (line[i] == ' ') {
        ++i;
      } else if (line[i] != '"') {
        const std::size_t end = std::min(line.find(' ', i), line.size());
        fields.push_back(line.substr(i, end - i));
        i = end;
      } else {
        std::string field;
        for (++i; i < line.size() && line[i] != '"'; ++i) {
          if (line[i] == '\\' && ++i < line.size()) {
            const std::size_t escape = std::string_view("trnvf0").find(line[i]);
            field.push_back(escape == std::string_view::npos
                                ? line[i]
                                : "\t\r\n\v\f\0"[escape]);
          } else {
            field.push_back(line[i]);
          }
        }
        fields.push_back(field);
        ++i;
      }
    }
    if (!fields.empty() && fields[0] == kind) {
      rows.emplace_back(fields.begin() + 1, fields.end());
    }
  }
  EXPECT_FALSE(rows.empty()) << kind;
  return rows;
}

Point pointOf(const std::string& text) {
  Point point;
  EXPECT_TRUE(point.readFrom(text, 0)) << text;
  return point;
}

#ifdef _WIN32

RunResult runBinary(const fs::path& workDir,
                    const std::vector<std::string>& args) {
  std::wstring arguments;
  for (const std::string& arg : args) arguments += L" " + quoteArgument(arg);
  return runChild(workDir, arguments);
}

RunResult runBinaryWithCommandLine(const fs::path& workDir,
                                   const std::string& arguments) {
  return runChild(workDir, L" " + wideFromUtf8(arguments));
}

#else

RunResult runBinary(const fs::path& workDir,
                    const std::vector<std::string>& args) {
  return runChild(workDir, args, -1, 0);
}

RunResult runBinaryWithLimit(const fs::path& workDir,
                             const std::vector<std::string>& args, int resource,
                             unsigned long long limit) {
  return runChild(workDir, args, resource, static_cast<rlim_t>(limit));
}

#endif  // _WIN32

}  // namespace quillery::testing
