// The whole run: runQuillery through DiskFileAccess on a generated folder
// (read, expand, split, write), standard input empty and the console text
// discarded; with default options, with -r -q and with -k 16.
#include <benchmark/benchmark.h>

#include <filesystem>
#include <sstream>
#include <streambuf>
#include <string>
#include <vector>

#include "driver/driver.h"
#include "model/file_access.h"
#include "model_gen.h"

namespace quillery::bench {
namespace {

// Swallows every character, so console output is formatted but not kept.
class NullBuffer : public std::streambuf {
 protected:
  int overflow(int c) override { return traits_type::not_eof(c); }
  std::streamsize xsputn(const char*, std::streamsize count) override {
    return count;
  }
};

// A fresh folder under the temporary directory holding a generated model,
// removed with everything in it when the object goes out of scope.
class GeneratedFolder {
 public:
  explicit GeneratedFolder(long long lines) {
    std::filesystem::path base = std::filesystem::temp_directory_path();
    for (int attempt = 0;; ++attempt) {
      root = base / ("quillery_bench_" + std::to_string(lines) + "_" +
                     std::to_string(attempt));
      if (std::filesystem::create_directory(root)) break;
    }
    ok = writeModel(root.string(), lines);
  }
  ~GeneratedFolder() {
    std::error_code ignored;
    std::filesystem::remove_all(root, ignored);
  }
  GeneratedFolder(const GeneratedFolder&) = delete;
  GeneratedFolder& operator=(const GeneratedFolder&) = delete;

  std::filesystem::path root;
  bool ok = false;
};

enum Mode { kDefault, kNormaliseOnly, kKeyColored };

// Arguments: lines, mode.
void BM_WholeRun(benchmark::State& state) {
  GeneratedFolder folder(state.range(0));
  if (!folder.ok) {
    state.SkipWithError("cannot write the generated model");
    return;
  }
  std::vector<std::string> args = {"quillery"};
  switch (state.range(1)) {
    case kNormaliseOnly:
      args.insert(args.end(), {"-r", "-q"});
      break;
    case kKeyColored:
      args.insert(args.end(), {"-k", std::to_string(kKeyColor)});
      break;
    default:
      break;
  }
  const std::filesystem::path input = folder.root / "model.dat";
  args.insert(args.end(), {"-l", folder.root.string(), input.string(),
                           (folder.root / "out.dat").string()});
  NullBuffer discard;
  std::ostream console(&discard);
  for (auto _ : state) {
    DiskFileAccess files;
    std::istringstream empty;
    if (runQuillery(args, files, empty, console) != kExitOk) {
      state.SkipWithError("the run failed");
      break;
    }
  }
  state.SetBytesProcessed(
      state.iterations() *
      static_cast<long long>(std::filesystem::file_size(input)));
}
BENCHMARK(BM_WholeRun)
    ->ArgNames({"lines", "mode"})
    ->ArgsProduct({{10'000, 100'000}, {kDefault, kNormaliseOnly, kKeyColored}})
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quillery::bench

BENCHMARK_MAIN();
