// The run sequence of the tool.
#include "driver/driver.h"

#include <memory>
#include <new>

#include "driver/run_options.h"
#include "geometry/number_text.h"
#include "model/model.h"
#include "model/search_path_list.h"
#include "passes/expand_primitives.h"
#include "passes/split_quads.h"
#include "passes/uncolor.h"

namespace quillery {

namespace {

#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

constexpr char kTitle[] = "Quillery 1.0 - by Tobrin";

constexpr const char* kUsageLines[] = {
    "Quillery [options] InFile Outfile",
    "-k <val>: key color (default none)",
    "-r: Don't expand Rect primitives",
    "-q: Don't split quads",
    "-c: Don't manage condlines around split quads",
    "-u: Return file to uncolored state",
    "-l \"path\": define ldraw search path",
};

bool isSeparator(char c) { return c == '\\' || c == '/'; }

// Everything up to and including the last separator, or ".\" without one.
std::string inputDirectory(const std::string& inputFile) {
  std::size_t last = inputFile.find_last_of("\\/");
  if (last == std::string::npos) return ".\\";
  return inputFile.substr(0, last + 1);
}

// The six library directories under the root `path`.
void addLibrary(SearchPathList& searchPaths, const std::string& path) {
  std::string root = path;
  if (!isSeparator(root.back())) root.push_back('\\');
  std::string unofficial = root + "Unofficial\\";
  for (const std::string& base : {root, unofficial}) {
    searchPaths.addDirectory(base + "p\\");
    searchPaths.addDirectory(base + "parts\\");
    searchPaths.addDirectory(base + "parts\\" + "s\\");
  }
}

// Fills `options` and the library part of `searchPaths` from the arguments
// before the input file. False on a usage error.
bool parseOptions(const std::vector<std::string>& args, RunOptions& options,
                  SearchPathList& searchPaths) {
  const std::size_t inputIndex = args.size() - 2;
  std::size_t index = 1;
  while (index < inputIndex) {
    const std::string& arg = args[index];
    if (arg.size() < 2 || arg[0] != '-') return false;
    char letter = arg[1];
    if (letter == 'k' || letter == 'l') {
      // The value is the next argument, whatever it is, even the input file.
      const std::string& value = args[index + 1];
      if (letter == 'k') {
        int color = options.keyColor;
        // A direct colour is given as it is written in a file.
        if (scanHexColor(value, 0, color) || scanInt(value, 0, color)) {
          options.keyColor = color;
        }
      } else {
        if (value.empty()) return false;
        addLibrary(searchPaths, value);
      }
      index += 2;
      continue;
    }
    switch (letter) {
      case 'c':
        options.manageCondLines = false;
        break;
      case 'q':
        options.splitQuadsEnabled = false;
        break;
      case 'r':
        options.expandPrimitivesEnabled = false;
        break;
      case 'u':
        options.uncolorEnabled = true;
        break;
      case 's':
        if (arg.size() < 3 || (arg[2] != 'f' && arg[2] != 'p')) return false;
        break;
      default:
        return false;
    }
    ++index;
  }
  return true;
}

// The console side of a run.
class Run {
 public:
  Run(const std::vector<std::string>& args, FileAccess& files,
      std::istream& input, std::ostream& console, const Passes& passes,
      Teardown teardown)
      : args(args),
        files(files),
        input(input),
        console(console),
        passes(passes),
        teardown(teardown) {}

  int execute();

 private:
  int finish(int exitCode) {
    console << "Press <Enter> to quit" << std::endl;
    input.get();
    return exitCode;
  }
  void printUsage() {
    for (const char* line : kUsageLines) console << line << std::endl;
  }
  int usage() {
    printUsage();
    return finish(kExitUsage);
  }
  int process(const RunOptions& options, const SearchPathList& searchPaths);

