// The writer: one CRLF-terminated line per element in list order, the
// back-face-culling clean-up of the certification-aware mode, and the
// writer's statistics, printed once the file is safely in place.
#include <algorithm>
#include <string>

#include "elements/comment_line.h"
#include "elements/cond_line.h"
#include "elements/edge_line.h"
#include "elements/quad.h"
#include "elements/subfile_ref.h"
#include "elements/triangle.h"
#include "model/model.h"

namespace quillery {

namespace {
// Lines are collected and handed to the output in blocks of about this size.
constexpr std::size_t kWriteBlock = 1 << 20;

// Appends the element's line, as toText() gives it, straight into `out`:
// the line kinds are written without a string of their own.
void appendLine(const Element& element, int type, std::string& out) {
  switch (type) {
    case kCommentType:
      return static_cast<const CommentLine&>(element).appendText(out);
    case kSubfileType:
      return static_cast<const SubfileRef&>(element).appendText(out);
    case kEdgeType:
      return static_cast<const EdgeLine&>(element).appendText(out);
    case kTriangleType:
      return static_cast<const Triangle&>(element).appendText(out);
    case kQuadType:
      return static_cast<const Quad&>(element).appendText(out);
    case kCondLineType:
      return static_cast<const CondLine&>(element).appendText(out);
    default:
      out.append(element.toText());
  }
}
}  // namespace

Model::WriteResult Model::writeFile(const std::string& fileName,
                                    bool certificationAware, FileAccess& files,
                                    std::ostream& console) {
  std::unique_ptr<OutputFile> output = files.createOutput(fileName);
  if (!output) return WriteResult::kCannotCreate;

  long long written = 0;
  long long counts[6] = {0, 0, 0, 0, 0, 0};
  // First BFC code met, and the reversal that an orphan INVERTNEXT switches
  // on for every later triangle and quad.
  int firstCode = kMetaNone;
  bool reversing = false;
  bool ok = true;
  std::string block;
  // Small models need no whole block.
  block.reserve(std::min(kWriteBlock, elements.size() * 64) + 4096);

  for (std::size_t index = 0; index < elements.size(); ++index) {
    Element& element = *elements[index];
    int type = element.typeCode();
    if (certificationAware) {
      if (type == kCommentType) {
        int code = static_cast<const CommentLine&>(element).metaCode();
        if (code != kMetaNone) {
          if (firstCode == kMetaNone) {
            firstCode = code;
          } else if (code == kMetaInvertNext) {
            bool referenceFollows =
                index + 1 < elements.size() &&
                elements[index + 1]->typeCode() == kSubfileType;
            if (!referenceFollows) {
              reversing = firstCode != kMetaInvertNext;
              remove(index);
              continue;
            }
          }
        }
      } else if (reversing && (type == kTriangleType || type == kQuadType)) {
        element.reverse();
      }
    } else if (element.inserted) {
      continue;
    }
    std::size_t start = block.size();
    appendLine(element, type, block);
    // An element without text (a placeholder) writes no line at all.
    if (block.size() == start) continue;
    if (type >= kSubfileType && type <= kCondLineType) ++counts[type];
    ++written;
    block.append("\r\n");
    if (block.size() >= kWriteBlock) {
      ok = output->write(block) && ok;
      block.clear();
    }
  }
  if (!block.empty()) ok = output->write(block) && ok;
  // A failed write is never committed: the output path keeps what it held.
  if (!ok || !output->commit()) return WriteResult::kCannotWrite;

  console << written << " lines written in file" << std::endl;
  console << counts[kEdgeType] << " Edge lines" << std::endl;
  console << counts[kCondLineType] << " Conditional lines" << std::endl;
  console << counts[kTriangleType] << " Triangles" << std::endl;
  console << counts[kQuadType] << " Quads" << std::endl;
  console << counts[kSubfileType] << " Subfiles" << std::endl;
  return WriteResult::kWritten;
}

}  // namespace quillery
