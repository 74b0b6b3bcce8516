// Primitive expansion. Each subfile is looked up and parsed once per run;
// every later reference to the same name places copies of the parsed lines,
// which gives exactly the elements a fresh read would give.
#include "passes/expand_primitives.h"

#include <string>
#include <unordered_map>
#include <unordered_set>
#include <vector>

#include "elements/comment_line.h"
#include "elements/cond_line.h"
#include "elements/deleted_element.h"
#include "elements/edge_line.h"
#include "elements/quad.h"
#include "elements/subfile_ref.h"
#include "elements/triangle.h"
#include "model/line_reader.h"

namespace quillery {

namespace {

// A subfile as found through the search directories: its identity and its
// lines parsed, each with the line type and, for comments, the BFC code.
struct ParsedSubfile {
  bool found = false;
  // A reader culls the file's surfaces only when it is certified.
  bool certified = false;
  int fileId = -1;
  struct Line {
    int type;
    int metaCode;
    std::unique_ptr<Element> element;
  };
  std::vector<Line> lines;
};

// One link of the chains of files that references were read from: the file
// and the link of the file that referenced it (-1 for the input file).
struct ChainLink {
  int parent;
  int fileId;
};

bool isInvertNext(const Element& element) {
  return element.typeCode() == kCommentType &&
         static_cast<const CommentLine&>(element).metaCode() == kMetaInvertNext;
}

// A new element equal to a freshly parsed `prototype` of line type `type`.
std::unique_ptr<Element> copyOf(int type, const Element& prototype) {
  switch (type) {
    case kCommentType:
      return std::make_unique<CommentLine>(
          static_cast<const CommentLine&>(prototype).text);
    case kSubfileType:
      return std::make_unique<SubfileRef>(
          static_cast<const SubfileRef&>(prototype));
    case kEdgeType:
      return std::make_unique<EdgeLine>(
          static_cast<const EdgeLine&>(prototype));
    case kTriangleType:
      return std::make_unique<Triangle>(
          static_cast<const Triangle&>(prototype));
    case kQuadType:
      return std::make_unique<Quad>(static_cast<const Quad&>(prototype));
    default: {
      const auto& line = static_cast<const CondLine&>(prototype);
      auto copy = std::make_unique<CondLine>(line.p1, line.p2, line.p3,
                                             line.p4, line.color);
      copy->hexColor = line.hexColor;
      return copy;
    }
  }
}

class Expansion {
 public:
  Expansion(const Document* document, const SearchPathList& searchPaths,
            int keyColor, FileAccess& files, std::ostream& console)
      : document(document),
        searchPaths(searchPaths),
        keyColor(keyColor),
        files(files),
        console(console) {}

  // Expands the selected references of `model`, a file whose identity is
  // `identity`, and of everything inlined into it.
  void run(Model& model, const std::string& identity);
  void printStatistics() const;

 private:
  int fileIdOf(const std::string& identity) {
    auto [it, added] =
        fileIds.try_emplace(identity, static_cast<int>(fileIds.size()));
    return it->second;
  }
  bool chainHolds(int link, int fileId) const {
    for (; link >= 0; link = chains[static_cast<std::size_t>(link)].parent) {
      if (chains[static_cast<std::size_t>(link)].fileId == fileId) return true;
    }
    return false;
  }
  const ParsedSubfile& subfile(const std::string& fileName);
  void inline_(Model& model, const ParsedSubfile& file, const SubfileRef& ref,
               int invert, int reversal, int chain);

