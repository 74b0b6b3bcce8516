// Quad splitting over a spatial index of the model's surfaces.
#include "passes/split_quads.h"

#include <algorithm>
#include <cmath>
#include <initializer_list>
#include <iterator>

#include "elements/cond_line.h"
#include "elements/deleted_element.h"
#include "elements/triangle.h"

namespace quillery {

namespace {

// Two vertices closer than this in every coordinate may both coincide with
// one point (twice the tolerance, with a margin for rounding).
constexpr double kPinchDistance = 3 * kCoincidenceTolerance;

bool pinched(const Point& a, const Point& b) {
  return std::fabs(a.x - b.x) <= kPinchDistance &&
         std::fabs(a.y - b.y) <= kPinchDistance &&
         std::fabs(a.z - b.z) <= kPinchDistance;
}

// A triangle with two vertices that may both coincide with one end of an
// edge.
bool pinched(const Triangle& triangle) {
  return pinched(triangle.p1, triangle.p2) ||
         pinched(triangle.p2, triangle.p3) ||
         pinched(triangle.p1, triangle.p3);
}

// The line removal and the searches mostly wait for the index: the cells of
// what comes a little later are asked for early, so that the waits overlap.
// Looking at one line takes a fraction of the time that a quad's searches
// take, so lines look farther ahead.
constexpr std::size_t kEntryLookAhead = 8;
constexpr std::size_t kQuadLookAhead = 2;

}  // namespace

void splitQuads(Model& model, int keyColor, bool manageCondLines) {
  QuadSplitter(model).splitQuads(keyColor, manageCondLines);
}

QuadSplitter::QuadSplitter(Model& model, SplitBatching batching)
    : model(model), batching(batching) {}

void QuadSplitter::fileModel() {
  // Room for four corners an element. Corners are shared, and lines and
  // references file nothing: about a cell for every three elements (the
  // table grows if there are more).
  points.reserve(model.size() / 3, 4 * model.size());
  std::size_t quads = 0;
  auto fileAll = [this, &quads] {
    // The corners go to the index in groups, which looks their cells up
    // together.
    constexpr std::size_t kGroup = 256;
    std::vector<SpatialIndex::Filing> group;
    group.reserve(kGroup + 4);
    for (std::size_t position = 0; position < model.size(); ++position) {
      if (model.at(position).typeCode() == kQuadType) ++quads;
      collectCorners(position, group);
      if (group.size() >= kGroup) {
        points.add(group);
        group.clear();
      }
    }
    points.add(group);
  };
  // The choice of each quad's diagonal reads nothing that filing writes,
  // and takes longer: for a large list the helper starts on it at once,
  // and this thread joins in once it has filed everything.
  choices.resize(model.size());
  if (model.size() < 2 * batching.entriesPerTurn) {
    fileAll();
    chooseSplits(0, model.size());
  } else {
    shareOut(
        model.size(), batching.entriesPerTurn,
        [this](std::size_t begin, std::size_t end, Search&) {
          chooseSplits(begin, end);
        },
        fileAll);
  }
  // Each split appends a triangle, a diagonal and a conditional line along
  // each side of the quad where it meets a fold: room for those. A line
  // along the diagonal itself (another surface sharing it) is rare, and the
  // list grows if it must.
  model.elements.reserve(model.size() + 6 * quads);
  secondTriangles.reserve(quads, model.size());
}

void QuadSplitter::chooseSplits(std::size_t begin, std::size_t end) {
  for (std::size_t position = begin; position < end; ++position) {
    if (splits(model.at(position))) {
      choices[position] =
          static_cast<const Quad&>(model.at(position)).chooseSplit();
    }
  }
}

bool QuadSplitter::splits(const Element& element) const {
  return element.typeCode() == kQuadType &&
         (splitColor < 0 || element.getColor() == splitColor);
}

void QuadSplitter::filePinched(const Triangle& triangle,
                               std::uint32_t position) {
  if (pinched(triangle)) {
    for (const Point* p : {&triangle.p1, &triangle.p2, &triangle.p3}) {
      pinchedTriangles.add(*p, position);
    }
  }
}

void QuadSplitter::prefetchCorners(const Quad& quad) const {
  for (const Point* p : {&quad.p1, &quad.p2, &quad.p3, &quad.p4}) {
    points.prefetch(*p);
  }
}

void QuadSplitter::collectCorners(std::size_t position,
                                  std::vector<SpatialIndex::Filing>& group) {
  const Element& element = model.at(position);
  const int type = element.typeCode();
  auto index = static_cast<std::uint32_t>(position);
  if (type == kTriangleType) {
    const auto& triangle = static_cast<const Triangle&>(element);
    for (const Point* p : {&triangle.p1, &triangle.p2, &triangle.p3}) {
      group.push_back(SpatialIndex::Filing{p, index});
    }
    filePinched(triangle, index);
  } else if (type == kQuadType) {
    const auto& quad = static_cast<const Quad&>(element);
    for (const Point* p : {&quad.p1, &quad.p2, &quad.p3, &quad.p4}) {
      group.push_back(SpatialIndex::Filing{p, index});
    }
  }
}

void QuadSplitter::splitQuads(int keyColor, bool manageCondLines) {
  splitColor = keyColor;
  if (!manageCondLines) {
    // No neighbour is ever looked for: each quad just gives way to its
    // triangles.
    for (std::size_t index = 0; index < model.size(); ++index) {
      Element& element = model.at(index);
      if (!splits(element)) continue;
      std::unique_ptr<Element> first;
      std::unique_ptr<Element> second;
      std::unique_ptr<Element> diagonal;
      static_cast<const Quad&>(element).splitInTwo(first, second, diagonal);
      model.replace(index, std::move(first));
      model.append(std::move(second));
    }
    return;
  }
  fileModel();
  removeCondLinesOnSplitQuads();
  // Entries appended on the way are never quads.
  const std::size_t quadsEnd = model.size();
  for (std::size_t position = 0; position < quadsEnd;) {
    position = splitBatch(position, quadsEnd);
  }
}

std::size_t QuadSplitter::splitBatch(std::size_t position,
                                     std::size_t end) {
  batch.clear();
  batchOrdinals.clear();
  pinchedSeconds.clear();
  batchStart = static_cast<std::uint32_t>(position);
  const std::size_t spanEnd = std::min(end, position + batching.span);
  for (; position < spanEnd; ++position) {
    if (batch.size() == batching.quads) break;
    if (!splits(model.at(position))) {
      batchOrdinals.push_back(kNotInBatch);
      continue;
    }
    batchOrdinals.push_back(static_cast<std::uint32_t>(batch.size()));
    batch.emplace_back().position = static_cast<std::uint32_t>(position);
  }
  makePieces();
  batchEnd = static_cast<std::uint32_t>(model.size());
  searches[0].found.clear();
  searches[1].found.clear();
  if (batch.size() < batching.smallestShared) {
    searchBatch(0, batch.size(), searches[0]);
  } else {
    shareOut(batch.size(), batching.quadsPerTurn,
             [this](std::size_t begin, std::size_t end, Search& search) {
               searchBatch(begin, end, search);
             });
  }
  applyBatch();
  return position;
}

template <typename Work, typename First>
void QuadSplitter::shareOut(std::size_t count, std::size_t turn, Work work,
                            First callerFirst) {
  // Whichever thread is done with its turn takes the next: the one whose
  // cache holds less of what the work reads gets less of it.
  nextTurn.store(0, std::memory_order_relaxed);
  auto takeTurns = [&](Search& search) {
    for (;;) {
      std::size_t begin = nextTurn.fetch_add(turn, std::memory_order_relaxed);
      if (begin >= count) return;
      work(begin, std::min(begin + turn, count), search);
    }
  };
  helper.runSideBySide(
      [&] {
        callerFirst();
        takeTurns(searches[0]);
      },
      [&] { takeTurns(searches[1]); });
}

void QuadSplitter::makePieces() {
  // Made on this thread, whose element pool holds the memory of the quads
  // split before: on the helper they would take fresh memory of its own.
  for (std::size_t ordinal = 0; ordinal < batch.size(); ++ordinal) {
    BatchQuad& piece = batch[ordinal];
    static_cast<const Quad&>(model.at(piece.position))
        .splitInTwo(choices[piece.position], piece.first, piece.second,
                    piece.diagonal);
    if (pinched(static_cast<const Triangle&>(*piece.second))) {
      pinchedSeconds.push_back(ordinal);
    }
  }
}

void QuadSplitter::searchBatch(std::size_t begin, std::size_t end,
                               Search& search) {
  for (std::size_t ordinal = begin; ordinal < end; ++ordinal) {
    if (ordinal + kQuadLookAhead < end) {
      prefetchCorners(static_cast<const Quad&>(
          model.at(batch[ordinal + kQuadLookAhead].position)));
    }
    BatchQuad& piece = batch[ordinal];
    addCondLinesAlong(static_cast<const Triangle&>(*piece.first), ordinal,
                      search);
    addCondLinesAlong(static_cast<const Triangle&>(*piece.second), ordinal,
                      search);
    // The diagonal goes in unless it is a flat split's placeholder or a
    // quad split later has it on a side: neither would be written.
    if (piece.diagonal->typeCode() == kCondLineType) {
      const auto& line = static_cast<const CondLine&>(*piece.diagonal);
      EdgeLine diagonalSide(line.p1, line.p2, 0);
      collectSurfacesAlong(diagonalSide, ordinal, search);
      piece.keepDiagonal = !splitQuadHasSide(diagonalSide, ordinal, search);
    }
  }
}

void QuadSplitter::applyBatch() {
  // The order of one thread doing each split in turn: the lines found go
  // to the end, then the diagonal; the first triangle takes the quad's
  // place and the second goes to the end. Each thread found its lines in
  // split order, for the quads it took.
  std::size_t next[2] = {0, 0};
  for (std::size_t ordinal = 0; ordinal < batch.size(); ++ordinal) {
    BatchQuad& piece = batch[ordinal];
    for (std::size_t thread = 0; thread < 2; ++thread) {
      const std::vector<NewLine>& found = searches[thread].found;
      for (std::size_t& k = next[thread];
           k < found.size() && found[k].ordinal == ordinal; ++k) {
        const NewLine& line = found[k];
        model.append(std::make_unique<CondLine>(line.p1, line.p2, line.p3,
                                                line.p4, kEdgeColor));
      }
    }
    if (piece.keepDiagonal) model.append(std::move(piece.diagonal));
    // The first triangle's vertices are corners of the quad, filed under
    // this position already.
    model.replace(piece.position, std::move(piece.first));
    // So are the second triangle's: every search that could need it finds
    // the quad's position, and looks at it together with the first.
    model.append(std::move(piece.second));
    auto second = static_cast<std::uint32_t>(model.size() - 1);
    secondTriangles.add(piece.position, second);
    filePinched(static_cast<const Triangle&>(model.at(second)), second);
  }
}

bool QuadSplitter::inBatch(std::uint32_t position,
                           std::size_t& ordinal) const {
  const std::uint32_t offset = position - batchStart;
  if (position < batchStart || offset >= batchOrdinals.size()) return false;
  ordinal = batchOrdinals[offset];
  return ordinal != kNotInBatch;
}

const Element& QuadSplitter::seenAt(std::uint32_t position,
                                    std::size_t ordinal) const {
  static const DeletedElement removed;
  if (position >= batchEnd) return *batch[position - batchEnd].second;
  std::size_t other;
  if (inBatch(position, other)) {
    if (other < ordinal) return *batch[other].first;
    if (other == ordinal) return removed;
  }
  return model.at(position);
}

void QuadSplitter::removeCondLinesOnSplitQuads() {
  // Every quad of the split colour is split, and each split removes the
  // conditional lines on its sides wherever they stand in the list: a line
  // of the list goes if any such quad has it on a side, so all of them can
  // go before the first split. A short list is left to this thread.
  // Either thread may find any number of them: room for all on each costs
  // only what is used, and spares the memory faults of growing the lists.
  for (Search& search : searches) {
    search.onSplitQuads.clear();
    search.onSplitQuads.reserve(model.size());
  }
  auto find = [this](std::size_t begin, std::size_t end, Search& search) {
    findCondLinesOnSplitQuads(begin, end, search);
  };
  if (model.size() < 2 * batching.entriesPerTurn) {
    find(0, model.size(), searches[0]);
  } else {
    shareOut(model.size(), batching.entriesPerTurn, find);
  }
  for (const Search& search : searches) {
    for (std::uint32_t position : search.onSplitQuads) model.remove(position);
  }
}

void QuadSplitter::findCondLinesOnSplitQuads(std::size_t begin,
                                             std::size_t end,
                                             Search& search) {
  for (std::size_t position = begin; position < end; ++position) {
    if (position + kEntryLookAhead < end) {
      const Element& ahead = model.at(position + kEntryLookAhead);
      if (ahead.typeCode() == kCondLineType) {
        points.prefetch(static_cast<const CondLine&>(ahead).p1);
      }
    }
    const Element& element = model.at(position);
    if (element.typeCode() != kCondLineType) continue;
    const auto& line = static_cast<const CondLine&>(element);
    EdgeLine side(line.p1, line.p2, 0);
    // A quad with the side has a corner on its first end: the surfaces
    // filed near that end are all there is to look at. Before the first
    // split, the list holds them as filed.
    const std::vector<std::uint32_t>& near =
        search.recentSurfaces.near(side.p1);
    auto splitWithSide = [&](std::uint32_t candidate) {
      const Element& surface = model.at(candidate);
      return splits(surface) && surface.hasEdge(side);
    };
    if (std::any_of(near.begin(), near.end(), splitWithSide)) {
      search.onSplitQuads.push_back(static_cast<std::uint32_t>(position));
    }
  }
}

bool QuadSplitter::splitQuadHasSide(const EdgeLine& edge, std::size_t ordinal,
                                    const Search& search) const {
  // Quads are split in list order and leave the list as they are: every quad
  // of the split colour still in it is split later.
  for (std::uint32_t position : search.candidates) {
    const Element& surface = seenAt(position, ordinal);
    if (splits(surface) && surface.hasEdge(edge)) {
      return true;
    }
  }
  return false;
}

void QuadSplitter::collectSurfacesAlong(const EdgeLine& edge,
                                        std::size_t ordinal,
                                        Search& search) const {
  // A quad with the side has a corner on each end of it, and so has a
  // triangle unless two of its vertices sit on the same end: the surfaces
  // near both ends, and the pinched triangles near either, are all there is
  // to look at.
  // Both answers stay valid together: near() only forgets the oldest of
  // more answers than two calls make.
  const std::vector<std::uint32_t>& nearFirst =
      search.recentSurfaces.near(edge.p1);
  const std::vector<std::uint32_t>& nearSecond =
      search.recentSurfaces.near(edge.p2);
  std::vector<std::uint32_t>& candidates = search.candidates;
  candidates.clear();
  std::set_intersection(nearFirst.begin(), nearFirst.end(), nearSecond.begin(),
                        nearSecond.end(), std::back_inserter(candidates));
  std::size_t shared = candidates.size();
  for (std::size_t k = 0; k < shared; ++k) {
    std::uint32_t second;
    std::size_t other;
    if (secondTriangles.find(candidates[k], second)) {
      candidates.push_back(second);
    } else if (inBatch(candidates[k], other) && other < ordinal) {
      candidates.push_back(batchEnd + static_cast<std::uint32_t>(other));
    }
  }
  if (!pinchedTriangles.empty()) {
    pinchedTriangles.collectNear(edge.p1, candidates);
    pinchedTriangles.collectNear(edge.p2, candidates);
  }
  // The batch's pinched second triangles are not filed yet: all of those
  // already made are looked at, and the exact tests pass over the others.
  for (std::size_t other : pinchedSeconds) {
    if (other >= ordinal) break;
    candidates.push_back(batchEnd + static_cast<std::uint32_t>(other));
  }
  if (candidates.size() > shared) sortUnique(candidates);
}

void QuadSplitter::addCondLinesAlong(const Triangle& triangle,
                                     std::size_t ordinal,
                                     Search& search) const {
  // The sides in the order of the triangle's edge walk.
  const EdgeLine sides[3] = {EdgeLine(triangle.p1, triangle.p2, 0),
                             EdgeLine(triangle.p2, triangle.p3, 0),
                             EdgeLine(triangle.p3, triangle.p1, 0)};
  for (const EdgeLine& edge : sides) {
    collectSurfacesAlong(edge, ordinal, search);
    // A quad split later removes every conditional line on its sides, so a
    // line along a side of one would never be written: none is looked for.
    if (splitQuadHasSide(edge, ordinal, search)) continue;
    for (std::uint32_t position : search.candidates) {
      const Element& surface = seenAt(position, ordinal);
      if (!surface.isSurface() || !surface.hasEdge(edge)) continue;
      double angle = std::fabs(triangle.angleAcross(surface, edge));
      // Written so that a NaN angle also ends the search without a line.
      if (!(angle >= kMinFoldAngle)) break;
      if (angle >= kMaxFoldAngle) continue;
      search.found.push_back(NewLine{ordinal, edge.p1, edge.p2,
                              *triangle.vertexOffEdge(edge),
                              *surface.vertexOffEdge(edge)});
      break;
    }
  }
}

}  // namespace quillery
