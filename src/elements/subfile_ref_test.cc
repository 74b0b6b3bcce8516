// Tests of SubfileRef: reading and writing type-1 lines, and how moving and
// transforming a reference act on its position and matrix.
#include "elements/subfile_ref.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>

namespace quillery {
namespace {

using namespace std::string_view_literals;

TEST(SubfileRefTest, ReadsAndWritesTypeOneLines) {
  struct Case {
    std::string_view line;
    std::string_view written;
  };
  const Case cases[] = {
      {"1 16 0 -8 0 1 0 0 0 1 0 0 0 1 piece.dat",
       "1 16 0 -8 0 1 0 0 0 1 0 0 0 1 piece.dat"},
      // The name is everything after the twelfth number, as written.
      {"1 16 0 0 0 1 0 0 0 1 0 0 0 1 my part.dat",
       "1 16 0 0 0 1 0 0 0 1 0 0 0 1 my part.dat"},
      {"1 16 0 0 0 1 0 0 0 1 0 0 0 1 s\\Piece.DAT",
       "1 16 0 0 0 1 0 0 0 1 0 0 0 1 s\\Piece.DAT"},
      {"1 16 0 0 0 1 0 0 0 1 0 0 0 1 piece.dat  ",
       "1 16 0 0 0 1 0 0 0 1 0 0 0 1 piece.dat  "},
      {"1 16 0 0 0 1 0 0 0 1 0 0 0 1 a\tb\0c.dat"sv,
       "1 16 0 0 0 1 0 0 0 1 0 0 0 1 a\tb\0c.dat"sv},
      // Blanks and tabs before the name are not part of it.
      {"1 16 0 0 0 1 0 0 0 1 0 0 0 1\t \tpiece.dat",
       "1 16 0 0 0 1 0 0 0 1 0 0 0 1 piece.dat"},
      {" \t1\t16  0 0 0\t1 0 0 0 1 0 0 0 1 piece.dat",
       "1 16 0 0 0 1 0 0 0 1 0 0 0 1 piece.dat"},
      // No name: a single blank after the matrix.
      {"1 16 0 0 0 1 0 0 0 1 0 0 0 1", "1 16 0 0 0 1 0 0 0 1 0 0 0 1 "},
      {"1 16 0 0 0 1 0 0 0 1 0 0 0 1   ", "1 16 0 0 0 1 0 0 0 1 0 0 0 1 "},
      // Numbers missing at the end stay 0.
      {"1 4 10 20 30", "1 4 10 20 30 0 0 0 0 0 0 0 0 0 "},
      {"1", "1 0 0 0 0 0 0 0 0 0 0 0 0 0 "},
      // Colour: only leading decimal digits count; no number gives 0.
      {"1 0x2FF 1 2 3 1 0 0 0 1 0 0 0 1 a.dat",
       "1 0 1 2 3 1 0 0 0 1 0 0 0 1 a.dat"},
      {"1 x 1 2 3 1 0 0 0 1 0 0 0 1 a.dat",
       "1 0 1 2 3 1 0 0 0 1 0 0 0 1 a.dat"},
      // Numbers are written back in seven significant digits.
      {"1 16 1.000000 -0 12.3456789 5.5abc 0 0 0 1 0 0 0 1 a.dat",
       "1 16 1 -0 12.34568 5.5 0 0 0 1 0 0 0 1 a.dat"},
      {"1 16 1e400 nan -1e400 1 0 0 0 1 0 0 0 1 a.dat",
       "1 16 inf nan -inf 1 0 0 0 1 0 0 0 1 a.dat"},
      // A token that is not a number ends the reading: the rows read so far
      // (a partly read one too) stay, the rest and the name stay empty.
      {"1 16 1 2 3 4 5 6 7 x 0 0 0 1 a.dat", "1 16 1 2 3 4 5 6 7 0 0 0 0 0 "},
      {"1 16 0 0 x 1 0 0 0 1 0 0 0 1 a.dat", "1 16 0 0 0 0 0 0 0 0 0 0 0 0 "},
      {"1 16 1 2 3 1 0 0 0 1 0 0 0 x a.dat", "1 16 1 2 3 1 0 0 0 1 0 0 0 0 "},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.line));
    EXPECT_EQ(SubfileRef(c.line).toText(), c.written);
  }
}

TEST(SubfileRefTest, TranslateMovesOnlyThePosition) {
  SubfileRef ref("1 16 1 2 3 2 0 0 0 1 0 0 0 1 a.dat");
  ref.translate(Vector(1, 2, 3));
  EXPECT_EQ(ref.toText(), "1 16 2 4 6 2 0 0 0 1 0 0 0 1 a.dat");
}

TEST(SubfileRefTest, TransformComposesInFrontOfTheMatrix) {
  // A quarter turn about y after a stretch along x: t x M puts the stretch
  // on the new z axis, M x t would leave it on x.
  SubfileRef ref("1 16 1 2 3 2 0 0 0 1 0 0 0 1 a.dat");
  ref.transform(Matrix(0, 0, 1, 0, 1, 0, -1, 0, 0));
  EXPECT_EQ(ref.toText(), "1 16 3 2 -1 0 0 1 0 1 0 -2 0 0 a.dat");
}

TEST(SubfileRefTest, ReverseLeavesTheReferenceAsItIs) {
  SubfileRef ref("1 16 1 2 3 -1 0 0 0 1 0 0 0 1 a.dat");
  ref.reverse();
  EXPECT_EQ(ref.toText(), "1 16 1 2 3 -1 0 0 0 1 0 0 0 1 a.dat");
}

}  // namespace
}  // namespace quillery
