// DiskFileAccess: reads input files (looking names up again without regard
// to letter case when asked) and writes outputs that replace their target
// only once every byte has been written.
#include "model/file_access.h"

#include <algorithm>
#include <cstddef>
#include <memory>
#include <string>
#include <utility>

#ifndef _WIN32
#include <dirent.h>
#include <fcntl.h>
#include <sys/mman.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <unistd.h>

#include <cerrno>
#include <cstdint>
#include <cstdlib>
#else
#include <windows.h>

#include <cwchar>
#endif

namespace quillery {

namespace {

constexpr std::size_t kOutputBufferSize = std::size_t{1} << 20;
constexpr std::size_t kDirectWriteSize = std::size_t{64} << 10;

// Gathers small writes into large ones. A derived class puts the bytes in
// the file and sets `failed` when that goes wrong; nothing more is written
// after a failure.
class BufferedOutputFile : public OutputFile {
 public:
  BufferedOutputFile() { buffer.reserve(kOutputBufferSize); }

  bool write(std::string_view bytes) override {
    if (failed || !isOpen()) return false;
    // Large pieces go out as they are, after what is buffered.
    const bool direct = bytes.size() >= kDirectWriteSize;
    if (direct || buffer.size() + bytes.size() > kOutputBufferSize) {
      if (!flush()) return false;
      if (direct) return writeFully(bytes.data(), bytes.size());
    }
    buffer.append(bytes);
    return true;
  }

 protected:
  virtual bool isOpen() const = 0;
  // Writes all `size` bytes; false (and `failed` set) when that fails.
  virtual bool writeFully(const char* data, std::size_t size) = 0;

  bool flush() {
    if (!failed && !buffer.empty()) writeFully(buffer.data(), buffer.size());
    buffer.clear();
    return !failed;
  }

  bool failed = false;

 private:
  std::string buffer;
};

}  // namespace

#ifndef _WIN32

std::string hostPath(std::string_view path) {
  std::string host(path);
  std::replace(host.begin(), host.end(), '\\', '/');
  return host;
}

namespace {

constexpr std::size_t kReadChunkSize = std::size_t{1} << 16;
// The same bound the kernel puts on symbolic links followed in one lookup.
constexpr int kMaxLinkHops = 40;

char foldCase(char c) {
  return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
}

// Only ASCII letters are folded: names are byte strings of unknown encoding,
// and folding bytes of a multi-byte character would match unrelated names.
bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (std::size_t k = 0; k < a.size(); ++k) {
    if (foldCase(a[k]) != foldCase(b[k])) return false;
  }
  return true;
}

// Closes a descriptor on every path out of a function.
class ScopedFd {
 public:
  explicit ScopedFd(int fd) : fd(fd) {}
  ~ScopedFd() {
    if (fd >= 0) ::close(fd);
  }
  ScopedFd(const ScopedFd&) = delete;
  ScopedFd& operator=(const ScopedFd&) = delete;
  int get() const { return fd; }

