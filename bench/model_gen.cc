// The benchmark model generator: a height field of shared-side quads in
// bands of four kinds (flat, bent below 0.1 degrees, bent by several
// degrees, terraces with upright walls), written row by row.
#include "model_gen.h"

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <string_view>

namespace quillery::bench {

namespace {

// All randomness comes from splitmix64 over integers, so the text does not
// depend on any library's random number or distribution implementation.
constexpr std::uint64_t kSeed = 0x51756c6c65727921ull;

// Lengths are held in thousandths of an LDraw unit and printed exactly.
constexpr long long kMilli = 1000;
// Side of one surface cell.
constexpr long long kCellSide = 20 * kMilli;
// Surface columns of one kind next to each other; the kinds repeat every
// four bands.
constexpr int kBandWidth = 16;
// Columns of one terrace level, and the rise from one level to the next
// (negative y is up).
constexpr int kTerraceWidth = 4;
constexpr long long kTerraceRise = -8 * kMilli;
// Vertex heights of the two bent kinds. 5 thousandths over a cell side of
// 20 tilts a side by 0.014 degrees, so neighbouring cells fold by well under
// 0.1 degrees; whole units fold them by several degrees.
constexpr long long kTinyStep = 5;
constexpr long long kSteepStep = kMilli;
// Vertex height step of the dense model: up to 0.35 units over a side of 20.
constexpr long long kDenseStep = 50;
// The Rect floor lies this far below the surface.
constexpr long long kFloorY = 100 * kMilli;
// About one reference of each kind per this many cells: with some 2.2 lines
// per cell, references are about 1% of the lines.
constexpr long long kCellsPerReference = 90;
// Surface columns for a model of `lines` lines: about as many as rows.
constexpr long long kLinesPerCellTimes10 = 22;
constexpr int kMinColumns = 16;

// Line types and colours written.
constexpr int kEdgeType = 2;
constexpr int kTriangleType = 3;
constexpr int kQuadType = 4;
constexpr int kCondLineType = 5;
constexpr int kEdgeColor = 24;
constexpr int kMainColor = 16;
constexpr int kPatchColor = 7;  // patches of surface outside the key colour
constexpr int kRedColor = 4;    // Rect tiles outside the key colour

enum class Band { kFlat, kTiny, kSteep, kTerraces };

std::uint64_t splitmix64(std::uint64_t x) {
  x += 0x9E3779B97F4A7C15ull;
  x = (x ^ (x >> 30)) * 0xBF58476D1CE4E5B9ull;
  x = (x ^ (x >> 27)) * 0x94D049BB133111EBull;
  return x ^ (x >> 31);
}

// A number from 0 to modulus - 1 fixed by the two indexes and the salt.
int pick(long long a, long long b, std::uint64_t salt, int modulus) {
  std::uint64_t h = splitmix64(kSeed ^ salt);
  h = splitmix64(h ^ static_cast<std::uint64_t>(a));
  h = splitmix64(h ^ static_cast<std::uint64_t>(b));
  return static_cast<int>(h % static_cast<std::uint64_t>(modulus));
}

// Salts, one per random choice, so that the choices do not correlate.
enum Salt : std::uint64_t {
  kTinySalt = 1,
  kSteepSalt,
  kColorSalt,
  kTriangleSalt,
  kTopCondSalt,
  kLeftCondSalt,
  kRectStartSalt,
  kRectKindSalt,
  kKnobPlaceSalt,
  kKnobKindSalt,
  kDenseHeightSalt,
};

Band bandOf(long long column) {
  return static_cast<Band>((column / kBandWidth) % 4);
}

// A point in thousandths of a unit.
struct Point {
  long long x;
  long long y;
  long long z;
};

void appendNumber(std::string& text, long long milli) {
  if (milli < 0) {
    text.push_back('-');
    milli = -milli;
  }
  text.append(std::to_string(milli / kMilli));
  long long fraction = milli % kMilli;
  if (fraction == 0) return;
  char digits[4] = {static_cast<char>('0' + fraction / 100),
                    static_cast<char>('0' + fraction / 10 % 10),
                    static_cast<char>('0' + fraction % 10), 0};
  int length = 3;
  while (digits[length - 1] == '0') --length;
  text.push_back('.');
  text.append(digits, length);
}

// Collects the lines of a file and counts them.
class LineWriter {
 public:
  std::string text;
  long long lines = 0;

