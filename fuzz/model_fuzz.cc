// Fuzz target: arbitrary bytes as the input model, run through the reader,
// every pass and the writer over an in-memory library, several times over.
// Besides surviving, every run must succeed and repeat itself byte for byte,
// and a normalised file must come back unchanged when normalised again.
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <iostream>
#include <map>
#include <sstream>
#include <string>
#include <string_view>
#include <vector>

#include "driver/driver.h"
#include "memory_file_access.h"

namespace quillery {
namespace {

// Text after this line starts a subfile of the library ("rectfz.dat", in the
// input's p\ folder), so the fuzzer shapes part of the library too.
constexpr std::string_view kSubfileMarker = "\n0 FILE rectfz.dat\n";

// Inputs larger than this are passed over: a reference made many times to a
// subfile that again makes many references grows the model by the product of
// the two, which only measures memory, not robustness.
constexpr std::size_t kMaxInputSize = 16 * 1024;

constexpr char kInputPath[] = "m/model.dat";
constexpr char kOutputPath[] = "out.dat";

constexpr char kRect[] =
    "0 Rectangle\n0 BFC CERTIFY CCW\n"
    "2 24 1 0 1 -1 0 1\n2 24 -1 0 1 -1 0 -1\n"
    "2 24 -1 0 -1 1 0 -1\n2 24 1 0 -1 1 0 1\n"
    "4 16 -1 0 1 -1 0 -1 1 0 -1 1 0 1\n";

// The fixed part of the library: primitives, files referring to each other,
// to the fuzzed subfile and to the input itself, one found only by ignoring
// letter case, and a clockwise one.
void addLibrary(MemoryFileAccess& files) {
  files.addFile("m/p/rect.dat", kRect);
  files.addFile("m/p/rect2p.dat",
                "0 BFC CERTIFY CCW\n2 24 1 0 1 -1 0 1\n"
                "4 16 -1 0 1 -1 0 -1 1 0 -1 1 0 1\n");
  files.addFile("m/p/recte4.dat", "2 24 1 0 1 -1 0 1\n2 24 -1 0 1 -1 0 -1\n");
  files.addFile("m/s/Sub.DAT",
                "0 BFC CERTIFY CW\n"
                "0 BFC INVERTNEXT\n"
                "1 16 0 0 0 -1 0 0 0 1 0 0 0 1 rect3.dat\n"
                "1 16 0 2 0 1 0 0 0 1 0 0 0 1 rectfz.dat\n"
                "3 16 0 0 0 1 0 0 0 0 1\n"
                "5 24 0 0 0 1 0 0 0 1 0 1 1 1\n");
  files.addFile("lib/p/rect3.dat",
                "0 BFC CERTIFY CCW\n2 24 1 0 1 -1 0 1\n"
                "1 16 0 0 0 1 0 0 0 1 0 0 0 1 recte4.dat\n"
                "4 16 -1 0 1 -1 0 -1 1 0 -1 1 0 1\n");
  files.addFile("lib/parts/loop.dat",
                "1 16 0 0 0 1 0 0 0 1 0 0 0 1 model.dat\n"
                "1 4 0 0 0 1 0 0 0 1 0 0 0 1 loop.dat\n"
                "1 16 0 0 0 1 0 0 0 1 0 0 0 1 sub.dat\n"
                "4 16 0 0 0 1 0 0 1 0 1 0 0 1\n");
  files.addFile("lib/parts/s/rectloop.dat",
                "1 16 0 0 0 0 0 1 0 1 0 1 0 0 rectloop.dat\n"
                "1 16 0 0 0 1 0 0 0 1 0 0 0 1 s\\rectloop.dat\n");
}

struct Outcome {
  int exitCode;
  std::string console;
  std::map<std::string, std::string> outputs;
};

Outcome runOnce(std::string_view model, std::string_view subfile,
                const std::vector<std::string>& options) {
  MemoryFileAccess files;
  addLibrary(files);
  files.addFile(kInputPath, std::string(model));
  files.addFile("m/p/rectfz.dat", std::string(subfile));
  std::vector<std::string> args = {"quillery"};
  args.insert(args.end(), options.begin(), options.end());
  args.insert(args.end(), {"-l", "lib", kInputPath, kOutputPath});
  // Empty input: the closing prompt returns at once.
  std::istringstream input;
  std::ostringstream console;
  Outcome outcome;
  outcome.exitCode = runQuillery(args, files, input, console);
  outcome.console = console.str();
  outcome.outputs = std::move(files.outputs);
  return outcome;
}

void failWith(const char* what, const std::vector<std::string>& options) {
  std::cerr << "model_fuzz: " << what << " with options:";
  for (const std::string& option : options) std::cerr << ' ' << option;
  std::cerr << '\n';
  std::abort();
}

}  // namespace
}  // namespace quillery

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size) {
  using quillery::failWith;
  if (size > quillery::kMaxInputSize) return 0;
  const std::string_view bytes(reinterpret_cast<const char*>(data), size);
  std::string_view model = bytes;
  std::string_view subfile;
  const std::size_t marker = bytes.find(quillery::kSubfileMarker);
  if (marker != std::string_view::npos) {
    model = bytes.substr(0, marker + 1);
    subfile = bytes.substr(marker + quillery::kSubfileMarker.size());
  }

  // The memory file system never fails, so every run must succeed.
  const std::vector<std::string> normalise = {"-r", "-q"};
  const std::vector<std::string> optionSets[] = {
      {}, {"-k", "16"}, {"-k", "4"}, {"-c", "-u"}, normalise,
  };
  std::string normalised;
  for (const std::vector<std::string>& options : optionSets) {
    const quillery::Outcome first = quillery::runOnce(model, subfile, options);
    if (first.exitCode != quillery::kExitOk) failWith("run failed", options);
    if (first.outputs.size() != 1) failWith("no single output", options);
    const quillery::Outcome second = quillery::runOnce(model, subfile, options);
    if (second.exitCode != first.exitCode || second.console != first.console ||
        second.outputs != first.outputs) {
      failWith("two runs differ", options);
    }
    if (options == normalise) normalised = first.outputs.begin()->second;
  }

  // Normalising is idempotent: every line is written in a form that reads
  // back to the same element.
  const quillery::Outcome twice =
      quillery::runOnce(normalised, subfile, normalise);
  if (twice.exitCode != quillery::kExitOk || twice.outputs.size() != 1 ||
      twice.outputs.begin()->second != normalised) {
    failWith("normalising twice changes the file", normalise);
  }
  return 0;
}
