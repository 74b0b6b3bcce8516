// model_gen: writes a generated benchmark model and its subfiles to a
// folder ("model_gen <dir> <lines> [dense]").
#include <charconv>
#include <iostream>
#include <string>
#include <string_view>

#include "model_gen.h"

int main(int argc, char** argv) {
  long long lines = 0;
  bool dense = argc == 4 && std::string_view(argv[3]) == "dense";
  if (argc == 3 || dense) {
    std::string_view text(argv[2]);
    auto [end, error] =
        std::from_chars(text.data(), text.data() + text.size(), lines);
    if (error != std::errc() || end != text.data() + text.size()) lines = 0;
  }
  if (lines <= 0) {
    std::cerr << "usage: model_gen <dir> <lines> [dense]\n"
                 "writes <dir>/model.dat of about <lines> lines (with dense, "
                 "the dense height field), <dir>/knob.dat and "
                 "<dir>/p/rect*.dat\n";
    return 1;
  }
  if (!quillery::bench::writeModel(argv[1], lines, dense)) {
    std::cerr << "model_gen: cannot write the model in " << argv[1] << "\n";
    return 2;
  }
  return 0;
}