  void comment(std::string_view words) {
    text.append("0 ");
    text.append(words);
    endLine();
  }
  // "<type> <color> p1 p2 ..." for the shape lines 2 to 5.
  void shape(int type, int color, std::initializer_list<Point> points) {
    text.append(std::to_string(type));
    text.push_back(' ');
    text.append(std::to_string(color));
    for (const Point& p : points) {
      for (long long value : {p.x, p.y, p.z}) {
        text.push_back(' ');
        appendNumber(text, value);
      }
    }
    endLine();
  }
  // "1 <color> <position> <matrix> <file>"; the matrix is given as text.
  void reference(int color, const Point& at, std::string_view matrix,
                 std::string_view file) {
    text.append("1 ");
    text.append(std::to_string(color));
    for (long long value : {at.x, at.y, at.z}) {
      text.push_back(' ');
      appendNumber(text, value);
    }
    text.push_back(' ');
    text.append(matrix);
    text.push_back(' ');
    text.append(file);
    endLine();
  }

 private:
  void endLine() {
    text.append("\r\n");
    ++lines;
  }
};

// The surface: `columns` cells across, rows added one at a time. Vertex
// (i, j) lies at x = 20 i, z = 20 j. Its height is shared by the cells
// around it except across a terrace wall, where the two sides differ by
// the rise and an upright quad closes the gap. Walls stand between level
// terraces, so they fold against both at exactly 90 degrees.
class Surface {
 public:
  explicit Surface(int columns) : columns(columns) {}

  void header(LineWriter& out, long long requested) const;
  void row(LineWriter& out, long long j);
  // The edges along the far border, after the last row `rows` - 1.
  void footer(LineWriter& out, long long rows) const;

 private:
  static long long baseHeight(long long i, long long j) {
    switch (bandOf(i)) {
      case Band::kTiny:
        return pick(i, j, kTinySalt, 3) * kTinyStep;
      case Band::kSteep:
        return pick(i, j, kSteepSalt, 5) * kSteepStep;
      default:
        return 0;
    }
  }
  // Height added to every vertex of the cells in `column`.
  static long long terraceLevel(long long column) {
    if (bandOf(column) != Band::kTerraces) return 0;
    return kTerraceRise * (column % kBandWidth / kTerraceWidth);
  }
  // Vertex (i, j) as seen by the cells of `column`.
  static Point vertex(long long i, long long j, long long column) {
    return Point{i * kCellSide, baseHeight(i, j) + terraceLevel(column),
                 j * kCellSide};
  }
  bool isWall(long long i) const {
    return i > 0 && i < columns && terraceLevel(i - 1) != terraceLevel(i);
  }
  // Authors put conditional lines on curved areas and seldom on flat ones.
  static bool hasCondLine(long long i, long long j, Salt salt) {
    Band band = bandOf(i);
    bool curved = band == Band::kTiny || band == Band::kSteep;
    return pick(i, j, salt, 10) < (curved ? 9 : 1);
  }

  void cells(LineWriter& out, long long j) const;
  void walls(LineWriter& out, long long j) const;
  void condLines(LineWriter& out, long long j) const;
  void borderEdges(LineWriter& out, long long j) const;
  void rectTiles(LineWriter& out, long long j);
  void knobs(LineWriter& out, long long j);
  // Edges along the border row of vertices `j`, walls' ends included.
  void crossBorder(LineWriter& out, long long j) const;

