// Tests of the uncolouring: every line element in colour 24, every other
// coloured element in 16, comments untouched, after quad splitting or alone.
#include "passes/uncolor.h"

#include <gtest/gtest.h>

#include <sstream>
#include <string>
#include <vector>

#include "memory_file_access.h"
#include "model/model.h"
#include "passes/split_quads.h"

namespace quillery {
namespace {

using Lines = std::vector<std::string>;

class UncolorTest : public ::testing::Test {
 protected:
  // Reads `input`, splits its quads first when `splitFirst`, uncolours, and
  // returns the written bytes.
  static std::string uncolored(const Lines& input, bool splitFirst) {
    Model model;
    int counts[6] = {0, 0, 0, 0, 0, 0};
    model.readText(textOf(input, "\n"), counts);
    if (splitFirst) splitQuads(model, -1, true);
    uncolor(model);
    MemoryFileAccess files;
    std::ostringstream console;
    EXPECT_EQ(model.writeFile("out.dat", false, files, console),
              Model::WriteResult::kWritten);
    return files.outputs["out.dat"];
  }

  static std::string textOf(const Lines& lines, const std::string& end) {
    std::string text;
    for (const std::string& line : lines) text += line + end;
    return text;
  }
};

TEST_F(UncolorTest, GivesSplitTrianglesMainColourAndEveryLineEdgeColour) {
  EXPECT_EQ(uncolored(
                {
                    "0 Bracket  with   odd spacing ",
                    "0 // 4 4 0 0 0 1 0 0 1 0 1 0 0 1",
                    "1 24 0 -8 0 1 0 0 0 1 0 0 0 1 stud.dat",
                    "2 16 0 0 0 10 0 0",
                    "5 7 100 0 0 110 0 0 100 0 10 100 -10 0",
                    "4 1 0 0 0 10 0 0 10 0 10 0 0 10",
                    "4 4 10 0 10 10 0 0 27.32051 -10 0 27.32051 -10 10",
                    "3 24 50 0 0 60 0 0 50 0 10",
                },
                true),
            textOf(
                {
                    "0 Bracket  with   odd spacing ",
                    "0 // 4 4 0 0 0 1 0 0 1 0 1 0 0 1",
                    "1 16 0 -8 0 1 0 0 0 1 0 0 0 1 stud.dat",
                    "2 24 0 0 0 10 0 0",
                    "5 24 100 0 0 110 0 0 100 0 10 100 -10 0",
                    "3 16 0 0 0 10 0 0 10 0 10",
                    "3 16 10 0 10 10 0 0 27.32051 -10 0",
                    "3 16 50 0 0 60 0 0 50 0 10",
                    "3 16 10 0 10 0 0 10 0 0 0",
                    "5 24 10 0 10 10 0 0 27.32051 -10 0 0 0 0",
                    "3 16 27.32051 -10 0 27.32051 -10 10 10 0 10",
                },
                "\r\n"));
  // Alone, the pass recolours quads too.
  EXPECT_EQ(uncolored({"4 4 0 0 0 1 0 0 1 0 1 0 0 1"}, false),
            "4 16 0 0 0 1 0 0 1 0 1 0 0 1\r\n");
  EXPECT_EQ(uncolored({}, false), "");
}

}  // namespace
}  // namespace quillery
