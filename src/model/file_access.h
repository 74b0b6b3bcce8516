// FileAccess: everything the system asks of the file system, behind one
// small interface so that tests and the fuzzer can hand in files held in
// memory.
#pragma once

#include <memory>
#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace quillery {

// An output file being written. Nothing replaces the file at its path until
// commit() succeeds; an output destroyed without a successful commit leaves
// the path as it was.
class OutputFile {
 public:
  virtual ~OutputFile() = default;
  // Appends bytes; false once any write has failed.
  [[nodiscard]] virtual bool write(std::string_view bytes) = 0;
  // Flushes every byte and puts the file in place; false when any write,
  // the flush or the final replacement failed.
  [[nodiscard]] virtual bool commit() = 0;
};

// Paths are the system's own texts (a backslash joins directories); an
// implementation maps them to the host when it opens them.
class FileAccess {
 public:
  virtual ~FileAccess() = default;

  // Reads the whole regular file at `path` into `contents`, and its
  // identity (the resolved absolute path) into `identity`. With
  // `ignoreCase`, a path that cannot be opened as written is looked up again
  // matching each component without regard to ASCII letter case. False when
  // no file can be read there (missing, unreadable, a directory).
  [[nodiscard]] virtual bool readFile(const std::string& path, bool ignoreCase,
                                      std::string& contents,
                                      std::string& identity) = 0;

  // Starts writing the output file at `path`; null when it cannot be
  // created (or is an existing file this user may not write).
  virtual std::unique_ptr<OutputFile> createOutput(const std::string& path) = 0;
};

// The host's real file system.
class DiskFileAccess : public FileAccess {
 public:
  bool readFile(const std::string& path, bool ignoreCase,
                std::string& contents, std::string& identity) override;
  std::unique_ptr<OutputFile> createOutput(const std::string& path) override;

 private:
  // Entries of every directory listed by the letter-case-blind lookup,
  // sorted in byte order, by directory text. The file system is taken not to
  // change during one run, so each directory is listed at most once.
  std::unordered_map<std::string, std::vector<std::string>> listings;
};

// The host form of a system path: on POSIX hosts every backslash becomes a
// slash.
std::string hostPath(std::string_view path);

#ifdef _WIN32
// File names are UTF-8 inside the program; Windows takes and gives them as
// UTF-16. Invalid sequences become U+FFFD.
std::wstring wideFromUtf8(std::string_view text);
std::string utf8FromWide(std::wstring_view text);
#endif

}  // namespace quillery
