// Line dispatch by leading integer.
#include "model/line_reader.h"

#include "elements/comment_line.h"
#include "elements/cond_line.h"
#include "elements/edge_line.h"
#include "elements/quad.h"
#include "elements/subfile_ref.h"
#include "elements/triangle.h"
#include "geometry/number_text.h"

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

}  // namespace quillery
