// Element: the root of every LDraw line kind, with the fixed interface of
// operations that the reader, the passes and the writer use.
#pragma once

#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "elements/element_pool.h"
#include "elements/huge_page_allocator.h"
#include "geometry/matrix.h"
#include "geometry/point.h"
#include "geometry/spatial_object.h"
#include "geometry/vector.h"
#include "geometry/vertex_cluster_list.h"

namespace quillery {

class EdgeLine;

// Type codes returned by typeCode().
inline constexpr int kNoType = -1;
inline constexpr int kCommentType = 0;
inline constexpr int kSubfileType = 1;
inline constexpr int kEdgeType = 2;
inline constexpr int kTriangleType = 3;
inline constexpr int kQuadType = 4;
inline constexpr int kCondLineType = 5;
inline constexpr int kDeletedType = 6;

// LDraw colours with a fixed meaning.
inline constexpr int kMainColor = 16;  // inherited from the referencing line
inline constexpr int kEdgeColor = 24;  // of every line the system creates

// Certification (winding) states.
inline constexpr int kWindingCcw = 1;
inline constexpr int kWindingCw = -1;
inline constexpr int kWindingNone = 0;

// One line of an LDraw file held in memory. Every operation has a default
// here (nothing, null, false, 0, 0.0 or the empty text) that a kind keeps
// when the operation does not apply to it. Elements are owned by the Model
// or by whoever an operation hands a new element to; never copied through a
// base reference. Edge and line arguments are EdgeLines, the two-point
// carrier of the edge walk.
class Element : public SpatialObject {
 public:
  Element() = default;
  Element(const Element&) = delete;
  Element& operator=(const Element&) = delete;
  ~Element() override;

  // Elements live in the element pool; the virtual destructor hands the
  // size of the most derived kind back to it.
  static void* operator new(std::size_t size) {
    return ElementPool::allocate(size);
  }
  static void operator delete(void* memory, std::size_t size) {
    ElementPool::release(memory, size);
  }

  // 1-4: print does nothing; the coordinate operations do nothing.
  void print() const override;
  void swapXY() override;
  void swapYZ() override;
  void flattenY() override;

  // 5: the element's LDraw line without a line end; empty for nothing.
  virtual std::string toText() const;
  // 6: the line type (0..5), kDeletedType, or kNoType.
  virtual int typeCode() const;
  // 7: starts the edge walk: a new EdgeLine (colour 0) from the first to the
  // second point; null for kinds without edges.
  virtual std::unique_ptr<EdgeLine> firstEdge();
  // 8: the next edge of the walk, or null when every edge has been given.
  virtual std::unique_ptr<EdgeLine> nextEdge();
  // 9: twice the signed plan area of the corner at the second vertex; 1.0.
  virtual double planWinding() const;
  // 10: every own point lies strictly (or, per kind, weakly) on the positive
  // planTurn side of `line`; true by default.
  virtual bool onPositiveSideOf(const EdgeLine& line) const;
  // 11: the segment `line` cannot cut this surface; false by default.
  virtual bool clearOfSegment(const EdgeLine& line) const;
  // 12: true when the element has collapsed; `replacement` then receives the
  // new element that takes its place. False, output untouched, by default.
  virtual bool degenerate(std::unique_ptr<Element>& replacement) const;
  // 13: adds every own point to `list`.
  virtual void collectVertices(VertexClusterList& list) const;
  // 14: moves every own point to the centre of its cluster in `list`.
  virtual void snapVertices(const VertexClusterList& list);
  // 15: moves `p` along y onto this surface's plane; true when it lands
  // inside. False with `p` untouched by default.
  virtual bool projectPoint(Point& p) const;
  // 16: projects every own point onto `surface` when it is a surface.
  virtual void projectOnto(const Element& surface);
  // 17: a triangle or a quad.
  virtual bool isSurface() const;
  // 18: an edge line or a conditional line.
  virtual bool isLine() const;
  // 19: adds `v` to every point (a reference: to its position).
  virtual void translate(const Vector& v);
  // 20: replaces every point p by m p (a reference also composes m).
  virtual void transform(const Matrix& m);
  // 21: the unit normal of a surface's plane; nothing by default.
  virtual std::optional<Vector> normal() const;
  // 22: signed angle in degrees to `other`, which shares `edge`; 0.0.
  virtual double angleAcross(const Element& other, const EdgeLine& edge) const;
  // 23: an end point coincides with `p`; false by default.
  virtual bool hasVertex(const Point& p) const;
  // 24: reverses the direction of a line or the winding of a surface.
  virtual void reverse();
  // 25, 26: the LDraw colour; ignored and 0 for kinds without one.
  virtual void setColor(int color);
  virtual int getColor() const;
  // 27: `edge` is one of this element's edges, in either direction.
  virtual bool hasEdge(const EdgeLine& edge) const;
  // 28: the first own vertex that is not an end point of `edge`: a pointer
  // into this element (not owned), or null.
  virtual const Point* vertexOffEdge(const EdgeLine& edge) const;
  // 29: when a, b are consecutive vertices in winding order, a copy of the
  // vertex before a; nothing otherwise.
  virtual std::optional<Point> oppositeVertex(const Point& a,
                                              const Point& b) const;
  // 30: the part on the side of `line` where planDistance exceeds the
  // tolerance, as new elements. Only the outputs that receive a piece are
  // written; callers clear both first. The default clears both.
  virtual void clipByLine(const EdgeLine& line, std::unique_ptr<Element>& piece,
                          std::unique_ptr<Element>& other);
  // 31: shifts the vertex order of a surface by one place.
  virtual void rotateVertices();
  // 32: 0 in every kind.
  virtual int reserved() const;

  // The fields below take the bytes after the table pointer. They fit in
  // fewer than eight, so that a derived kind puts its first fields in the
  // rest (a shape's colour does): millions of elements are held at once.

  // Certification in force where the line stands: kWindingCcw, kWindingCw or
  // kWindingNone.
  std::int8_t winding = kWindingNone;
  // How an LDraw reader of the output must take a triangle or quad: the
  // winding its vertex order is to be read with (kWindingNone when its file
  // is not certified), and, for surfaces and references, whether back faces
  // are culled where it came from.
  std::int8_t faceWinding = kWindingNone;
  bool culled : 1 = false;
  // Set on every element that the primitive expansion adds to the model.
  bool inserted : 1 = false;
  // Position of the edge walk of a triangle or quad (firstEdge, nextEdge):
  // the number of edges handed out after the first, up to all of them.
  std::uint8_t edgeCounter : 3 = 0;
};

// An owned list of elements. A model holds millions: the list lies on huge
// pages where the host allows it.
using ElementList = LargeVector<std::unique_ptr<Element>>;

}  // namespace quillery
