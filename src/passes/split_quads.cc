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
         pinched(triangle.p2, triangle.p3) || pinched(triangle.p1, triangle.p3);
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
  // Each split appends a triangle, a diagonal and up to six conditional
  // lines, one along each side of its triangles. The list must not move
  // while the searches read it and a batch goes in.
  model.elements.reserve(model.size() + 8 * quads);
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

void QuadSplitter::prefetchCorners(const Element& element) const {
  switch (element.typeCode()) {
    case kTriangleType: {
      const auto& triangle = static_cast<const Triangle&>(element);
      for (const Point* p : {&triangle.p1, &triangle.p2, &triangle.p3}) {
        points.prefetch(*p);
      }
      break;
    }
    case kQuadType: {
      const auto& quad = static_cast<const Quad&>(element);
      for (const Point* p : {&quad.p1, &quad.p2, &quad.p3, &quad.p4}) {
        points.prefetch(*p);
      }
      break;
    }
    default:
      break;
  }
}

void QuadSplitter::collectCorners(std::size_t position,
                                  std::vector<SpatialIndex::Filing>& group) {
  const Element& element = model.at(position);
  auto index = static_cast<std::uint32_t>(position);
  switch (element.typeCode()) {
    case kTriangleType: {
      const auto& triangle = static_cast<const Triangle&>(element);
      for (const Point* p : {&triangle.p1, &triangle.p2, &triangle.p3}) {
        group.push_back(SpatialIndex::Filing{p, index});
      }
      filePinched(triangle, index);
      break;
    }
    case kQuadType: {
      const auto& quad = static_cast<const Quad&>(element);
      for (const Point* p : {&quad.p1, &quad.p2, &quad.p3, &quad.p4}) {
        group.push_back(SpatialIndex::Filing{p, index});
      }
      break;
    }
    default:
      break;
  }
}

