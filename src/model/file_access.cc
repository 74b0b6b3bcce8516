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
#include <filesystem>
#include <fstream>
#include <iterator>
#include <system_error>
#endif

namespace quillery {

#ifndef _WIN32

std::string hostPath(std::string_view path) {
  std::string host(path);
  std::replace(host.begin(), host.end(), '\\', '/');
  return host;
}

namespace {

constexpr std::size_t kOutputBufferSize = std::size_t{1} << 20;
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
class DiskOutputFile : public OutputFile {
 public:
  DiskOutputFile(int fd, std::string tempPath, std::string targetPath)
      : fd(fd),
        tempPath(std::move(tempPath)),
        targetPath(std::move(targetPath)) {
    buffer.reserve(kOutputBufferSize);
  }

  ~DiskOutputFile() override {
    if (fd >= 0) ::close(fd);
    if (!tempPath.empty()) ::unlink(tempPath.c_str());
  }

  DiskOutputFile(const DiskOutputFile&) = delete;
  DiskOutputFile& operator=(const DiskOutputFile&) = delete;

  bool write(std::string_view bytes) override {
    if (failed || fd < 0) return false;
    if (buffer.size() + bytes.size() > kOutputBufferSize) {
      if (!flush()) return false;
      if (bytes.size() >= kOutputBufferSize) {
        return writeFully(bytes.data(), bytes.size());
      }
    }
    buffer.append(bytes);
    return true;
  }

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
  bool flush() {
    if (!failed && !buffer.empty()) writeFully(buffer.data(), buffer.size());
    buffer.clear();
    return !failed;
  }

  bool writeFully(const char* data, std::size_t size) {
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
  std::string buffer;
  bool failed = false;
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

namespace {

// Writes a temporary file beside the target and moves it over the target on
// commit.
class StreamOutputFile : public OutputFile {
 public:
  StreamOutputFile(std::filesystem::path tempPath,
                   std::filesystem::path targetPath)
      : tempPath(std::move(tempPath)),
        targetPath(std::move(targetPath)),
        stream(this->tempPath, std::ios::binary | std::ios::trunc) {}

  ~StreamOutputFile() override {
    if (committed) return;
    stream.close();
    std::error_code error;
    std::filesystem::remove(tempPath, error);
  }

  bool isOpen() const { return stream.is_open(); }

  bool write(std::string_view bytes) override {
    if (committed) return false;
    stream.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
    return static_cast<bool>(stream);
  }

  bool commit() override {
    if (committed) return false;
    stream.close();
    std::error_code error;
    if (stream.fail()) return false;
    std::filesystem::rename(tempPath, targetPath, error);
    if (error) return false;
    committed = true;
    return true;
  }

 private:
  std::filesystem::path tempPath;
  std::filesystem::path targetPath;
  std::ofstream stream;
  bool committed = false;
};

}  // namespace

bool DiskFileAccess::readFile(const std::string& path, bool /*ignoreCase*/,
                              std::string& contents, std::string& identity) {
  // Windows file systems already match names regardless of letter case, so
  // there is nothing to look up again.
  const std::filesystem::path file(hostPath(path));
  std::error_code error;
  if (std::filesystem::is_directory(file, error)) return false;
  std::ifstream stream(file, std::ios::binary);
  if (!stream) return false;
  std::string bytes((std::istreambuf_iterator<char>(stream)),
                    std::istreambuf_iterator<char>());
  if (stream.bad()) return false;
  const std::filesystem::path canonical =
      std::filesystem::weakly_canonical(file, error);
  identity = error ? file.string() : canonical.string();
  contents.swap(bytes);
  return true;
}

std::unique_ptr<OutputFile> DiskFileAccess::createOutput(
    const std::string& path) {
  if (path.empty()) return nullptr;
  const std::filesystem::path target(hostPath(path));
  std::error_code error;
  const std::filesystem::file_status status =
      std::filesystem::status(target, error);
  if (std::filesystem::is_directory(status)) return nullptr;
  if (std::filesystem::exists(status) &&
      (status.permissions() & std::filesystem::perms::owner_write) ==
          std::filesystem::perms::none) {
    return nullptr;
  }
  std::filesystem::path tempPath = target;
  tempPath += ".tmp";
  auto output = std::make_unique<StreamOutputFile>(tempPath, target);
  if (!output->isOpen()) return nullptr;
  return output;
}

#endif  // _WIN32

}  // namespace quillery