 private:
  int fd;
};

enum class ReadResult { kRead, kNotOpened, kNotAFile };

// Asks for huge pages under the whole 2 MiB pages of a large buffer: a big
// input is otherwise filled at the cost of one page fault per 4 KiB.
void adviseHugePages(char* start, std::size_t size) {
#if defined(MADV_HUGEPAGE)
  constexpr std::uintptr_t kHugePage = std::uintptr_t{2} << 20;
  auto first = (reinterpret_cast<std::uintptr_t>(start) + kHugePage - 1) &
               ~(kHugePage - 1);
  auto last = (reinterpret_cast<std::uintptr_t>(start) + size) & ~(kHugePage - 1);
  if (last > first) {
    (void)::madvise(reinterpret_cast<void*>(first), last - first,
                    MADV_HUGEPAGE);
  }
#else
  (void)start;
  (void)size;
#endif
}

// Reads the file at the host path `host` as raw bytes (carriage returns are
// the caller's business). Outputs are only touched on success.
ReadResult readHostFile(const std::string& host, std::string& contents,
                        std::string& identity) {
  ScopedFd file(::open(host.c_str(), O_RDONLY | O_CLOEXEC));
  if (file.get() < 0) return ReadResult::kNotOpened;
  struct stat status;
  if (::fstat(file.get(), &status) != 0 || S_ISDIR(status.st_mode)) {
    return ReadResult::kNotAFile;
  }
  std::string bytes;
  if (S_ISREG(status.st_mode) && status.st_size > 0) {
    bytes.reserve(static_cast<std::size_t>(status.st_size));
    adviseHugePages(bytes.data(), bytes.capacity());
  }
  std::string chunk(kReadChunkSize, '\0');
  for (;;) {
    const ssize_t count = ::read(file.get(), chunk.data(), chunk.size());
    if (count == 0) break;
    if (count < 0) {
      if (errno == EINTR) continue;
      return ReadResult::kNotAFile;
    }
    bytes.append(chunk.data(), static_cast<std::size_t>(count));
  }
  std::unique_ptr<char, decltype(&std::free)> resolved(
      ::realpath(host.c_str(), nullptr), &std::free);
  identity = resolved ? std::string(resolved.get()) : host;
  contents.swap(bytes);
  return ReadResult::kRead;
}

// The entries of `directory` other than "." and "..", sorted in byte order;
// empty when it cannot be listed.
std::vector<std::string> listDirectory(const std::string& directory) {
  std::vector<std::string> names;
  struct CloseDir {
    void operator()(DIR* dir) const { ::closedir(dir); }
  };
  std::unique_ptr<DIR, CloseDir> dir(::opendir(directory.c_str()));
  if (!dir) return names;
  while (const dirent* entry = ::readdir(dir.get())) {
    const std::string_view name = entry->d_name;
    if (name != "." && name != "..") names.emplace_back(name);
  }
  std::sort(names.begin(), names.end());
  return names;
}

// The entry of the sorted `names` that `component` stands for: the exact
// spelling when present, else the smallest spelling equal ignoring case.
const std::string* pickEntry(const std::vector<std::string>& names,
                             std::string_view component) {
  const auto exact = std::lower_bound(names.begin(), names.end(), component);
  if (exact != names.end() && *exact == component) return &*exact;
  for (const std::string& name : names) {
    if (equalsIgnoringCase(name, component)) return &name;
  }
  return nullptr;
}

// Rebuilds `host` component by component from the entries actually on disk.
// A choice made for one component is final even if the path then leads
// nowhere: trying every spelling could take exponential time.
bool matchIgnoringCase(
    std::unordered_map<std::string, std::vector<std::string>>& listings,
    const std::string& host, std::string& matched) {
  std::string path;
  bool first = true;
  std::size_t start = 0;
  for (;;) {
    const std::size_t end = host.find('/', start);
    const std::string_view component = std::string_view(host).substr(
        start, end == std::string::npos ? std::string::npos : end - start);
    if (component.empty() || component == "." || component == "..") {
      if (!first) path += '/';
      path += component;
    } else {
      // A relative path starts in ".", an absolute one (whose first
      // component is empty) in "/".
      const std::string directory = first ? "." : (path.empty() ? "/" : path);
      auto cached = listings.find(directory);
      if (cached == listings.end()) {
        cached = listings.emplace(directory, listDirectory(directory)).first;
      }
      const std::string* entry = pickEntry(cached->second, component);
      if (entry == nullptr) return false;
      if (!first) path += '/';
      path += *entry;
    }
    if (end == std::string::npos) break;
    start = end + 1;
    first = false;
  }
  matched.swap(path);
  return true;
}

// Output written through a descriptor: either a temporary file renamed over
// the target on commit, or (for devices and FIFOs) the target itself.
class DiskOutputFile : public BufferedOutputFile {
 public:
  DiskOutputFile(int fd, std::string tempPath, std::string targetPath)
      : fd(fd),
        tempPath(std::move(tempPath)),
        targetPath(std::move(targetPath)) {}

  ~DiskOutputFile() override {
    if (fd >= 0) ::close(fd);
    if (!tempPath.empty()) ::unlink(tempPath.c_str());
  }

  DiskOutputFile(const DiskOutputFile&) = delete;
  DiskOutputFile& operator=(const DiskOutputFile&) = delete;