void QuadSplitter::splitQuads(int keyColor, bool manageCondLines) {
  splitColor = keyColor;
  if (!manageCondLines) {
    // No neighbour is ever looked for: each quad just gives way to its
    // triangles.
    for (std::size_t index = 0; index < model.size(); ++index) {
      Element& element = model.at(index);
      if (element.typeCode() != kQuadType) continue;
      if (keyColor >= 0 && element.getColor() != keyColor) continue;
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
  splitInBatches();
}

void QuadSplitter::splitInBatches() {
  for (std::size_t slot = 0; slot < 3; ++slot) batches[slot].slot = slot;
  // Entries appended on the way are never quads.
  const std::size_t end = model.size();
  std::size_t position = fillBatch(*current, 0, end);
  makePieces(*current);
  while (position < end || !previous->quads.empty() ||
         !current->quads.empty()) {
    position = fillBatch(*next, position, end);
    windowEnd = static_cast<std::uint32_t>(model.size());
    auto applyAndMake = [this] {
      applyBatch(*previous);
      makePieces(*next);
    };
    if (current->quads.size() < batching.smallestShared) {
      applyAndMake();
      searchBatch(0, current->quads.size(), searches[0]);
    } else {
      shareOut(
          current->quads.size(), batching.quadsPerTurn,
          [this](std::size_t begin, std::size_t end, Search& search) {
            searchBatch(begin, end, search);
          },
          applyAndMake);
    }
    fileSeconds(*previous);
    Batch* done = previous;
    previous = current;
    current = next;
    next = done;
  }
}

std::size_t QuadSplitter::fillBatch(Batch& batch, std::size_t position,
                                    std::size_t end) {
  batch.quads.clear();
  batch.ordinals.clear();
  batch.pinchedSeconds.clear();
  for (Search& search : searches) search.found[batch.slot].clear();
  batch.start = static_cast<std::uint32_t>(position);
  const std::size_t spanEnd = std::min(end, position + batching.span);
  for (; position < spanEnd; ++position) {
    if (batch.quads.size() == batching.quads) break;
    if (!splits(model.at(position))) {
      batch.ordinals.push_back(kNotInBatch);
      continue;
    }
    batch.ordinals.push_back(static_cast<std::uint32_t>(batch.quads.size()));
    batch.quads.emplace_back().position = static_cast<std::uint32_t>(position);
  }
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

void QuadSplitter::makePieces(Batch& batch) {
  // Made on this thread, whose element pool holds the memory of the quads
  // split before: on the helper they would take fresh memory of its own.
  for (std::size_t ordinal = 0; ordinal < batch.quads.size(); ++ordinal) {
    BatchQuad& piece = batch.quads[ordinal];
    static_cast<const Quad&>(model.at(piece.position))
        .splitInTwo(choices[piece.position], piece.first, piece.second,
                    piece.diagonal);
    piece.firstSeen = piece.first.get();
    piece.secondSeen = piece.second.get();
    if (pinched(static_cast<const Triangle&>(*piece.second))) {
      batch.pinchedSeconds.push_back(ordinal);
    }
  }
}

void QuadSplitter::searchBatch(std::size_t begin, std::size_t end,
                               Search& search) {
  const std::size_t offset = previous->quads.size();
  for (std::size_t place = begin; place < end; ++place) {
    if (place + kQuadLookAhead < end) {
      prefetchCorners(
          model.at(current->quads[place + kQuadLookAhead].position));
    }
    BatchQuad& piece = current->quads[place];
    const std::size_t ordinal = offset + place;
    addCondLinesAlong(static_cast<const Triangle&>(*piece.firstSeen), ordinal,
                      search);
    addCondLinesAlong(static_cast<const Triangle&>(*piece.secondSeen), ordinal,
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

void QuadSplitter::applyBatch(Batch& batch) {
  // The order of one thread doing each split in turn: the lines found go
  // to the end, then the diagonal; the first triangle takes the quad's
  // place and the second goes to the end. Each thread found its lines in
  // split order, for the quads it took.
  std::size_t next[2] = {0, 0};
  for (std::size_t ordinal = 0; ordinal < batch.quads.size(); ++ordinal) {
    BatchQuad& piece = batch.quads[ordinal];
    for (std::size_t thread = 0; thread < 2; ++thread) {
      const std::vector<NewLine>& found = searches[thread].found[batch.slot];
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
    model.append(std::move(piece.second));
    piece.secondPosition = static_cast<std::uint32_t>(model.size() - 1);
  }
}

void QuadSplitter::fileSeconds(const Batch& batch) {
  // The second triangle's vertices are corners of the quad too: every
  // search that could need it finds the quad's position, and looks at it
  // together with the first.
  for (const BatchQuad& piece : batch.quads) {
    secondTriangles.add(piece.position, piece.secondPosition);
    filePinched(static_cast<const Triangle&>(*piece.secondSeen),
                piece.secondPosition);
  }
}

bool QuadSplitter::inWindow(std::uint32_t position,
                            std::size_t& ordinal) const {
  // The two batches span positions one after the other.
  const Batch& batch = position < current->start ? *previous : *current;
  const std::uint32_t offset = position - batch.start;
  if (position < batch.start || offset >= batch.ordinals.size()) return false;
  const std::uint32_t place = batch.ordinals[offset];
  if (place == kNotInBatch) return false;
  ordinal = (&batch == current ? previous->quads.size() : 0) + place;
  return true;
}

const QuadSplitter::BatchQuad& QuadSplitter::windowQuad(
    std::size_t ordinal) const {
  const std::size_t before = previous->quads.size();
  return ordinal < before ? previous->quads[ordinal]
                          : current->quads[ordinal - before];
}

const Element& QuadSplitter::seenAt(std::uint32_t position,
                                    std::size_t ordinal) const {
  static const DeletedElement removed;
  if (position >= windowEnd) {
    return *windowQuad(position - windowEnd).secondSeen;
  }
  std::size_t other;
  if (inWindow(position, other)) {
    if (other < ordinal) return *windowQuad(other).firstSeen;
    if (other == ordinal) return removed;
  }
  return model.at(position);
}

void QuadSplitter::removeCondLinesOnSplitQuads() {
  // Every quad of the split colour is split, and each split removes the
  // conditional lines on its sides wherever they stand in the list: a line
  // of the list goes if any such quad has it on a side, so all of them can
  // go before the first split. A short list is left to this thread.
  searches[0].onSplitQuads.clear();
  searches[1].onSplitQuads.clear();
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

void QuadSplitter::findCondLinesOnSplitQuads(std::size_t begin, std::size_t end,
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
    for (std::uint32_t candidate : search.recentSurfaces.near(side.p1)) {
      const Element& surface = model.at(candidate);
      if (splits(surface) && surface.hasEdge(side)) {
        search.onSplitQuads.push_back(static_cast<std::uint32_t>(position));
        break;
      }
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
    } else if (inWindow(candidates[k], other) && other < ordinal) {
      candidates.push_back(windowEnd + static_cast<std::uint32_t>(other));
    }
  }
  if (!pinchedTriangles.empty()) {
    pinchedTriangles.collectNear(edge.p1, candidates);
    pinchedTriangles.collectNear(edge.p2, candidates);
  }
  // The window's pinched second triangles are not filed yet: all of those
  // split before are looked at, and the exact tests pass over the others.
  for (const Batch* batch : {previous, current}) {
    const std::size_t offset = batch == current ? previous->quads.size() : 0;
    for (std::size_t place : batch->pinchedSeconds) {
      if (offset + place >= ordinal) break;
      candidates.push_back(windowEnd +
                           static_cast<std::uint32_t>(offset + place));
    }
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
      // Lines are only looked for in the current batch, and kept by place
      // in it.
      search.found[current->slot].push_back(
          NewLine{ordinal - previous->quads.size(), edge.p1, edge.p2,
                  *triangle.vertexOffEdge(edge), *surface.vertexOffEdge(edge)});
      break;
    }
  }
}

}  // namespace quillery
