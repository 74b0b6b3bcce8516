// Runs the built tool on real library parts and compares the console output
// and the written file byte for byte with the recorded results.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <sstream>
#include <string>
#include <vector>

#include "test_util.h"

namespace quillery::testing {
namespace {

namespace fs = std::filesystem;

// A row of a cases.tsv: part, name, options, exit code.
struct SampleCase {
  std::string part;
  std::string name;
  std::vector<std::string> options;
  int exitCode = 0;
};

std::vector<SampleCase> readCases(const fs::path& table) {
  std::vector<SampleCase> cases;
  std::ifstream in(table);
  std::string line;
  std::getline(in, line);  // column titles
  while (std::getline(in, line)) {
    SampleCase sample;
    std::string options;
    std::stringstream fields(line);
    std::getline(fields, sample.part, '\t');
    std::getline(fields, sample.name, '\t');
    std::getline(fields, options, '\t');
    if (!(fields >> sample.exitCode)) continue;
    std::stringstream words(options);
    for (std::string option; words >> option;) sample.options.push_back(option);
    cases.push_back(sample);
  }
  return cases;
}

// Runs every case that `folder`/cases.tsv lists on the parts in
// `folder`/parts, with the Rect primitives of the sample library.
void expectRecordedBytes(const fs::path& folder) {
  const fs::path sample = QUILLERY_SAMPLE_DIR;
  if (!fs::exists(folder / "cases.tsv")) {
    GTEST_SKIP() << "sample parts not found at " << folder;
  }
  std::vector<SampleCase> cases = readCases(folder / "cases.tsv");
  ASSERT_FALSE(cases.empty());
  ScopedTempDir work;
  linkOrCopyFolder(sample / "p", work.path() / "p");
  linkOrCopyFolder(folder / "parts", work.path() / "parts");
  for (const SampleCase& sampleCase : cases) {
    SCOPED_TRACE(sampleCase.part + " " + sampleCase.name);
    fs::remove(work.path() / "out.dat");
    std::vector<std::string> args = sampleCase.options;
    args.insert(args.end(), {"-l", ".", "parts/" + sampleCase.part, "out.dat"});
    RunResult run = runBinary(work.path(), args);
    // Results are recorded under the part's name, or under its stem.
    fs::path expected = folder / "expected" / (sampleCase.part + "." + sampleCase.name);
    if (!fs::exists(expected.string() + ".dat")) {
      std::string stem = sampleCase.part.substr(0, sampleCase.part.rfind('.'));
      expected = folder / "expected" / (stem + "." + sampleCase.name);
    }
    EXPECT_EQ(run.exitCode, sampleCase.exitCode);
    EXPECT_EQ(run.console, readBytes(expected.string() + ".stdout"));
    EXPECT_EQ(readBytes(work.path() / "out.dat"),
              readBytes(expected.string() + ".dat"));
  }
}

TEST(SamplePartsTest, EveryRecordedCaseGivesTheSameBytes) {
  expectRecordedBytes(QUILLERY_SAMPLE_DIR);
}

// Multi-part documents, a byte order mark and direct colours.
TEST(SamplePartsTest, EveryRecordedDocumentCaseGivesTheSameBytes) {
  expectRecordedBytes(fs::path(QUILLERY_SAMPLE_DIR) / "more");
}

}  // namespace
}  // namespace quillery::testing
