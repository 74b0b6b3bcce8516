// The writer: one CRLF-terminated line per element in list order, the
// back-face-culling clean-up of the certification-aware mode, and the
// writer's statistics, printed once the file is safely in place.
#include <string>

#include "elements/comment_line.h"
#include "model/model.h"

namespace quillery {

namespace {
// Lines are collected and handed to the output in blocks of about this size.
constexpr std::size_t kWriteBlock = 1 << 20;
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
  block.reserve(kWriteBlock + 4096);

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
            bool referenceFollows = index + 1 < elements.size() &&
                                    elements[index + 1]->typeCode() ==
                                        kSubfileType;
            if (!referenceFollows) {
              reversing = firstCode != kMetaInvertNext;
              remove(index);
              continue;
            }
          }
        }
      } else if (reversing &&
                 (type == kTriangleType || type == kQuadType)) {
        element.reverse();
      }
    } else if (element.inserted) {
      continue;
    }
    std::string text = elements[index]->toText();
    if (text.empty()) continue;
    if (type >= kSubfileType && type <= kCondLineType) ++counts[type];
    ++written;
    block.append(text);
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
