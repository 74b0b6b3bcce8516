// Reading a file as one list or as the sections of a multi-part document,
// finding sections by name, and writing every section back in its place.
#include "model/document.h"

#include <optional>

#include "elements/comment_line.h"
#include "geometry/number_text.h"
#include "model/line_reader.h"
#include "model/model_writer.h"

namespace quillery {

namespace {

bool isBlank(char c) { return c == ' ' || c == '\t'; }

char upperAscii(char c) {
  return c >= 'a' && c <= 'z' ? static_cast<char>(c - 'a' + 'A') : c;
}

// The position after "0", blanks and `keyword` (upper case, matched in any
// letter case) at the start of `line`, or npos.
std::size_t afterKeyword(std::string_view line, std::string_view keyword) {
  if (line.size() < 2 || line[0] != '0' || !isBlank(line[1])) {
    return std::string_view::npos;
  }
  std::size_t pos = 1;
  while (pos < line.size() && isBlank(line[pos])) ++pos;
  if (line.size() - pos < keyword.size()) return std::string_view::npos;
  for (char k : keyword) {
    if (upperAscii(line[pos++]) != k) return std::string_view::npos;
  }
  return pos;
}

// The section name that a "0 FILE <name>" line gives, without trailing
// blanks; nothing for any other line.
std::optional<std::string_view> fileLineName(std::string_view line) {
  std::size_t pos = afterKeyword(line, "FILE");
  if (pos >= line.size() || !isBlank(line[pos])) return std::nullopt;
  while (pos < line.size() && isBlank(line[pos])) ++pos;
  std::string_view name = line.substr(pos);
  while (!name.empty() && isBlank(name.back())) name.remove_suffix(1);
  if (name.empty()) return std::nullopt;
  return name;
}

bool isNoFileLine(std::string_view line) {
  std::size_t pos = afterKeyword(line, "NOFILE");
  if (pos == std::string_view::npos) return false;
  for (; pos < line.size(); ++pos) {
    if (!isBlank(line[pos])) return false;
  }
  return true;
}

// Whether the first line of `content` that holds more than white space is a
// FILE line.
bool isMultiPart(std::string_view content) {
  std::size_t first = 0;
  while (first < content.size() && isSpace(content[first])) ++first;
  if (first == content.size()) return false;
  // Blanks before the "0" make it no FILE line.
  if (first > 0 && content[first - 1] != '\n') return false;
  std::size_t end = content.find('\n', first);
  std::string_view line = content.substr(first, end - first);
  if (!line.empty() && line.back() == '\r') line.remove_suffix(1);
  return fileLineName(line).has_value();
}

// A section name as compared: ASCII upper case, every backslash a slash.
std::string comparableName(std::string_view name) {
  std::string result(name);
  for (char& c : result) c = c == '\\' ? '/' : upperAscii(c);
  return result;
}

}  // namespace

bool Document::readFile(const std::string& fileName, FileAccess& files,
                        std::ostream& console) {
  std::string fileText;
  if (!files.readFile(fileName, false, fileText, sourceIdentity)) return false;
  std::string_view content(fileText);
  byteOrderMark = dropByteOrderMark(content);
  int counts[6] = {0, 0, 0, 0, 0, 0};
  if (isMultiPart(content)) {
    // The sections' texts stay readable for the references that open them.
    text = std::move(fileText);
    content = std::string_view(text).substr(byteOrderMark ? 3 : 0);
    readSections(content, counts);
  } else {
    auto section = std::make_unique<Section>();
    section->model.readText(content, counts);
    sections.push_back(std::move(section));
  }
  std::size_t lines = 0;
  for (const auto& section : sections) {
    lines += (section->fileLine ? 1 : 0) + section->model.size() +
             (section->noFileLine ? 1 : 0) + section->outside.size();
  }
  Model::printReaderStatistics(console, lines, counts);
  return true;
}

void Document::readSections(std::string_view content, int counts[6]) {
  Section* current = nullptr;
  bool inSection = false;
  std::size_t regionStart = 0;
  // Ends the section's text, or the lines outside, where the line at `end`
  // begins.
  auto closeRegion = [&](std::size_t end) {
    std::string_view region = content.substr(regionStart, end - regionStart);
    if (inSection) {
      current->text = region;
    } else if (current != nullptr) {
      current->outside.readText(region, counts);
    }
  };
  forEachLine(content, [&](std::string_view line) {
    std::size_t lineStart = static_cast<std::size_t>(line.data() - content.data());
    std::size_t next = lineStart + line.size();
    if (next < content.size() && content[next] == '\r') ++next;
    if (next < content.size() && content[next] == '\n') ++next;
    if (std::optional<std::string_view> name = fileLineName(line)) {
      closeRegion(lineStart);
      sections.push_back(std::make_unique<Section>());
      current = sections.back().get();
      current->fileLine = makeElement(kCommentType, line);
      current->name = std::string(*name);
      inSection = true;
      regionStart = next;
    } else if (inSection && isNoFileLine(line)) {
      closeRegion(lineStart);
      current->noFileLine = makeElement(kCommentType, line);
      inSection = false;
      regionStart = next;
    }
  });
  closeRegion(content.size());
  for (const auto& section : sections) {
    section->model.readText(section->text, counts);
    // The first of two sections with the same name is the one found.
    sectionsByName.try_emplace(comparableName(section->name), section.get());
  }
}

const Document::Section* Document::findSection(std::string_view fileName) const {
  if (sectionsByName.empty()) return nullptr;
  auto found = sectionsByName.find(comparableName(fileName));
  return found == sectionsByName.end() ? nullptr : found->second;
}

bool Document::openSubfile(const SearchPathList& searchPaths, FileAccess& files,
                           const std::string& fileName, std::string& lines,
                           std::string& identity) const {
  if (const Section* section = findSection(fileName)) {
    lines = std::string(section->text);
    identity = identityOf(*section);
    return true;
  }
  return searchPaths.openSubfile(files, fileName, lines, identity);
}

std::string Document::identityOf(const Section& section) const {
  if (!section.fileLine) return sourceIdentity;
  // A NUL cannot occur in a path, so no file is taken for a section.
  std::string identity = sourceIdentity;
  identity.push_back('\0');
  for (char c : section.name) {
    identity.push_back(c == '\\' ? '/'
                       : c >= 'A' && c <= 'Z'
                           ? static_cast<char>(c - 'A' + 'a')
                           : c);
  }
  return identity;
}

Model::WriteResult Document::writeFile(const std::string& fileName,
                                       bool certificationAware,
                                       FileAccess& files,
                                       std::ostream& console) {
  std::unique_ptr<OutputFile> output = files.createOutput(fileName);
  if (!output) return Model::WriteResult::kCannotCreate;
  ModelWriter writer(*output, certificationAware);
  if (byteOrderMark) writer.writeByteOrderMark();
  for (const auto& section : sections) {
    if (section->fileLine) writer.writeLine(*section->fileLine);
    writer.writeFile(section->model);
    if (section->noFileLine) writer.writeLine(*section->noFileLine);
    writer.writeAsIs(section->outside);
  }
  if (!writer.finish()) return Model::WriteResult::kCannotWrite;
  writer.printStatistics(console);
  return Model::WriteResult::kWritten;
}

}  // namespace quillery
