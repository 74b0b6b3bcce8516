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
#include <vector>

#include "model/file_access.h"

namespace quillery {

// Files are keyed by their normalised path; a directory exists wherever some
// file path runs through it. The letter-case-blind lookup follows the same
// rule as on disk: per component, the exact spelling wins, else the smallest
// spelling (in byte order) equal ignoring ASCII case, and a choice is final.
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
    if (file == files.end() && ignoreCase && matchIgnoringCase(key)) {
      file = files.find(key);
    }
    if (file == files.end()) return false;
    contents = file->second;
    identity = key;
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

  static std::vector<std::string> split(const std::string& path) {
    std::vector<std::string> parts;
    std::size_t start = 0;
    for (;;) {
      const std::size_t slash = path.find('/', start);
      parts.push_back(path.substr(start, slash - start));
      if (slash == std::string::npos) return parts;
      start = slash + 1;
    }
  }

  static bool equalsIgnoringCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) return false;
    for (std::size_t k = 0; k < a.size(); ++k) {
      auto fold = [](char c) {
        return (c >= 'A' && c <= 'Z') ? static_cast<char>(c - 'A' + 'a') : c;
      };
      if (fold(a[k]) != fold(b[k])) return false;
    }
    return true;
  }

  // Replaces `key` by the spelling found component by component; false when
  // some component matches no entry.
  bool matchIgnoringCase(std::string& key) const {
    const std::vector<std::string> wanted = split(key);
    std::vector<std::string> chosen;
    for (const std::string& component : wanted) {
      if (component.empty() || component == "." || component == "..") {
        chosen.push_back(component);
        continue;
      }
      // The entries of the directory `chosen` names: the next component of
      // every file path running through it.
      bool exact = false;
      std::string smallest;
      for (const auto& entry : files) {
        const std::vector<std::string> parts = split(entry.first);
        if (parts.size() <= chosen.size() ||
            !std::equal(chosen.begin(), chosen.end(), parts.begin())) {
          continue;
        }
        const std::string& name = parts[chosen.size()];
        if (name == component) {
          exact = true;
          break;
        }
        if (equalsIgnoringCase(name, component) &&
            (smallest.empty() || name < smallest)) {
          smallest = name;
        }
      }
      if (!exact && smallest.empty()) return false;
      chosen.push_back(exact ? component : smallest);
    }
    key.clear();
    for (std::size_t k = 0; k < chosen.size(); ++k) {
      if (k > 0) key += '/';
      key += chosen[k];
    }
    return true;
  }
};

}  // namespace quillery