  const Document* document;
  const SearchPathList& searchPaths;
  int keyColor;
  FileAccess& files;
  std::ostream& console;
  int state = kWindingNone;
  long long counts[6] = {0, 0, 0, 0, 0, 0};
  std::vector<ChainLink> chains;
  std::unordered_map<std::string, int> fileIds;
  std::unordered_map<std::string, ParsedSubfile> subfiles;
  std::unordered_set<std::string> reportedMissing;
};

const ParsedSubfile& Expansion::subfile(const std::string& fileName) {
  auto [it, added] = subfiles.try_emplace(fileName);
  ParsedSubfile& parsed = it->second;
  if (!added) return parsed;
  std::string text;
  std::string identity;
  bool found =
      document != nullptr
          ? document->openSubfile(searchPaths, files, fileName, text, identity)
          : searchPaths.openSubfile(files, fileName, text, identity);
  if (!found) return parsed;
  parsed.found = true;
  parsed.fileId = fileIdOf(identity);
  std::string_view content(text);
  // A byte order mark of a subfile is not carried into the output.
  (void)dropByteOrderMark(content);
  parsed.certified = forEachElement(content, [&parsed](int type,
                                                       std::unique_ptr<Element>
                                                           element) {
    int code = type == kCommentType
                   ? static_cast<const CommentLine&>(*element).metaCode()
                   : kMetaNone;
    parsed.lines.push_back(ParsedSubfile::Line{type, code, std::move(element)});
  });
  return parsed;
}

void Expansion::run(Model& model, const std::string& identity) {
  // Every file starts afresh: no certification carried over, and a chain
  // of its own.
  state = kWindingNone;
  chains.assign(1, ChainLink{-1, fileIdOf(identity)});
  for (std::size_t index = 0; index < model.size(); ++index) {
    if (model.at(index).typeCode() != kSubfileType) continue;
    const SubfileRef& ref = static_cast<const SubfileRef&>(model.at(index));
    bool selected =
        keyColor >= 0 ? ref.getColor() == keyColor : isRectName(ref.fileName);
    if (!selected) continue;
    const ParsedSubfile& file = subfile(ref.fileName);
    if (!file.found) {
      if (reportedMissing.insert(ref.fileName).second) {
        console << "Subfile " << ref.fileName << " not found, not expanded"
                << std::endl;
      }
      continue;
    }
    if (chainHolds(ref.sourceChain, file.fileId)) {
      console << "Circular reference to " << ref.fileName << " not expanded"
              << std::endl;
      continue;
    }
    bool afterInvertNext = index > 0 && isInvertNext(model.at(index - 1));
    int invert = afterInvertNext ? -ref.winding : ref.winding;
    int reversal = ref.matrix.determinant() < 0.0 ? -invert : invert;
    int chain = static_cast<int>(chains.size());
    chains.push_back(ChainLink{ref.sourceChain, file.fileId});
    inline_(model, file, ref, invert, reversal, chain);
    model.remove(index);
    if (afterInvertNext) model.remove(index - 1);
  }
}

void Expansion::printStatistics() const {
  console << "\nInlined from subfiles:\n";
  console << counts[kEdgeType] << " Edge lines" << std::endl;
  console << counts[kCondLineType] << " Conditional lines" << std::endl;
  console << counts[kTriangleType] << " Triangles" << std::endl;
  console << counts[kQuadType] << " Quads" << std::endl;
}

void Expansion::inline_(Model& model, const ParsedSubfile& file,
                        const SubfileRef& ref, int invert, int reversal,
                        int chain) {
  // The reference stays in its slot until every line is placed; copies of
  // its placement keep them independent of the list growing.
  const Matrix matrix = ref.matrix;
  const Vector position(ref.position);
  for (const ParsedSubfile::Line& line : file.lines) {
    std::unique_ptr<Element> element;
    if (line.type == kCommentType) {
      state = CommentLine::windingAfter(line.metaCode, state);
      // Ordinary comments of inlined files are dropped.
      if (line.metaCode == kMetaNone) {
        element = std::make_unique<DeletedElement>();
      } else {
        element = copyOf(line.type, *line.element);
      }
    } else {
      element = copyOf(line.type, *line.element);
      if (line.type == kSubfileType) {
        static_cast<SubfileRef&>(*element).sourceChain = chain;
      } else {
        ++counts[line.type];
        if (reversal == kWindingCw &&
            (line.type == kTriangleType || line.type == kQuadType)) {
          element->reverse();
        }
      }
    }
    element->inserted = true;
    element->transform(matrix);
    element->translate(position);
    if (element->getColor() == kMainColor) {
      static_cast<ShapeElement&>(*element).inheritColor(ref);
    }
    element->winding = line.type == kSubfileType ? invert : state;
    // The vertex order already carries the inversion; a reader takes the
    // surface with the winding it had in its own file, and culls it only
    // when culling was on all the way down.
    element->faceWinding =
        file.certified ? line.element->faceWinding : kWindingNone;
    element->culled = ref.culled && file.certified && line.element->culled;
    model.append(std::move(element));
  }
}

}  // namespace

bool isRectName(std::string_view fileName) {
  return fileName.starts_with("rect") && !fileName.starts_with("recte");
}

void expandPrimitives(Document& document, const SearchPathList& searchPaths,
                      int keyColor, FileAccess& files, std::ostream& console) {
  Expansion expansion(&document, searchPaths, keyColor, files, console);
  for (const auto& section : document.sections) {
    expansion.run(section->model, document.identityOf(*section));
  }
  expansion.printStatistics();
}

void expandPrimitives(Model& model, const SearchPathList& searchPaths,
                      int keyColor, FileAccess& files, std::ostream& console) {
  Expansion expansion(nullptr, searchPaths, keyColor, files, console);
  expansion.run(model, model.sourceIdentity);
  expansion.printStatistics();
}

}  // namespace quillery
