// The writer: one CRLF-terminated line per element in list order, the
// back-face-culling clean-up of the certification-aware mode, and the
// writer's statistics, printed once the file is safely in place.
#include "model/model_writer.h"

#include <algorithm>
#include <string>
#include <vector>

#include "elements/comment_line.h"
#include "elements/cond_line.h"
#include "elements/edge_line.h"
#include "elements/quad.h"
#include "elements/subfile_ref.h"
#include "elements/triangle.h"
#include "model/bfc_state.h"
#include "model/model.h"
#include "model/side_by_side.h"

namespace quillery {

namespace {
// Lines are collected and handed to the output in blocks of about this size.
constexpr std::size_t kWriteBlock = 1 << 20;
// Elements formatted as one piece of text, about a megabyte.
constexpr std::size_t kFormatPiece = 1 << 14;
// Elements made by a pass lie wherever freed memory was: each is asked for
// this many places ahead of its turn.
constexpr std::size_t kElementLookAhead = 16;

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

// The clean-up of the certification-aware mode, before anything is
// written: an INVERTNEXT line that no reference follows (and that is not
// the first BFC line) is removed, and from the first such line on every
// triangle and quad is reversed, unless the first BFC line was itself an
// INVERTNEXT. Takes the elements in list order.
class InvertNextCleanup {
 public:
  // Cleans up the element at `index`; true when it was removed.
  bool take(Model& model, std::size_t index, Element& element, int type) {
    if (type == kCommentType) {
      int code = static_cast<const CommentLine&>(element).metaCode();
      if (code == kMetaNone) return false;
      if (firstCode == kMetaNone) {
        firstCode = code;
      } else if (code == kMetaInvertNext) {
        bool referenceFollows = index + 1 < model.size() &&
                                model.at(index + 1).typeCode() == kSubfileType;
        if (!referenceFollows) {
          reversing = firstCode != kMetaInvertNext;
          model.remove(index);
          return true;
        }
      }
    } else if (reversing && (type == kTriangleType || type == kQuadType)) {
      element.reverse();
    }
    return false;
  }

 private:
  int firstCode = kMetaNone;
  bool reversing = false;
};

// Whether a reader takes the written lines as a certified file: they hold
// a CERTIFY line before their first drawing line and no NOCERTIFY line.
// Takes the written elements in list order.
class CertifiedOutput {
 public:
  void take(const Element& element, int type) {
    // Past the first drawing line only a NOCERTIFY line can still matter.
    if (refused || (type != kCommentType && bfc.pastHeader())) return;
    bfc.take(element, type);
    refused = bfc.pastHeader() && !bfc.certified();
  }
  // False once the lines taken so far rule a certified file out.
  bool possible() const { return !refused; }
  // Final once every written element was taken.
  bool certified() const { return !refused && bfc.certified(); }

