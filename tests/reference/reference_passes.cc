// Reference passes: the plain full-scan algorithms, kept as the oracle for
// the indexed and cached passes of the tool.
#include "reference/reference_passes.h"

#include <algorithm>
#include <cmath>
#include <string>
#include <vector>

#include "elements/comment_line.h"
#include "elements/cond_line.h"
#include "elements/deleted_element.h"
#include "elements/subfile_ref.h"
#include "model/line_reader.h"
#include "passes/expand_primitives.h"
#include "passes/split_quads.h"

namespace quillery::reference {

void splitQuads(Model& model, int keyColor, bool manageCondLines) {
  // Entries appended on the way are visited too; they are never quads.
  for (std::size_t index = 0; index < model.size(); ++index) {
    Element& element = model.at(index);
    if (element.typeCode() != kQuadType) continue;
    if (keyColor >= 0 && element.getColor() != keyColor) continue;
    const Quad& quad = static_cast<const Quad&>(element);
    std::unique_ptr<Element> first;
    std::unique_ptr<Element> second;
    std::unique_ptr<Element> diagonal;
    quad.splitInTwo(first, second, diagonal);
    if (manageCondLines) {
      reference::removeCondLinesOn(model, quad);
      // The quad leaves the list before its triangles look for neighbours.
      model.remove(index);
      reference::addCondLinesAlong(model, *first);
      reference::addCondLinesAlong(model, *second);
      model.append(std::move(diagonal));
    }
    model.replace(index, std::move(first));
    model.append(std::move(second));
  }
}

void removeCondLinesOn(Model& model, const Quad& quad) {
  for (std::size_t index = 0; index < model.size(); ++index) {
    Element& element = model.at(index);
    if (element.typeCode() != kCondLineType) continue;
    std::unique_ptr<EdgeLine> edge = element.firstEdge();
    if (quad.hasEdge(*edge)) model.remove(index);
  }
}

void addCondLinesAlong(Model& model, Element& triangle) {
  if (!triangle.isSurface()) return;
  for (std::unique_ptr<EdgeLine> edge = triangle.firstEdge(); edge;
       edge = triangle.nextEdge()) {
    for (std::size_t index = 0; index < model.size(); ++index) {
      Element& surface = model.at(index);
      if (!surface.isSurface() || !surface.hasEdge(*edge)) continue;
      double angle = std::fabs(triangle.angleAcross(surface, *edge));
      // Written so that a NaN angle also ends the search without a line.
      if (!(angle >= kMinFoldAngle)) break;
      if (angle >= kMaxFoldAngle) continue;
      model.append(std::make_unique<CondLine>(
          edge->p1, edge->p2, *triangle.vertexOffEdge(*edge),
          *surface.vertexOffEdge(*edge), kEdgeColor));
      break;
    }
  }
}

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
         static_cast<const CommentLine&>(element).metaCode() == kMetaInvertNext;
}

// Expands `model`, a file whose identity is `rootIdentity`, reading every
// subfile again for every reference; counts into `counts` and lists the
// names reported missing in `missing`.
void expandFile(Model& model, const std::string& rootIdentity,
                const Document* document, const SearchPathList& searchPaths,
                int keyColor, FileAccess& files, std::ostream& console,
                long long counts[6], std::vector<std::string>& missing) {
  int state = kWindingNone;
  std::vector<ChainLink> chains{{-1, rootIdentity}};

  for (std::size_t index = 0; index < model.size(); ++index) {
    if (model.at(index).typeCode() != kSubfileType) continue;
    const SubfileRef& ref = static_cast<const SubfileRef&>(model.at(index));
    int parentColor = ref.getColor();
    bool selected =
        keyColor >= 0 ? parentColor == keyColor : isRectName(ref.fileName);
    if (!selected) continue;
    std::string text;
    std::string identity;
    bool found = document != nullptr
                     ? document->openSubfile(searchPaths, files, ref.fileName,
                                             text, identity)
                     : searchPaths.openSubfile(files, ref.fileName, text,
                                               identity);
    if (!found) {
      if (std::find(missing.begin(), missing.end(), ref.fileName) ==
          missing.end()) {
        missing.push_back(ref.fileName);
        console << "Subfile " << ref.fileName << " not found, not expanded"
                << std::endl;
      }
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

    std::string_view content(text);
    (void)dropByteOrderMark(content);
    std::vector<std::pair<int, std::unique_ptr<Element>>> lines;
    bool certified = forEachElement(
        content, [&](int type, std::unique_ptr<Element> element) {
          lines.emplace_back(type, std::move(element));
        });
    for (auto& [type, element] : lines) {
      if (type == kCommentType) {
        int code = static_cast<const CommentLine&>(*element).metaCode();
        state = CommentLine::windingAfter(code, state);
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
      if (element->getColor() == kMainColor) {
        static_cast<ShapeElement&>(*element).inheritColor(ref);
      }
      element->winding = type == kSubfileType ? invert : state;
      if (!certified) element->faceWinding = kWindingNone;
      element->culled = ref.culled && certified && element->culled;
      model.append(std::move(element));
    }

    model.remove(index);
    if (afterInvertNext) model.remove(index - 1);
  }
}

void printInlined(std::ostream& console, const long long counts[6]) {
  console << "\nInlined from subfiles:\n";
  console << counts[kEdgeType] << " Edge lines" << std::endl;
  console << counts[kCondLineType] << " Conditional lines" << std::endl;
  console << counts[kTriangleType] << " Triangles" << std::endl;
  console << counts[kQuadType] << " Quads" << std::endl;
}

}  // namespace

void expandPrimitives(Document& document, const SearchPathList& searchPaths,
                      int keyColor, FileAccess& files, std::ostream& console) {
  long long counts[6] = {0, 0, 0, 0, 0, 0};
  std::vector<std::string> missing;
  for (const auto& section : document.sections) {
    expandFile(section->model, document.identityOf(*section), &document,
               searchPaths, keyColor, files, console, counts, missing);
  }
  printInlined(console, counts);
}

void expandPrimitives(Model& model, const SearchPathList& searchPaths,
                      int keyColor, FileAccess& files, std::ostream& console) {
  long long counts[6] = {0, 0, 0, 0, 0, 0};
  std::vector<std::string> missing;
  expandFile(model, model.sourceIdentity, nullptr, searchPaths, keyColor,
             files, console, counts, missing);
  printInlined(console, counts);
}

Passes passes() {
  return Passes{
      static_cast<void (*)(Document&, const SearchPathList&, int, FileAccess&,
                           std::ostream&)>(&expandPrimitives),
      &splitQuads};
}

}  // namespace quillery::reference
