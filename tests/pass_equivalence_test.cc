// The tool's indexed quad splitting against the plain full-scan reference:
// random models must come out byte for byte the same, console output
// included.
#include <gtest/gtest.h>

#include <cmath>
#include <limits>
#include <random>
#include <sstream>
#include <string>

#include "memory_file_access.h"
#include "model/model.h"
#include "passes/split_quads.h"
#include "reference/reference_passes.h"

namespace quillery {
namespace {

// Builds random LDraw text designed to stress the neighbour search: quads
// and triangles over a coarse lattice so that sides are shared, corners
// jittered by amounts just inside and just outside the coincidence
// tolerance, folds of every size (flat, below 0.1 degrees, exactly 90),
// duplicated surfaces, triangles with two corners at one lattice point,
// conditional lines on sides and on diagonals, and the odd NaN or infinite
// coordinate; then, when asked, a grid of quads or surfaces that share no
// corner, enough to make the indexes grow after the lattice is filed.
class RandomModel {
 public:
  explicit RandomModel(unsigned seed) : random(seed) {}

  std::string text(int cells, int grid, int isolated) {
    std::ostringstream out;
    out << "0 random model\n";
    if (chance(0.5)) out << "0 BFC CERTIFY " << (chance(0.5) ? "CW" : "CCW") << "\n";
    for (int k = 0; k < cells; ++k) {
      int i = pick(0, 5);
      int j = pick(0, 5);
      std::string a = vertex(i, j);
      std::string b = vertex(i + 1, j);
      std::string c = vertex(i + 1, j + 1);
      std::string d = vertex(i, j + 1);
      const std::string lineColor = chance(0.7) ? "16 " : "0 ";
      const int kind = pick(0, 9);
      if (kind < 4) {
        out << "4 " << lineColor << a << " " << b << " " << c << " " << d;
      } else if (kind == 4) {
        out << "3 " << lineColor << a << " " << b << " " << c;
      } else if (kind == 5 || kind == 6) {
        // A conditional line on a side, or on a diagonal.
        out << "5 24 " << (kind == 5 ? a + " " + b + " " + c
                                     : c + " " + a + " " + b) << " " << d;
      } else if (kind == 7 && chance(0.5)) {
        out << "2 24 " << a << " " << b;
      } else if (kind == 7) {
        // Two corners at one lattice point, jittered apart or not.
        out << "3 " << lineColor << a << " " << b << " " << vertex(i, j);
      } else if (kind == 8) {
        // An upright wall on a lattice side: folds of exactly 90 degrees.
        out << "4 " << lineColor << a << " " << b << " " << lift(b) << " "
            << lift(a);
      } else {
        out << "4 " << lineColor << d << " " << c << " " << b << " " << a;
      }
      out << "\n";
    }
    // Every corner of the grid is shared, so whichever cell makes an index
    // grow has neighbours to be found afterwards.
    // Its corners are not jittered and its folds are steep, so that a
    // neighbour missed loses a line.
    auto corner = [](int i, int j) {
      return std::to_string(i * 10) + " " +
             std::to_string((i * 3 + j * 5) % 7) + " " +
             std::to_string(j * 10);
    };
    for (int i = 0; i < grid; ++i) {
      for (int j = 0; j < grid; ++j) {
        out << "4 16 " << corner(i, j) << " " << corner(i + 1, j) << " "
            << corner(i + 1, j + 1) << " " << corner(i, j + 1) << "\n";
      }
    }
    for (int k = 0; k < isolated; ++k) {
      double x = 100 + 2 * k;
      out << "4 16 " << x << " 0 -1 " << x + 1 << " 0 -1 " << x + 1
          << " 0.5 -2 " << x << " 0 -2\n";
      out << "3 16 " << x << " 0 2 " << x + 0.002 << " 0 2 " << x
          << " 1 3\n";
    }
    return out.str();
  }

 private:
  bool chance(double p) { return std::uniform_real_distribution<>(0, 1)(random) < p; }
  int pick(int low, int high) {
    return std::uniform_int_distribution<>(low, high)(random);
  }

  double jitter() {
    static const double kOffsets[] = {0, 0, 0, 0, 0.0005, -0.0005, 0.001,
                                      -0.001, 0.0011, -0.0011, 0.003};
    return kOffsets[pick(0, 10)];
  }

  double height(int i, int j) {
    // A gentle height field with a few sharp folds and tiny bends.
    static const double kBends[] = {0, 0, 0.001, 0.05, 1, 3, 10};
    return (i * 7 + j * 3) % 5 * kBends[(i + 2 * j) % 7];
  }

  std::string number(double value) {
    if (chance(0.002)) return "nan";
    if (chance(0.001)) return "-inf";
    std::ostringstream text;
    text.precision(9);
    text << value;
    return text.str();
  }

  std::string vertex(int i, int j) {
    return number(i * 10 + jitter()) + " " + number(height(i, j) + jitter()) +
           " " + number(j * 10 + jitter());
  }

  std::string lift(const std::string& vertex) {
    std::istringstream in(vertex);
    std::string x, y, z;
    in >> x >> y >> z;
    return x + " " + number(std::atof(y.c_str()) - 10) + " " + z;
  }

  std::mt19937 random;
};

struct RunOutput {
  std::string file;
  std::string console;
};

using SplitFunction = void (*)(Model&, int, bool);

RunOutput splitAndWrite(const std::string& text, SplitFunction split,
                        int keyColor, bool manageCondLines) {
  Model model;
  int counts[6] = {0, 0, 0, 0, 0, 0};
  model.readText(text, counts);
  split(model, keyColor, manageCondLines);
  MemoryFileAccess files;
  std::ostringstream console;
  EXPECT_EQ(model.writeFile("out.dat", false, files, console),
            Model::WriteResult::kWritten);
  return {files.outputs["out.dat"], console.str()};
}

// Batches of a few quads, over a few list positions, shared between the
// threads from two quads on, in turns of two quads or eight list entries:
// small models then cross every kind of border between batches and between
// the two threads' turns.
void splitInSmallBatches(Model& model, int keyColor, bool manageCondLines) {
  QuadSplitter(model, SplitBatching{5, 40, 2, 2, 8})
      .splitQuads(keyColor, manageCondLines);
}

TEST(PassEquivalenceTest, IndexedSplittingMatchesFullScans) {
  for (unsigned seed = 1; seed <= 300; ++seed) {
    RandomModel generator(seed);
    // Some models add a grid of 576 quads, others 400 quads and 400 pinched
    // triangles sharing no corner.
    std::string text = generator.text(10 + static_cast<int>(seed % 60),
                                      seed % 100 == 50 ? 24 : 0,
                                      seed % 100 == 0 ? 400 : 0);
    for (int keyColor : {-1, 0}) {
      for (bool manage : {true, false}) {
        SCOPED_TRACE("seed " + std::to_string(seed) + " key " +
                     std::to_string(keyColor) + (manage ? "" : " -c"));
        RunOutput fast = splitAndWrite(text, &splitQuads, keyColor, manage);
        RunOutput batched =
            splitAndWrite(text, &splitInSmallBatches, keyColor, manage);
        RunOutput simple =
            splitAndWrite(text, &reference::splitQuads, keyColor, manage);
        ASSERT_EQ(fast.file, simple.file) << text;
        ASSERT_EQ(fast.console, simple.console);
        ASSERT_EQ(batched.file, simple.file) << text;
        ASSERT_EQ(batched.console, simple.console);
      }
    }
  }
}

}  // namespace
}  // namespace quillery