 private:
  BfcState bfc;
  bool refused = false;
};

// Keeps what a reader of the output sees in step with what each element
// carries: before a surface whose winding either reading would take
// otherwise, a winding switch; before a surface or reference whose culling
// differs from the state in force, a culling switch. Returns the number of
// lines it added to `out`.
int appendBfcSwitches(const Element& element, int type, BfcState& reader,
                      std::string& out) {
  int added = 0;
  // Writes the line of `command` and lets the reader take it.
  auto write = [&](const char* line, BfcCommand command) {
    out.append(line);
    reader.apply(command);
    ++added;
  };
  if ((type == kTriangleType || type == kQuadType) &&
      element.faceWinding != kWindingNone &&
      (element.faceWinding != reader.winding(BfcState::kSwitching) ||
       element.faceWinding != reader.winding(BfcState::kStrict))) {
    if (element.faceWinding == kWindingCw) {
      write("0 BFC CW\r\n", BfcCommand{.clockwise = true});
    } else {
      write("0 BFC CCW\r\n", BfcCommand{.counterClockwise = true});
    }
  }
  if ((type == kSubfileType || type == kTriangleType || type == kQuadType) &&
      element.culled != reader.culling()) {
    if (element.culled) {
      write("0 BFC CLIP\r\n", BfcCommand{.clip = true});
    } else {
      write("0 BFC NOCLIP\r\n", BfcCommand{.noClip = true});
    }
  }
  return added;
}

}  // namespace

ModelWriter::ModelWriter(OutputFile& output, bool certificationAware)
    : output(output), certificationAware(certificationAware) {
  block.reserve(kWriteBlock + 4096);
}

void ModelWriter::writeByteOrderMark() { block.append("\xEF\xBB\xBF"); }

void ModelWriter::writeLine(const Element& element) {
  append(element, element.typeCode());
}

void ModelWriter::writeFile(Model& model) {
  // Placeholders write nothing, and without expansion no inserted line is
  // written.
  auto writes = [this](const Element& element, int type) {
    return type != kDeletedType && (certificationAware || !element.inserted);
  };
  // Only a certified file is culled by its readers; only then do the
  // elements' windings and culling need lines of their own. Where they go
  // depends on everything before, so they are found first, in order; they
  // are few. The clean-up, the certification and the switches take each
  // element in one walk over the list (a list of millions is slow to
  // visit); the switches are dropped when the file turns out uncertified.
  struct Switches {
    std::size_t index;
    std::string lines;
  };
  std::vector<Switches> switches;
  long long switchLines = 0;
  InvertNextCleanup cleanup;
  CertifiedOutput certification;
  BfcState reader;
  std::string lines;
  for (std::size_t index = 0; index < model.size(); ++index) {
    if (index + kElementLookAhead < model.size()) {
      __builtin_prefetch(model.elements[index + kElementLookAhead].get());
    }
    Element& element = model.at(index);
    int type = element.typeCode();
    if (certificationAware && cleanup.take(model, index, element, type)) {
      continue;
    }
    if (!writes(element, type)) continue;
    certification.take(element, type);
    if (!certification.possible()) continue;
    if (int added = appendBfcSwitches(element, type, reader, lines)) {
      switchLines += added;
      switches.push_back(Switches{index, std::move(lines)});
      lines.clear();
    }
    reader.take(element, type);
  }
  if (certification.certified()) {
    written += switchLines;
  } else {
    switches.clear();
  }

  // The lines of the elements in [begin, end), with the switches before
  // their elements, counted as the statistics count them.
  struct Piece {
    std::string text;
    long long counts[6] = {0, 0, 0, 0, 0, 0};
    long long lines = 0;
    void clear() {
      text.clear();
      std::fill(std::begin(counts), std::end(counts), 0);
      lines = 0;
    }
  };
  auto format = [&](std::size_t begin, std::size_t end, Piece& piece) {
    auto next = std::lower_bound(
        switches.begin(), switches.end(), begin,
        [](const Switches& s, std::size_t index) { return s.index < index; });
    for (std::size_t index = begin; index < end; ++index) {
      if (index + kElementLookAhead < end) {
        __builtin_prefetch(model.elements[index + kElementLookAhead].get());
      }
      const Element& element = model.at(index);
      int type = element.typeCode();
      if (!writes(element, type)) continue;
      if (next != switches.end() && next->index == index) {
        piece.text.append(next->lines);
        ++next;
      }
      appendLine(element, type, piece.text);
      piece.text.append("\r\n");
      if (type >= kSubfileType && type <= kCondLineType) ++piece.counts[type];
      ++piece.lines;
    }
  };
  auto emit = [this](const Piece& piece) {
    for (int type = 0; type < 6; ++type) counts[type] += piece.counts[type];
    written += piece.lines;
    if (!piece.text.empty()) ok = output.write(piece.text) && ok;
  };

  // What came before goes first; then pieces of the list are formatted two
  // at a time, one on a second thread, and written in list order, so the
  // bytes are those of one thread.
  if (!block.empty()) flushFullBlock();
  // The same two pieces for the whole list: their text keeps its room.
  Piece first;
  Piece second;
  for (std::size_t begin = 0; begin < model.size();
       begin += 2 * kFormatPiece) {
    const std::size_t middle = std::min(begin + kFormatPiece, model.size());
    const std::size_t end = std::min(middle + kFormatPiece, model.size());
    first.clear();
    second.clear();
    if (middle < end) {
      runSideBySide([&] { format(begin, middle, first); },
                    [&] { format(middle, end, second); });
    } else {
      format(begin, middle, first);
    }
    emit(first);
    emit(second);
  }
}

void ModelWriter::writeAsIs(const Model& model) {
  for (std::size_t index = 0; index < model.size(); ++index) {
    const Element& element = model.at(index);
    int type = element.typeCode();
    if (type != kDeletedType) append(element, type);
  }
}

void ModelWriter::append(const Element& element, int type) {
  appendLine(element, type, block);
  if (type >= kSubfileType && type <= kCondLineType) ++counts[type];
  ++written;
  block.append("\r\n");
  if (block.size() >= kWriteBlock) flushFullBlock();
}

void ModelWriter::flushFullBlock() {
  ok = output.write(block) && ok;
  block.clear();
}

bool ModelWriter::finish() {
  if (!block.empty()) flushFullBlock();
  // A failed write is never committed: the output path keeps what it held.
  return ok && output.commit();
}

void ModelWriter::printStatistics(std::ostream& console) const {
  console << written << " lines written in file" << std::endl;
  console << counts[kEdgeType] << " Edge lines" << std::endl;
  console << counts[kCondLineType] << " Conditional lines" << std::endl;
  console << counts[kTriangleType] << " Triangles" << std::endl;
  console << counts[kQuadType] << " Quads" << std::endl;
  console << counts[kSubfileType] << " Subfiles" << std::endl;
}

Model::WriteResult Model::writeFile(const std::string& fileName,
                                    bool certificationAware, FileAccess& files,
                                    std::ostream& console) {
  std::unique_ptr<OutputFile> output = files.createOutput(fileName);
  if (!output) return WriteResult::kCannotCreate;
  ModelWriter writer(*output, certificationAware);
  writer.writeFile(*this);
  if (!writer.finish()) return WriteResult::kCannotWrite;
  writer.printStatistics(console);
  return WriteResult::kWritten;
}

}  // namespace quillery