  // Only the first call can succeed.
  bool commit() override {
    if (fd < 0) return false;
    flush();
    if (::close(fd) != 0) failed = true;
    fd = -1;
    if (tempPath.empty()) return !failed;
    if (!failed && ::rename(tempPath.c_str(), targetPath.c_str()) != 0) {
      failed = true;
    }
    if (failed) ::unlink(tempPath.c_str());
    tempPath.clear();
    return !failed;
  }

 private:
  bool isOpen() const override { return fd >= 0; }

  bool writeFully(const char* data, std::size_t size) override {
    while (size > 0) {
      const ssize_t count = ::write(fd, data, size);
      if (count < 0) {
        if (errno == EINTR) continue;
        failed = true;
        return false;
      }
      data += count;
      size -= static_cast<std::size_t>(count);
    }
    return true;
  }

  int fd;
  std::string tempPath;  // Empty when writing in place or once committed.
  std::string targetPath;
};

// Follows the chain of symbolic links at `path`, leaving in `path` the name
// that will really be written and in `exists`/`status` what is there now.
// A dangling link leads to the name it holds. False for a loop.
bool resolveLinks(std::string& path, bool& exists, struct stat& status) {
  for (int hops = 0;; ++hops) {
    if (::lstat(path.c_str(), &status) != 0) {
      exists = false;
      return true;
    }
    if (!S_ISLNK(status.st_mode)) {
      exists = true;
      return true;
    }
    if (hops == kMaxLinkHops) return false;
    std::string target(
        std::max<std::size_t>(static_cast<std::size_t>(status.st_size), 255) +
            1,
        '\0');
    ssize_t length;
    while ((length = ::readlink(path.c_str(), target.data(), target.size())) ==
           static_cast<ssize_t>(target.size())) {
      target.resize(target.size() * 2);
    }
    if (length <= 0) return false;
    target.resize(static_cast<std::size_t>(length));
    // A relative target is relative to the directory holding the link.
    const std::size_t slash = path.rfind('/');
    if (target[0] != '/' && slash != std::string::npos) {
      target.insert(0, path, 0, slash + 1);
    }
    path.swap(target);
  }
}

// Even root may write anywhere; refusing names whose mode has no write bit
// at all keeps the behaviour the same whoever runs the program.
bool writable(const std::string& path, const struct stat& status) {
  return ::access(path.c_str(), W_OK) == 0 && (status.st_mode & 0222) != 0;
}

mode_t currentUmask() {
  const mode_t mask = ::umask(0);
  ::umask(mask);
  return mask;
}

}  // namespace

bool DiskFileAccess::readFile(const std::string& path, bool ignoreCase,
                              std::string& contents, std::string& identity) {
  // The spelling as written nearly always exists, so the directories are
  // only listed once it has failed.
  const std::string host = hostPath(path);
  const ReadResult result = readHostFile(host, contents, identity);
  if (result != ReadResult::kNotOpened || !ignoreCase) {
    return result == ReadResult::kRead;
  }
  std::string matched;
  if (!matchIgnoringCase(listings, host, matched) || matched == host) {
    return false;
  }
  return readHostFile(matched, contents, identity) == ReadResult::kRead;
}

std::unique_ptr<OutputFile> DiskFileAccess::createOutput(
    const std::string& path) {
  if (path.empty()) return nullptr;
  std::string target = hostPath(path);
  bool exists = false;
  struct stat status;
  if (!resolveLinks(target, exists, status)) return nullptr;

  if (exists) {
    if (S_ISDIR(status.st_mode)) return nullptr;
    if (!S_ISREG(status.st_mode)) {
      // A device or FIFO cannot be replaced by renaming; it is written to
      // directly (this is how /dev/stdout or /dev/null work as outputs).
      const int fd = ::open(target.c_str(), O_WRONLY | O_TRUNC | O_CLOEXEC);
      if (fd < 0) return nullptr;
      return std::make_unique<DiskOutputFile>(fd, std::string(), target);
    }
    if (!writable(target, status)) return nullptr;
  }

  const std::size_t slash = target.rfind('/');
  const std::string directory =
      slash == std::string::npos ? "."
                                 : (slash == 0 ? "/" : target.substr(0, slash));
  const std::string baseName =
      slash == std::string::npos ? target : target.substr(slash + 1);
  if (baseName.empty()) return nullptr;
  struct stat directoryStatus;
  if (::stat(directory.c_str(), &directoryStatus) != 0 ||
      !S_ISDIR(directoryStatus.st_mode) ||
      !writable(directory, directoryStatus)) {
    return nullptr;
  }

  // The temporary file lives beside the target so that the final rename
  // stays on one file system and is atomic.
  std::string tempPath = (directory == "/" ? std::string() : directory) + "/." +
                         baseName + ".XXXXXX";
  const int fd = ::mkstemp(tempPath.data());
  if (fd < 0) return nullptr;
  const mode_t mode =
      exists ? (status.st_mode & 07777) : (0666 & ~currentUmask());
  // A file system without permission bits refuses this; the output is still
  // worth having.
  (void)::fchmod(fd, mode);
  return std::make_unique<DiskOutputFile>(fd, std::move(tempPath), target);
}