  int columns;
  // Cells seen since the last reference of each kind, carried from row to
  // row so that narrow surfaces get references too.
  long long rectDue = 0;
  long long knobDue = 0;
};

void Surface::header(LineWriter& out, long long requested) const {
  out.comment("Generated terraced surface of about " +
              std::to_string(requested) + " lines");
  out.comment("Name: model.dat");
  out.comment("Author: quillery benchmark generator");
  out.comment("BFC CERTIFY CCW");
  out.comment("// " + std::to_string(columns) +
              " cells across; bands of flat, slightly bent, bent and "
              "terraced cells");
}

void Surface::row(LineWriter& out, long long j) {
  if (j % 32 == 0) out.comment("// rows from " + std::to_string(j));
  if (j == 0) crossBorder(out, 0);
  cells(out, j);
  walls(out, j);
  condLines(out, j);
  borderEdges(out, j);
  rectTiles(out, j);
  knobs(out, j);
}

void Surface::footer(LineWriter& out, long long rows) const {
  crossBorder(out, rows);
  out.comment("// end of surface");
}

//   (i,j) a ---- d (i+1,j)        x to the right, z downwards;
//         | \    |                a triangle pair is cut along a-c
//         |   \  |
// (i,j+1) b ---- c (i+1,j+1)
void Surface::cells(LineWriter& out, long long j) const {
  for (long long i = 0; i < columns; ++i) {
    Point a = vertex(i, j, i);
    Point b = vertex(i, j + 1, i);
    Point c = vertex(i + 1, j + 1, i);
    Point d = vertex(i + 1, j, i);
    int color =
        pick(i / 8, j / 8, kColorSalt, 6) == 0 ? kPatchColor : kMainColor;
    if (pick(i, j, kTriangleSalt, 25) == 0) {
      out.shape(kTriangleType, color, {a, b, c});
      out.shape(kTriangleType, color, {a, c, d});
      Band band = bandOf(i);
      if (band == Band::kTiny || band == Band::kSteep) {
        out.shape(kCondLineType, kEdgeColor, {a, c, b, d});
      }
    } else {
      out.shape(kQuadType, color, {a, b, c, d});
    }
  }
}

void Surface::walls(LineWriter& out, long long j) const {
  for (long long i = 1; i < columns; ++i) {
    if (!isWall(i)) continue;
    Point lowNear = vertex(i, j, i - 1);
    Point lowFar = vertex(i, j + 1, i - 1);
    Point highNear = vertex(i, j, i);
    Point highFar = vertex(i, j + 1, i);
    out.shape(kQuadType, kMainColor, {lowNear, lowFar, highFar, highNear});
    out.shape(kEdgeType, kEdgeColor, {lowNear, lowFar});
    out.shape(kEdgeType, kEdgeColor, {highNear, highFar});
  }
}

// A conditional line runs along a side shared by two cells; its control
// points are the corners of those cells across from the side.
void Surface::condLines(LineWriter& out, long long j) const {
  for (long long i = 0; i < columns; ++i) {
    // The side at the top of cell (i, j), shared with cell (i, j - 1).
    if (j > 0 && hasCondLine(i, j, kTopCondSalt)) {
      out.shape(kCondLineType, kEdgeColor,
                {vertex(i, j, i), vertex(i + 1, j, i), vertex(i, j - 1, i),
                 vertex(i, j + 1, i)});
    }
    // The side at the left of cell (i, j), shared with cell (i - 1, j).
    if (i > 0 && !isWall(i) && hasCondLine(i, j, kLeftCondSalt)) {
      out.shape(kCondLineType, kEdgeColor,
                {vertex(i, j, i), vertex(i, j + 1, i), vertex(i - 1, j, i),
                 vertex(i + 1, j, i)});
    }
  }
}

void Surface::borderEdges(LineWriter& out, long long j) const {
  out.shape(kEdgeType, kEdgeColor, {vertex(0, j, 0), vertex(0, j + 1, 0)});
  out.shape(
      kEdgeType, kEdgeColor,
      {vertex(columns, j, columns - 1), vertex(columns, j + 1, columns - 1)});
}

void Surface::crossBorder(LineWriter& out, long long j) const {
  for (long long i = 0; i < columns; ++i) {
    out.shape(kEdgeType, kEdgeColor, {vertex(i, j, i), vertex(i + 1, j, i)});
    if (isWall(i))
      out.shape(kEdgeType, kEdgeColor, {vertex(i, j, i - 1), vertex(i, j, i)});
  }
}

// Floor tiles under the surface, one cell each, in a run along the row:
// Rect and Rect2p primitives in colours 4 and 16, with plain, turned and
// mirroring matrices, some after an INVERTNEXT.
void Surface::rectTiles(LineWriter& out, long long j) {
  rectDue += columns;
  long long count = rectDue / kCellsPerReference;
  rectDue %= kCellsPerReference;
  long long start = pick(j, 0, kRectStartSalt, columns);
  for (long long k = 0; k < count; ++k) {
    long long i = (start + k) % columns;
    Point at{i * kCellSide + kCellSide / 2, kFloorY,
             j * kCellSide + kCellSide / 2};
    switch (pick(i, j, kRectKindSalt, 6)) {
      case 0:
        out.reference(kRedColor, at, "10 0 0 0 1 0 0 0 10", "rect.dat");
        break;
      case 1:
        out.reference(kMainColor, at, "-10 0 0 0 1 0 0 0 10", "rect.dat");
        break;
      case 2:
        out.comment("BFC INVERTNEXT");
        out.reference(kRedColor, at, "10 0 0 0 -1 0 0 0 10", "rect.dat");
        break;
      case 3:
        out.reference(kMainColor, at, "10 0 0 0 1 0 0 0 10", "rect2p.dat");
        break;
      case 4:
        out.reference(kRedColor, at, "0 0 10 0 1 0 -10 0 0", "rect2p.dat");
        break;
      default:
        out.reference(kMainColor, at, "10 0 0 0 1 0 0 0 -10", "rect.dat");
        break;
    }
  }
}

// Knobs in the key colour on level cells (flat bands and terraces), with
// plain, turned, mirroring and scaling matrices.
void Surface::knobs(LineWriter& out, long long j) {
  knobDue += columns;
  long long count = knobDue / kCellsPerReference;
  knobDue %= kCellsPerReference;
  for (long long k = 0; k < count; ++k) {
    long long column = pick(j, k, kKnobPlaceSalt, columns);
    // The last column of a flat band leans on the slightly bent band
    // after it; every terrace column is level.
    long long group = column - column % (4 * kBandWidth);
    long long offset = column % (kBandWidth - 1);
    long long i = group + (column % 2 == 0 ? 0 : 3 * kBandWidth) + offset;
    if (i >= columns) i = offset;
    Point at{i * kCellSide + kCellSide / 2, terraceLevel(i),
             j * kCellSide + kCellSide / 2};
    static constexpr std::string_view kMatrices[] = {
        "1 0 0 0 1 0 0 0 1",     "0 0 1 0 1 0 -1 0 0",  "-1 0 0 0 1 0 0 0 1",
        "1.5 0 0 0 1 0 0 0 1.5", "0 0 -1 0 1 0 -1 0 0",
    };
    out.reference(kKeyColor, at, kMatrices[pick(i, j, kKnobKindSalt, 5)],
                  "knob.dat");
  }
}

long long columnsFor(long long lines) {
  long long cells = lines * 10 / kLinesPerCellTimes10;
  long long columns = 1;
  while ((columns + 1) * (columns + 1) <= cells) ++columns;
  return columns < kMinColumns ? kMinColumns : columns;
}

bool writeFile(const std::filesystem::path& path, const std::string& bytes) {
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(bytes.data(), static_cast<std::streamsize>(bytes.size()));
  out.close();
  return !out.fail();
}

std::string crlf(std::initializer_list<std::string_view> lines) {
  std::string text;
  for (std::string_view line : lines) {
    text.append(line);
    text.append("\r\n");
  }
  return text;
}

}  // namespace

GeneratedModel generateModel(long long lines) {
  Surface surface(static_cast<int>(columnsFor(lines)));
  LineWriter out;
  surface.header(out, lines);
  LineWriter last;
  surface.footer(last, 0);
  // The footer has as many lines after every row.
  const long long footerLines = last.lines;
  long long rows = 0;
  while (true) {
    std::size_t size = out.text.size();
    long long count = out.lines;
    surface.row(out, rows);
    if (rows > 0 && out.lines + footerLines > lines) {
      out.text.resize(size);
      out.lines = count;
      break;
    }
    ++rows;
  }
  surface.footer(out, rows);
  return GeneratedModel{std::move(out.text), out.lines};
}

GeneratedModel generateDenseModel(long long lines) {
  // Three lines a cell: the quad and the conditional lines on its top and
  // left sides; the grid is about square.
  long long columns = kMinColumns;
  while ((columns + 1) * (columns + 1) * 3 <= lines) ++columns;
  // Every vertex gets its own small height, so almost every quad is bent by
  // a fraction of a degree to a degree or two.
  auto vertex = [](long long i, long long j) {
    return Point{i * kCellSide,
                 pick(i, j, kDenseHeightSalt, 8) * kDenseStep, j * kCellSide};
  };
  LineWriter out;
  out.comment("Dense height field: every interior side carries a conditional line");
  out.comment("Name: dense.dat");
  out.comment("BFC CERTIFY CCW");
  for (long long j = 0;; ++j) {
    std::size_t size = out.text.size();
    long long count = out.lines;
    for (long long i = 0; i < columns; ++i) {
      out.shape(kQuadType, kMainColor,
                {vertex(i, j), vertex(i + 1, j), vertex(i + 1, j + 1),
                 vertex(i, j + 1)});
      if (j > 0) {
        out.shape(kCondLineType, kEdgeColor,
                  {vertex(i, j), vertex(i + 1, j), vertex(i, j - 1),
                   vertex(i, j + 1)});
      }
      if (i > 0) {
        out.shape(kCondLineType, kEdgeColor,
                  {vertex(i, j), vertex(i, j + 1), vertex(i - 1, j),
                   vertex(i + 1, j)});
      }
    }
    if (j > 0 && out.lines > lines) {
      out.text.resize(size);
      out.lines = count;
      break;
    }
  }
  return GeneratedModel{std::move(out.text), out.lines};
}

std::string rectText() {
  return crlf({
      "0 Rectangle 2 x 2 with all four edges",
      "0 Name: rect.dat",
      "0 Author: quillery benchmark generator",
      "0 BFC CERTIFY CCW",
      "2 24 1 0 1 -1 0 1",
      "2 24 -1 0 1 -1 0 -1",
      "2 24 -1 0 -1 1 0 -1",
      "2 24 1 0 -1 1 0 1",
      "4 16 -1 0 1 -1 0 -1 1 0 -1 1 0 1",
  });
}

std::string rect2pText() {
  return crlf({
      "0 Rectangle 2 x 2 with edges on two opposite sides",
      "0 Name: rect2p.dat",
      "0 Author: quillery benchmark generator",
      "0 BFC CERTIFY CCW",
      "2 24 1 0 1 -1 0 1",
      "2 24 -1 0 -1 1 0 -1",
      "4 16 -1 0 1 -1 0 -1 1 0 -1 1 0 1",
  });
}

//   bottom corners b0..b3 at y 0, half-width 6; top corners t0..t3 at
//   y -4, half-width 4; apex at y -6. Seen from above:
//     t1 ---- t0      the sides are quads b(k) b(k+1) t(k+1) t(k),
//     |  \  / |       the top four triangles t(k) t(k+1) apex,
//     |  apex |       the bottom an inverted Rect
//     |  /  \ |
//     t2 ---- t3
std::string knobText() {
  return crlf({
      "0 Knob: a tapered block with a pointed top",
      "0 Name: knob.dat",
      "0 Author: quillery benchmark generator",
      "0 BFC CERTIFY CCW",
      "0 BFC INVERTNEXT",
      "1 16 0 0 0 6 0 0 0 1 0 0 0 6 rect.dat",
      "4 16 6 0 6 -6 0 6 -4 -4 4 4 -4 4",
      "4 16 -6 0 6 -6 0 -6 -4 -4 -4 -4 -4 4",
      "4 16 -6 0 -6 6 0 -6 4 -4 -4 -4 -4 -4",
      "4 16 6 0 -6 6 0 6 4 -4 4 4 -4 -4",
      "3 16 4 -4 4 -4 -4 4 0 -6 0",
      "3 16 -4 -4 4 -4 -4 -4 0 -6 0",
      "3 16 -4 -4 -4 4 -4 -4 0 -6 0",
      "3 16 4 -4 -4 4 -4 4 0 -6 0",
      "2 24 4 -4 4 -4 -4 4",
      "2 24 -4 -4 4 -4 -4 -4",
      "2 24 -4 -4 -4 4 -4 -4",
      "2 24 4 -4 -4 4 -4 4",
      "5 24 6 0 6 4 -4 4 6 0 -6 -6 0 6",
      "5 24 -6 0 6 -4 -4 4 6 0 6 -6 0 -6",
      "5 24 -6 0 -6 -4 -4 -4 -6 0 6 6 0 -6",
      "5 24 6 0 -6 4 -4 -4 -6 0 -6 6 0 6",
      "5 24 4 -4 4 0 -6 0 4 -4 -4 -4 -4 4",
      "5 24 -4 -4 4 0 -6 0 4 -4 4 -4 -4 -4",
      "5 24 -4 -4 -4 0 -6 0 -4 -4 4 4 -4 -4",
      "5 24 4 -4 -4 0 -6 0 -4 -4 -4 4 -4 4",
  });
}

bool writeModel(const std::string& dir, long long lines, bool dense) {
  std::filesystem::path root(dir);
  std::error_code error;
  std::filesystem::create_directories(root / "p", error);
  if (error) return false;
  GeneratedModel model = dense ? generateDenseModel(lines) : generateModel(lines);
  return writeFile(root / "model.dat", model.text) &&
         writeFile(root / "p" / "rect.dat", rectText()) &&
         writeFile(root / "p" / "rect2p.dat", rect2pText()) &&
         writeFile(root / "knob.dat", knobText());
}

}  // namespace quillery::bench
