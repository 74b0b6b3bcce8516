// Runs the fuzz target over saved inputs, so that it builds and replays its
// corpus with any compiler: each argument is a file or a folder of files.
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <iterator>
#include <string>
#include <vector>

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data,
                                      std::size_t size);

namespace {

namespace fs = std::filesystem;

// The files named by `argument`: itself, or the regular files of the folder
// (not descending, hidden names left out) in byte order.
std::vector<fs::path> inputsOf(const fs::path& argument) {
  std::vector<fs::path> inputs;
  if (!fs::is_directory(argument)) {
    inputs.push_back(argument);
    return inputs;
  }
  for (const fs::directory_entry& entry : fs::directory_iterator(argument)) {
    if (entry.is_regular_file() &&
        !entry.path().filename().string().starts_with(".")) {
      inputs.push_back(entry.path());
    }
  }
  std::sort(inputs.begin(), inputs.end());
  return inputs;
}

}  // namespace

int main(int argc, char** argv) {
  std::size_t replayed = 0;
  for (int k = 1; k < argc; ++k) {
    for (const fs::path& input : inputsOf(argv[k])) {
      std::ifstream stream(input, std::ios::binary);
      if (!stream) {
        std::cerr << "cannot read " << input.string() << '\n';
        return 1;
      }
      const std::string bytes((std::istreambuf_iterator<char>(stream)),
                              std::istreambuf_iterator<char>());
      std::cout << "replaying " << input.string() << std::endl;
      LLVMFuzzerTestOneInput(
          reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
      ++replayed;
    }
  }
  std::cout << replayed << " inputs replayed" << std::endl;
  return replayed > 0 ? 0 : 1;
}
