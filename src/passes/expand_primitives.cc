// Primitive expansion, reading each selected file as its reference is met.
#include "passes/expand_primitives.h"

#include <string>
#include <vector>

#include "elements/comment_line.h"
#include "elements/deleted_element.h"
#include "elements/subfile_ref.h"
#include "model/line_reader.h"

namespace quillery {

namespace {

// One link of the chains of files that elements were inlined from: the
// file's identity and the link of the file that referenced it (-1 for the
// input file).
struct ChainLink {
  int parent;
  std::string identity;
};

bool chainHolds(const std::vector<ChainLink>& chains, int link,
                const std::string& identity) {
  for (; link >= 0; link = chains[static_cast<std::size_t>(link)].parent) {
    if (chains[static_cast<std::size_t>(link)].identity == identity) {
      return true;
    }
  }
  return false;
}

bool isInvertNext(const Element& element) {
  return element.typeCode() == kCommentType &&
         static_cast<const CommentLine&>(element).metaCode() ==
             kMetaInvertNext;
}

}  // namespace

bool isRectName(std::string_view fileName) {
  return fileName.starts_with("rect") && !fileName.starts_with("recte");
}

void expandPrimitives(Model& model, const SearchPathList& searchPaths,
                      int keyColor, FileAccess& files, std::ostream& console) {
  int state = kWindingNone;
  long long counts[6] = {0, 0, 0, 0, 0, 0};
  std::vector<ChainLink> chains{{-1, model.sourceIdentity}};

  for (std::size_t index = 0; index < model.size(); ++index) {
    if (model.at(index).typeCode() != kSubfileType) continue;
    const SubfileRef& ref = static_cast<const SubfileRef&>(model.at(index));
    int parentColor = ref.getColor();
    bool selected =
        keyColor >= 0 ? parentColor == keyColor : isRectName(ref.fileName);
    if (!selected) continue;
    std::string text;
    std::string identity;
    if (!searchPaths.openSubfile(files, ref.fileName, text, identity)) {
      continue;
    }
    if (chainHolds(chains, ref.sourceChain, identity)) {
      console << "Circular reference to " << ref.fileName << " not expanded"
              << std::endl;
      continue;
    }
    bool afterInvertNext = index > 0 && isInvertNext(model.at(index - 1));
    int invert = afterInvertNext ? -ref.winding : ref.winding;
    int reversal = ref.matrix.determinant() < 0.0 ? -invert : invert;
    const Matrix matrix = ref.matrix;
    const Vector position(ref.position);
    int chain = static_cast<int>(chains.size());
    chains.push_back({ref.sourceChain, identity});

    forEachElementLine(text, [&](int type, std::string_view line) {
      std::unique_ptr<Element> element = makeElement(type, line);
      if (type == kCommentType) {
        int code = static_cast<const CommentLine&>(*element).metaCode();
        if (code == kMetaCertifyCcw) state = kWindingCcw;
        if (code == kMetaCertifyCw) state = kWindingCw;
        // Ordinary comments of inlined files are dropped.
        if (code == kMetaNone) element = std::make_unique<DeletedElement>();
      } else if (type == kSubfileType) {
        static_cast<SubfileRef&>(*element).sourceChain = chain;
      } else {
        ++counts[type];
        if (reversal == kWindingCw &&
            (type == kTriangleType || type == kQuadType)) {
          element->reverse();
        }
      }
      element->inserted = true;
      element->transform(matrix);
      element->translate(position);
      if (element->getColor() == kMainColor) element->setColor(parentColor);
      element->winding = type == kSubfileType ? invert : state;
      model.append(std::move(element));
    });

    model.remove(index);
    if (afterInvertNext) model.remove(index - 1);
  }

  console << "\nInlined from subfiles:\n";
  console << counts[kEdgeType] << " Edge lines" << std::endl;
  console << counts[kCondLineType] << " Conditional lines" << std::endl;
  console << counts[kTriangleType] << " Triangles" << std::endl;
  console << counts[kQuadType] << " Quads" << std::endl;
}

}  // namespace quillery