  const std::vector<std::string>& args;
  FileAccess& files;
  std::istream& input;
  std::ostream& console;
  const Passes& passes;
  Teardown teardown;
};

int Run::execute() {
  // --help and --version count only as the one argument; anywhere else they
  // are ordinary arguments (and so usage errors in the option area).
  if (args.size() == 2 && args[1] == "--version") {
    console << kTitle << std::endl;
    return kExitOk;
  }
  console << "\n" << kTitle;
  console << "\n--------------------------\n";
  if (args.size() == 2 && args[1] == "--help") {
    printUsage();
    return kExitOk;
  }
  if (args.size() < 3) return usage();

  const std::string& inputFile = args[args.size() - 2];
  SearchPathList searchPaths;
  std::string directory = inputDirectory(inputFile);
  searchPaths.addDirectory(directory);
  searchPaths.addDirectory(directory + "p\\");
  searchPaths.addDirectory(directory + "s\\");
  RunOptions options;
  if (!parseOptions(args, options, searchPaths)) return usage();

  try {
    return process(options, searchPaths);
  } catch (const std::bad_alloc&) {
    // Any output file under way was discarded on the way out.
    console << "Out of memory: no output file written" << std::endl;
    return finish(kExitFileError);
  }
}

int Run::process(const RunOptions& options, const SearchPathList& searchPaths) {
  const std::string& inputFile = args[args.size() - 2];
  const std::string& outputFile = args.back();
  auto owned = std::make_unique<Document>();
  Document& document = *owned;
  // Taking apart a model of millions of elements costs as much as writing
  // it; when the process ends right after the run, the operating system
  // takes the memory back at once. Sanitiser builds keep the release, so
  // that leak checks stay meaningful.
  struct LeaveToExit {
    std::unique_ptr<Document>& document;
    bool leave;
    ~LeaveToExit() {
      if (leave) (void)document.release();
    }
  } leaveToExit{owned, teardown == Teardown::kLeaveToExit && !kSanitized};
  console << std::endl;
  console << "Reading input file " << inputFile << std::endl;
  if (!document.readFile(inputFile, files, console)) {
    console << inputFile << " not found" << std::endl;
    return finish(kExitFileError);
  }

  if (options.expandPrimitivesEnabled) {
    console << std::endl;
    console << "LDraw subfiles search locations:\n"
            << searchPaths.listText() << std::endl;
    console << (options.keyColor < 0 ? "\nExpanding Rect primitives\n"
                                     : "\nExpanding key-colored primitives\n");
    passes.expandPrimitives(document, searchPaths, options.keyColor, files,
                            console);
    console << std::endl;
  }
  if (options.splitQuadsEnabled) {
    console << "\nSplitting quads\n";
    for (const auto& section : document.sections) {
      passes.splitQuads(section->model, options.keyColor,
                        options.manageCondLines);
    }
    console << std::endl;
  }
  if (options.uncolorEnabled) {
    console << std::endl;
    console << "Return file to uncolored state" << std::endl;
    for (const auto& section : document.sections) uncolor(section->model);
  }

  console << std::endl;
  console << "Writing output file " << outputFile << std::endl;
  switch (document.writeFile(outputFile, options.expandPrimitivesEnabled,
                             files, console)) {
    case Model::WriteResult::kWritten:
      return finish(kExitOk);
    case Model::WriteResult::kCannotCreate:
      console << outputFile << " Can't create" << std::endl;
      return finish(kExitFileError);
    case Model::WriteResult::kCannotWrite:
      console << outputFile << " Can't write" << std::endl;
      return finish(kExitFileError);
  }
  return finish(kExitFileError);
}

}  // namespace

Passes defaultPasses() {
  return Passes{
      static_cast<void (*)(Document&, const SearchPathList&, int, FileAccess&,
                           std::ostream&)>(&expandPrimitives),
      &splitQuads};
}

int runQuillery(const std::vector<std::string>& args, FileAccess& files,
                std::istream& input, std::ostream& console,
                const Passes& passes, Teardown teardown) {
  return Run(args, files, input, console, passes, teardown).execute();
}

}  // namespace quillery