#else  // _WIN32

// Windows takes backslashes natively.
std::string hostPath(std::string_view path) { return std::string(path); }

std::wstring wideFromUtf8(std::string_view text) {
  if (text.empty()) return std::wstring();
  const int size = static_cast<int>(text.size());
  const int length =
      ::MultiByteToWideChar(CP_UTF8, 0, text.data(), size, nullptr, 0);
  std::wstring wide(static_cast<std::size_t>(length), L'\0');
  ::MultiByteToWideChar(CP_UTF8, 0, text.data(), size, wide.data(), length);
  return wide;
}

std::string utf8FromWide(std::wstring_view text) {
  if (text.empty()) return std::string();
  const int size = static_cast<int>(text.size());
  const int length = ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size,
                                           nullptr, 0, nullptr, nullptr);
  std::string narrow(static_cast<std::size_t>(length), '\0');
  ::WideCharToMultiByte(CP_UTF8, 0, text.data(), size, narrow.data(), length,
                        nullptr, nullptr);
  return narrow;
}

namespace {

constexpr DWORD kReadChunkSize = DWORD{1} << 16;
// Below this length every file function takes a path as it is; above it
// the path is made absolute and given the prefix that lifts the limit.
constexpr std::size_t kShortPathLimit = 240;
constexpr int kTempNameAttempts = 100;
// What the temporary file's name adds to the target's: ".", "." and eight
// hexadecimal digits, ".tmp".
constexpr std::size_t kTempSuffixLength = 14;

// Closes a handle on every path out of a function.
class ScopedHandle {
 public:
  explicit ScopedHandle(HANDLE handle) : handle(handle) {}
  ~ScopedHandle() { close(); }
  ScopedHandle(const ScopedHandle&) = delete;
  ScopedHandle& operator=(const ScopedHandle&) = delete;
  HANDLE get() const { return handle; }
  bool valid() const { return handle != INVALID_HANDLE_VALUE; }
  HANDLE release() { return std::exchange(handle, INVALID_HANDLE_VALUE); }
  bool close() {
    if (!valid()) return true;
    return ::CloseHandle(release()) != 0;
  }

