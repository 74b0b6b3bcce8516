// Reads outputs the way a viewer applying back-face culling does, under
// both readings of a late CERTIFY line, and checks that every surface faces,
// and is culled or not, as in the input: the recorded results, and the
// tool's output on real parts and on parts of our own.
#include "bfc_check.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <sstream>
#include <fstream>
#include <string>
#include <vector>

#include "test_util.h"

namespace quillery::testing {
namespace {

namespace fs = std::filesystem;

const fs::path kSampleDir = QUILLERY_SAMPLE_DIR;
const fs::path kOwnDir =
    fs::path(QUILLERY_SOURCE_DIR) / "tests" / "data" / "bfc";

// Where a viewer finds the subfiles of a part kept in `root`/parts.
std::vector<fs::path> libraryOf(const fs::path& root) {
  return {root / "parts", root / "p"};
}

// Runs the tool on `root`/parts/`part` as a library user does and checks
// its output against the part; empty when every face is kept.
std::string runAndCheck(const fs::path& root, const std::string& part,
                        std::vector<std::string> args) {
  ScopedTempDir work;
  linkOrCopyFolder(root / "p", work.path() / "p");
  linkOrCopyFolder(root / "parts", work.path() / "parts");
  args.insert(args.end(), {"-l", ".", "parts/" + part, "out.dat"});
  RunResult run = runBinary(work.path(), args);
  if (run.exitCode != 0) return "exit code " + std::to_string(run.exitCode);
  return checkFacesKept(root / "parts" / part, work.path() / "out.dat",
                        libraryOf(root));
}

std::vector<std::string> partsIn(const fs::path& folder) {
  std::vector<std::string> names;
  for (const auto& entry : fs::directory_iterator(folder)) {
    if (entry.is_regular_file())
      names.push_back(entry.path().filename().string());
  }
  std::sort(names.begin(), names.end());
  return names;
}

TEST(BfcCheckTest, RecordedSampleOutputsKeepEveryFace) {
  if (!fs::exists(kSampleDir / "expected")) {
    GTEST_SKIP() << "sample parts not found at " << kSampleDir;
  }
  int checked = 0;
  for (const std::string& name : partsIn(kSampleDir / "expected")) {
    if (!name.ends_with(".dat")) continue;
    std::string part = name.substr(0, name.find('.')) + ".dat";
    std::string report =
        checkFacesKept(kSampleDir / "parts" / part,
                       kSampleDir / "expected" / name, libraryOf(kSampleDir));
    EXPECT_TRUE(report.empty()) << name << ": " << report;
    ++checked;
  }
  EXPECT_GE(checked, 24 * 5);
}

// The recorded cases hold every other option set byte for byte, and their
// outputs are checked above; flattening by key colour is not recorded.
TEST(BfcCheckTest, EverySamplePartKeepsEveryFaceWhenFlattened) {
  if (!fs::exists(kSampleDir / "parts")) {
    GTEST_SKIP() << "sample parts not found at " << kSampleDir;
  }
  for (const std::string& part : partsIn(kSampleDir / "parts")) {
    SCOPED_TRACE(part);
    std::string report = runAndCheck(kSampleDir, part, {"-k", "16"});
    EXPECT_TRUE(report.empty()) << report;
  }
}

TEST(BfcCheckTest, OwnPartsKeepEveryFace) {
  struct Case {
    std::string part;
    std::vector<std::string> options;
  };
  const Case cases[] = {
      {"cwrects.dat", {}},
      {"cwrects.dat", {"-q"}},
      {"cwrects.dat", {"-k", "16"}},
      {"localcw.dat", {}},
      {"localcw.dat", {"-c"}},
      {"noclip.dat", {}},
      {"noclip.dat", {"-q"}},
      {"keymix.dat", {"-k", "16"}},
      {"keymix.dat", {"-k", "16", "-q"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.part + " " + ::testing::PrintToString(c.options));
    std::string report = runAndCheck(kOwnDir, c.part, c.options);
    EXPECT_TRUE(report.empty()) << report;
  }
}

// Writes each section of the multi-part document `document` to a file of
// its own name in `folder`, where a viewer finds the references to it, and
// returns the first section, the model the document shows.
fs::path splitSections(const fs::path& document, const fs::path& folder) {
  std::istringstream lines(readBytes(document));
  fs::path first;
  std::ofstream section;
  for (std::string line; std::getline(lines, line);) {
    std::istringstream words(line);
    std::string zero;
    std::string keyword;
    std::string name;
    words >> zero >> keyword >> name;
    if (zero == "0" && (keyword == "FILE" || keyword == "NOFILE")) {
      section.close();
      if (keyword == "NOFILE") continue;
      section.open(folder / name, std::ios::binary);
      if (first.empty()) first = folder / name;
      continue;
    }
    if (section.is_open()) section << line << '\n';
  }
  return first;
}

// A model kept as one multi-part document, flattened with -k 16 and split:
// every surface of its sections, placed, comes out with its colour, facing
// and culling.
TEST(BfcCheckTest, MultiPartModelKeepsEveryFaceAndColour) {
  const fs::path examples = fs::path(QUILLERY_SOURCE_DIR) / "examples";
  for (const std::vector<std::string>& options :
       {std::vector<std::string>{"-k", "16"}, std::vector<std::string>{}}) {
    SCOPED_TRACE(::testing::PrintToString(options));
    ScopedTempDir work;
    std::vector<std::string> args = options;
    args.insert(args.end(), {"-l", (examples / "ldraw").string(),
                             (examples / "model.mpd").string(), "out.mpd"});
    ASSERT_EQ(runBinary(work.path(), args).exitCode, 0);
    fs::create_directories(work.path() / "in");
    fs::create_directories(work.path() / "out");
    const fs::path library = examples / "ldraw" / "p";
    std::vector<Surface> input = flattenSurfaces(
        splitSections(examples / "model.mpd", work.path() / "in"),
        {work.path() / "in", library}, LateCertify::kSwitchesWinding);
    ASSERT_FALSE(input.empty());
    for (LateCertify reading :
         {LateCertify::kSwitchesWinding, LateCertify::kIgnored}) {
      std::vector<Surface> output = flattenSurfaces(
          splitSections(work.path() / "out.mpd", work.path() / "out"),
          {work.path() / "out", library}, reading);
      std::string report = compareSurfaces(input, output, true);
      EXPECT_TRUE(report.empty()) << report;
    }
  }
}

// The checker itself: rewritings of one small part that a viewer shows
// differently, or the same, and the start of the report on each.
TEST(BfcCheckTest, TellsWhichSurfacesAnOutputBreaks) {
  ScopedTempDir work;
  const std::string part = tableRows("bfc_checker.txt", "input")[0][0];
  writeBytes(work.path() / "in.dat", part);
  const std::vector<fs::path> library = {work.path(), kOwnDir / "p"};
  for (const auto& row : tableRows("bfc_checker.txt", "output")) {
    SCOPED_TRACE(row[0]);
    writeBytes(work.path() / "out.dat", row[0]);
    const std::string report = checkFacesKept(work.path() / "in.dat",
                                              work.path() / "out.dat", library);
    EXPECT_EQ(report.substr(0, row[1].size()), row[1]);
    EXPECT_EQ(report.empty(), row[1].empty()) << report;
  }
}

}  // namespace
}  // namespace quillery::testing
