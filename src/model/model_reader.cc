// The reader: one element per line, the certification state carried from
// the BFC meta lines to the lines after them, and the reader's statistics.
#include <string>

#include "elements/comment_line.h"
#include "model/line_reader.h"
#include "model/model.h"

namespace quillery {

void Model::readText(std::string_view text, int counts[6]) {
  const std::size_t first = elements.size();
  parseElements(text, elements);
  const bool certified = markCulling(elements, first);
  int state = kWindingNone;
  for (std::size_t index = first; index < elements.size(); ++index) {
    Element& element = *elements[index];
    const int type = element.typeCode();
    if (type == kCommentType) {
      int code = static_cast<const CommentLine&>(element).metaCode();
      state = CommentLine::windingAfter(code, state);
    } else {
      ++counts[type];
    }
    // References are always read as counter-clockwise: an inversion is
    // carried by the INVERTNEXT line before them, not by their winding.
    element.winding = type == kSubfileType ? kWindingCcw : state;
    if (!certified) {
      // A reader applies no culling at all to a file that is not certified.
      element.faceWinding = kWindingNone;
      element.culled = false;
    }
  }
}

bool Model::readFile(const std::string& fileName, FileAccess& files,
                     std::ostream& console) {
  std::string text;
  std::string identity;
  if (!files.readFile(fileName, false, text, identity)) return false;
  sourceIdentity = identity;
  int counts[6] = {0, 0, 0, 0, 0, 0};
  std::string_view content(text);
  (void)dropByteOrderMark(content);
  readText(content, counts);
  // The file's text is no longer needed once every element holds its data.
  std::string().swap(text);
  printReaderStatistics(console, elements.size(), counts);
  return true;
}

void Model::printReaderStatistics(std::ostream& console, std::size_t lines,
                                  const int counts[6]) {
  console << lines << " lines in file" << std::endl;
  console << counts[kEdgeType] << " Edge lines" << std::endl;
  console << counts[kCondLineType] << " Conditional lines" << std::endl;
  console << counts[kTriangleType] << " Triangles" << std::endl;
  console << counts[kQuadType] << " Quads" << std::endl;
  console << counts[kSubfileType] << " Subfiles" << std::endl;
}

}  // namespace quillery
