// The line rules shared by the reader and the primitive expansion: how a
// file's text splits into lines and which element each line becomes.
#pragma once

#include <cstddef>
#include <memory>
#include <string_view>
#include <vector>

#include "elements/element.h"
#include "model/bfc_state.h"

namespace quillery {

// Removes a UTF-8 byte order mark from the start of `text`. True when there
// was one.
bool dropByteOrderMark(std::string_view& text);

// The line type of `line`: its leading integer as "%d" reads it, or -1 when
// the line does not begin with an integer or the integer is not 0..5.
int lineType(std::string_view line);

// The element for a line of type 0..5: a CommentLine of the line's comment
// text, or the line kind's parsing constructor applied to the whole line.
std::unique_ptr<Element> makeElement(int type, std::string_view line);

// Calls onLine(line) for every line of `text`, empty ones included, in file
// order; each line is a view into `text`. A line ends at a line feed; a
// carriage return right before it, or as the last byte of the text, is not
// part of the line.
template <typename OnLine>
void forEachLine(std::string_view text, OnLine&& onLine) {
  if (!text.empty() && text.back() == '\r') text.remove_suffix(1);
  std::size_t start = 0;
  while (start < text.size()) {
    std::size_t end = text.find('\n', start);
    bool endedByLineFeed = end != std::string_view::npos;
    if (!endedByLineFeed) end = text.size();
    std::string_view line = text.substr(start, end - start);
    start = end + 1;
    if (endedByLineFeed && !line.empty() && line.back() == '\r') {
      line.remove_suffix(1);
    }
    onLine(line);
  }
}

// Calls onLine(type, line) for every line of `text` whose type is 0..5, in
// file order. A line ends at a line feed; a carriage return right before
// it, or as the last byte of the text, is not part of the line. Lines of
// any length are taken whole; empty lines and lines of other types are
// passed over.
template <typename OnLine>
void forEachElementLine(std::string_view text, OnLine&& onLine) {
  forEachLine(text, [&onLine](std::string_view line) {
    if (line.empty()) return;
    int type = lineType(line);
    if (type >= 0) onLine(type, line);
  });
}

// Appends to `elements` the element made from every line of `text` that
// forEachElementLine passes on, in file order. A large text is parsed in
// two parts at once; the elements are the same as from one.
void parseElements(std::string_view text, ElementList& elements);

// Marks each of elements[first...], the lines of one file in file order,
// with the back-face culling in force at its line in that file: the
// winding of the switching reading and the culling state. Returns whether
// the file is certified; when it is not, the marks mean nothing and the
// caller clears them.
bool markCulling(const ElementList& elements, std::size_t first);

// Calls onElement(type, element) with the element made from every line of
// `text` that forEachElementLine passes on, in file order, marked as
// markCulling does. Returns whether the file is certified.
template <typename OnElement>
bool forEachElement(std::string_view text, OnElement&& onElement) {
  ElementList elements;
  parseElements(text, elements);
  const bool certified = markCulling(elements, 0);
  for (std::unique_ptr<Element>& element : elements) {
    const int type = element->typeCode();
    onElement(type, std::move(element));
  }
  return certified;
}

}  // namespace quillery