 private:
  HANDLE handle;
};

// The wide form of a system path, absolute with the "\\?\" prefix when it
// is too long for the plain form. Slashes stay as they are in short paths
// (every file function accepts them); the full-path conversion turns them
// into backslashes before the prefix, which would take them literally.
// `reserve` counts characters that will be added to the name (the
// temporary file's suffix).
std::wstring widePath(std::string_view path, std::size_t reserve = 0) {
  std::wstring wide = wideFromUtf8(path);
  if (wide.size() + reserve < kShortPathLimit) return wide;
  const DWORD needed = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
  if (needed == 0) return wide;
  std::wstring full(needed, L'\0');
  const DWORD length =
      ::GetFullPathNameW(wide.c_str(), needed, full.data(), nullptr);
  if (length == 0 || length >= needed) return wide;
  full.resize(length);
  if (full.rfind(L"\\\\?\\", 0) == 0 || full.rfind(L"\\\\.\\", 0) == 0) {
    return full;
  }
  if (full.rfind(L"\\\\", 0) == 0) return L"\\\\?\\UNC\\" + full.substr(2);
  return L"\\\\?\\" + full;
}

// The path of the file behind `handle` after every link and junction, in
// its on-disk spelling; empty when the system cannot say.
std::wstring finalPath(HANDLE handle) {
  std::wstring path(MAX_PATH, L'\0');
  for (;;) {
    const DWORD length = ::GetFinalPathNameByHandleW(
        handle, path.data(), static_cast<DWORD>(path.size()),
        FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    if (length == 0) return std::wstring();
    if (length < path.size()) {
      path.resize(length);
      return path;
    }
    path.resize(length + 1);
  }
}

// Output written through a handle: either a temporary file moved over the
// target on commit, or (for devices such as NUL and CON, and pipes) the
// target itself.
class DiskOutputFile : public BufferedOutputFile {
 public:
  DiskOutputFile(HANDLE handle, std::wstring tempPath, std::wstring targetPath)
      : handle(handle),
        tempPath(std::move(tempPath)),
        targetPath(std::move(targetPath)) {}

  ~DiskOutputFile() override {
    handle.close();
    if (!tempPath.empty()) ::DeleteFileW(tempPath.c_str());
  }

  DiskOutputFile(const DiskOutputFile&) = delete;
  DiskOutputFile& operator=(const DiskOutputFile&) = delete;

  // Only the first call can succeed.
  bool commit() override {
    if (!handle.valid()) return false;
    flush();
    if (!handle.close()) failed = true;
    if (tempPath.empty()) return !failed;
    // The move replaces the target in one step: a reader sees the old file
    // or the new one, never a part of either.
    if (!failed &&
        ::MoveFileExW(tempPath.c_str(), targetPath.c_str(),
                      MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) ==
            0) {
      failed = true;
    }
    if (failed) ::DeleteFileW(tempPath.c_str());
    tempPath.clear();
    return !failed;
  }

 private:
  bool isOpen() const override { return handle.valid(); }

  bool writeFully(const char* data, std::size_t size) override {
    while (size > 0) {
      const DWORD chunk =
          static_cast<DWORD>(std::min<std::size_t>(size, DWORD{1} << 30));
      DWORD written = 0;
      if (::WriteFile(handle.get(), data, chunk, &written, nullptr) == 0 ||
          written == 0) {
        failed = true;
        return false;
      }
      data += written;
      size -= written;
    }
    return true;
  }

  ScopedHandle handle;
  std::wstring tempPath;  // Empty when writing in place or once committed.
  std::wstring targetPath;
};

// The folder part of `path` with its last separator ("" for a bare name,
// "C:" for a name on a drive's current folder).
std::wstring directoryOf(const std::wstring& path) {
  const std::size_t separator = path.find_last_of(L"\\/");
  if (separator != std::wstring::npos) return path.substr(0, separator + 1);
  if (path.size() >= 2 && path[1] == L':') return path.substr(0, 2);
  return std::wstring();
}

// A name for the temporary file in `directory` that no file has yet:
// creating it fails rather than opening an existing file.
HANDLE createUniqueFile(const std::wstring& directory,
                        const std::wstring& baseName, DWORD attributes,
                        std::wstring& created) {
  static unsigned counter = 0;
  const unsigned long long seed =
      ::GetTickCount64() ^
      (static_cast<unsigned long long>(::GetCurrentProcessId()) << 20);
  for (int attempt = 0; attempt < kTempNameAttempts; ++attempt) {
    const unsigned long long tag = seed + (++counter) * 0x9E3779B97F4A7C15ULL;
    wchar_t suffix[24];
    std::swprintf(suffix, 24, L".%08llx.tmp", tag & 0xFFFFFFFFULL);
    std::wstring candidate = directory + L"." + baseName + suffix;
    HANDLE handle = ::CreateFileW(candidate.c_str(), GENERIC_WRITE, 0,
                                  nullptr, CREATE_NEW, attributes, nullptr);
    if (handle != INVALID_HANDLE_VALUE) {
      created.swap(candidate);
      return handle;
    }
    const DWORD error = ::GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
  }
  return INVALID_HANDLE_VALUE;
}

}  // namespace

bool DiskFileAccess::readFile(const std::string& path, bool /*ignoreCase*/,
                              std::string& contents, std::string& identity) {
  // Windows file systems already match names regardless of letter case, so
  // there is nothing to look up again. A folder cannot be opened this way,
  // so it is never read as a file.
  const std::wstring wide = widePath(path);
  ScopedHandle file(::CreateFileW(
      wide.c_str(), GENERIC_READ,
      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_FLAG_SEQUENTIAL_SCAN, nullptr));
  if (!file.valid()) return false;
  std::string bytes;
  LARGE_INTEGER size;
  if (::GetFileType(file.get()) == FILE_TYPE_DISK &&
      ::GetFileSizeEx(file.get(), &size) != 0 && size.QuadPart > 0) {
    bytes.reserve(static_cast<std::size_t>(size.QuadPart));
  }
  std::string chunk(kReadChunkSize, '\0');
  for (;;) {
    DWORD count = 0;
    if (::ReadFile(file.get(), chunk.data(), kReadChunkSize, &count,
                   nullptr) == 0) {
      if (::GetLastError() == ERROR_BROKEN_PIPE) break;
      return false;
    }
    if (count == 0) break;
    bytes.append(chunk.data(), count);
  }
  // The same file reached through another spelling, letter case, link or
  // relative path has the same final path.
  const std::wstring resolved = finalPath(file.get());
  identity = resolved.empty() ? path : utf8FromWide(resolved);
  contents.swap(bytes);
  return true;
}

std::unique_ptr<OutputFile> DiskFileAccess::createOutput(
    const std::string& path) {
  if (path.empty()) return nullptr;
  std::wstring target = widePath(path, kTempSuffixLength);
  // Opening the target for writing, without changing it, tells a device
  // from a file and whether this user may write the file at all.
  ScopedHandle existing(::CreateFileW(
      target.c_str(), GENERIC_WRITE,
      FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
      OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
  DWORD attributes = FILE_ATTRIBUTE_NORMAL;
  if (existing.valid()) {
    if (::GetFileType(existing.get()) != FILE_TYPE_DISK) {
      // NUL, CON, a pipe: written in place, as renaming cannot replace them.
      return std::make_unique<DiskOutputFile>(existing.release(),
                                              std::wstring(), target);
    }
    BY_HANDLE_FILE_INFORMATION information;
    if (::GetFileInformationByHandle(existing.get(), &information) == 0) {
      return nullptr;
    }
    if (information.dwFileAttributes & FILE_ATTRIBUTE_READONLY) return nullptr;
    // The new file takes the attributes of the one it replaces (hidden,
    // archive, not indexed...), the ones a new file can be created with.
    constexpr DWORD kKept = FILE_ATTRIBUTE_ARCHIVE | FILE_ATTRIBUTE_HIDDEN |
                            FILE_ATTRIBUTE_SYSTEM |
                            FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    attributes = information.dwFileAttributes & kKept;
    if (attributes == 0) attributes = FILE_ATTRIBUTE_NORMAL;
    // Through a link the file it names is replaced and the link stays.
    const std::wstring resolved = finalPath(existing.get());
    if (!resolved.empty()) target = resolved;
    existing.close();
  } else {
    const DWORD error = ::GetLastError();
    const DWORD present = ::GetFileAttributesW(target.c_str());
    // A folder, a read-only file, a file this user may not write or one
    // that another program holds locked is never replaced.
    if (present != INVALID_FILE_ATTRIBUTES) return nullptr;
    if (error != ERROR_FILE_NOT_FOUND) return nullptr;
  }

  const std::wstring directory = directoryOf(target);
  const std::wstring baseName = target.substr(directory.size());
  if (baseName.empty()) return nullptr;
  // The temporary file lives beside the target so that the final move stays
  // on one volume and is atomic.
  std::wstring tempPath;
  HANDLE temp = createUniqueFile(directory, baseName, attributes, tempPath);
  if (temp == INVALID_HANDLE_VALUE) return nullptr;
  return std::make_unique<DiskOutputFile>(temp, std::move(tempPath),
                                          std::move(target));
}

#endif  // _WIN32

}  // namespace quillery
