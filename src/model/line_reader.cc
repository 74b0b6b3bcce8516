// Line dispatch by leading integer.
#include "model/line_reader.h"

#include "elements/comment_line.h"
#include "elements/cond_line.h"
#include "elements/edge_line.h"
#include "elements/quad.h"
#include "elements/subfile_ref.h"
#include "elements/triangle.h"
#include "geometry/number_text.h"
#include "model/side_by_side.h"

namespace quillery {

bool dropByteOrderMark(std::string_view& text) {
  if (!text.starts_with("\xEF\xBB\xBF")) return false;
  text.remove_prefix(3);
  return true;
}

int lineType(std::string_view line) {
  int type = -1;
  if (!scanInt(line, 0, type)) return -1;
  return type >= kCommentType && type <= kCondLineType ? type : -1;
}

std::unique_ptr<Element> makeElement(int type, std::string_view line) {
  switch (type) {
    case kCommentType:
      return std::make_unique<CommentLine>(
          std::string(CommentLine::commentTextOf(line)));
    case kSubfileType:
      return std::make_unique<SubfileRef>(line);
    case kEdgeType:
      return std::make_unique<EdgeLine>(line);
    case kTriangleType:
      return std::make_unique<Triangle>(line);
    case kQuadType:
      return std::make_unique<Quad>(line);
    case kCondLineType:
      return std::make_unique<CondLine>(line);
    default:
      return nullptr;
  }
}

namespace {

// Below this size a second thread costs more than it saves.
constexpr std::size_t kSmallestSplitText = std::size_t{4} << 20;

void appendElementsOf(std::string_view text, ElementList& elements) {
  forEachElementLine(text, [&elements](int type, std::string_view line) {
    elements.push_back(makeElement(type, line));
  });
}

}  // namespace

void parseElements(std::string_view text, ElementList& elements) {
  const std::size_t middle = text.find('\n', text.size() / 2);
  if (text.size() < kSmallestSplitText || middle == std::string_view::npos) {
    appendElementsOf(text, elements);
    return;
  }
  // The first part ends with a whole line and its line feed, so each part
  // splits into the lines the whole text has there.
  ElementList secondPart;
  runSideBySide(
      [&] { appendElementsOf(text.substr(0, middle + 1), elements); },
      [&] { appendElementsOf(text.substr(middle + 1), secondPart); });
  elements.reserve(elements.size() + secondPart.size());
  for (std::unique_ptr<Element>& element : secondPart) {
    elements.push_back(std::move(element));
  }
}

bool markCulling(const ElementList& elements, std::size_t first) {
  BfcState bfc;
  for (std::size_t index = first; index < elements.size(); ++index) {
    Element& element = *elements[index];
    bfc.take(element, element.typeCode());
    element.faceWinding = bfc.winding(BfcState::kSwitching);
    element.culled = bfc.culling();
  }
  return bfc.certified();
}

}  // namespace quillery
