// Tests of SubfileRef: reading and writing type-1 lines, and how moving and
// transforming a reference act on its position and matrix.
#include "elements/subfile_ref.h"

#include <gtest/gtest.h>

#include <string>
#include <string_view>
#include <utility>

namespace quillery {
namespace {

using namespace std::string_view_literals;

// Damaged fields of every kind are read end to end in
// tests/bad_input_test.cc.
TEST(SubfileRefTest, ReadsAndWritesTypeOneLines) {
  const std::pair<std::string_view, std::string_view> cases[] = {
      {"1 16 0 -8 0 1 0 0 0 1 0 0 0 1 piece.dat",
       "1 16 0 -8 0 1 0 0 0 1 0 0 0 1 piece.dat"},
      // The name is everything after the twelfth number, as written.
      {"1 16 0 0 0 1 0 0 0 1 0 0 0 1 my s\\Part.DAT  ",
       "1 16 0 0 0 1 0 0 0 1 0 0 0 1 my s\\Part.DAT  "},
      {"1 16 0 0 0 1 0 0 0 1 0 0 0 1 a\tb\0c.dat"sv,
       "1 16 0 0 0 1 0 0 0 1 0 0 0 1 a\tb\0c.dat"sv},
      // Blanks and tabs before the name are not part of it.
      {"1 16 0 0 0 1 0 0 0 1 0 0 0 1\t \tpiece.dat",
       "1 16 0 0 0 1 0 0 0 1 0 0 0 1 piece.dat"},
      {" \t1\t16  0 0 0\t1 0 0 0 1 0 0 0 1 piece.dat",
       "1 16 0 0 0 1 0 0 0 1 0 0 0 1 piece.dat"},
      // No name: a single blank after the matrix.
      {"1 16 0 0 0 1 0 0 0 1 0 0 0 1", "1 16 0 0 0 1 0 0 0 1 0 0 0 1 "},
      // Numbers are written back in seven significant digits.
      {"1 16 1.000000 -0 12.3456789 5.5abc 0 0 0 1 0 0 0 1 a.dat",
       "1 16 1 -0 12.34568 5.5 0 0 0 1 0 0 0 1 a.dat"},
      // A token that is not a number ends the reading: the rows read so far
      // (a partly read one too) stay, the rest and the name stay empty.
      {"1 16 0 0 x 1 0 0 0 1 0 0 0 1 a.dat", "1 16 0 0 0 0 0 0 0 0 0 0 0 0 "},
      {"1 16 1 2 3 1 0 0 0 1 0 0 0 x a.dat", "1 16 1 2 3 1 0 0 0 1 0 0 0 0 "},
  };
  for (const auto& [line, written] : cases) {
    EXPECT_EQ(SubfileRef(line).toText(), written) << line;
  }
}

TEST(SubfileRefTest, MovesThePositionAndComposesInFrontOfTheMatrix) {
  SubfileRef ref("1 16 1 2 3 2 0 0 0 1 0 0 0 1 a.dat");
  ref.translate(Vector(1, 2, 3));
  EXPECT_EQ(ref.toText(), "1 16 2 4 6 2 0 0 0 1 0 0 0 1 a.dat");
  // A quarter turn about y after a stretch along x: t x M puts the stretch
  // on the new z axis, M x t would leave it on x.
  ref.transform(Matrix(0, 0, 1, 0, 1, 0, -1, 0, 0));
  EXPECT_EQ(ref.toText(), "1 16 6 4 -2 0 0 1 0 1 0 -2 0 0 a.dat");
  // Reversing leaves a reference as it is, even a mirroring one.
  SubfileRef mirror("1 16 1 2 3 -1 0 0 0 1 0 0 0 1 a.dat");
  mirror.reverse();
  EXPECT_EQ(mirror.toText(), "1 16 1 2 3 -1 0 0 0 1 0 0 0 1 a.dat");
}

}  // namespace
}  // namespace quillery
