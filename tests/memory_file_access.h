// MemoryFileAccess: a FileAccess over files held in memory, for tests that
// should not touch the disk or that need an output to fail on demand.
#pragma once

#include <algorithm>
#include <cstddef>
#include <map>
#include <memory>
#include <string>
#include <string_view>
#include <utility>

#include "model/file_access.h"

namespace quillery {

// Files are keyed by their normalised path. The letter-case-blind lookup
// takes the exact spelling, else the smallest (in byte order) equal to the
// whole path ignoring ASCII case; the disk's rule, component by component,
// is tested on the disk itself.
class MemoryFileAccess : public FileAccess {
 public:
  // Backslashes as slashes, leading "./" removed: the key and identity of a
  // path.
  static std::string normalizePath(std::string_view path) {
    std::string normal(path);
    for (char& c : normal) {
      if (c == '\\') c = '/';
    }
    std::size_t start = 0;
    while (normal.compare(start, 2, "./") == 0) start += 2;
    return normal.substr(start);
  }

  void addFile(std::string_view path, std::string contents) {
    files[normalizePath(path)] = std::move(contents);
  }

  bool readFile(const std::string& path, bool ignoreCase, std::string& contents,
                std::string& identity) override {
    std::string key = normalizePath(path);
    auto file = files.find(key);
    if (file == files.end() && ignoreCase) {
      file = std::find_if(files.begin(), files.end(), [&key](const auto& f) {
        return equalsIgnoringCase(f.first, key);
      });
    }
    if (file == files.end()) return false;
    contents = file->second;
    identity = file->first;
    return true;
  }

  std::unique_ptr<OutputFile> createOutput(const std::string& path) override {
    if (failCreation || path.empty()) return nullptr;
    return std::make_unique<Output>(*this, normalizePath(path), failWrites);
  }

  // Readable files by normalised path.
  std::map<std::string, std::string> files;
  // The bytes of every committed output by normalised path; an output
  // appears here only once committed.
  std::map<std::string, std::string> outputs;
  // createOutput() returns null while set.
  bool failCreation = false;
  // Outputs created while set fail every write, hence their commit.
  bool failWrites = false;

 private:
  class Output : public OutputFile {
   public:
    Output(MemoryFileAccess& owner, std::string key, bool failWrites)
        : owner(owner), key(std::move(key)), failed(failWrites) {}

    bool write(std::string_view bytes) override {
      if (!failed && !committed) written.append(bytes);
      return !failed && !committed;
    }

    bool commit() override {
      if (failed || committed) return false;
      owner.outputs[key] = written;
      committed = true;
      return true;
    }

   private:
    MemoryFileAccess& owner;
    std::string key;
    std::string written;
    bool failed;
    bool committed = false;
  };

  static bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    auto fold = [](char c) {
      return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
    };
    return a.size() == b.size() &&
           std::equal(a.begin(), a.end(), b.begin(),
                      [&fold](char x, char y) { return fold(x) == fold(y); });
  }
};

}  // namespace quillery
