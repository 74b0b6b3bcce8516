// Quad splitting: splitQuads on a generated model that has been read (the
// reading and freeing of the model are not timed), in Rect mode with and
// without managing conditional lines, and with the key colour 16.
#include <benchmark/benchmark.h>

#include <memory>

#include "model/model.h"
#include "model_gen.h"
#include "passes/split_quads.h"

namespace quillery::bench {
namespace {

// Arguments: lines, key colour (-1 for none), manage conditional lines.
void BM_SplitQuads(benchmark::State& state) {
  const GeneratedModel generated = generateModel(state.range(0));
  const int keyColor = static_cast<int>(state.range(1));
  const bool manageCondLines = state.range(2) != 0;
  for (auto _ : state) {
    state.PauseTiming();
    auto model = std::make_unique<Model>();
    int counts[6] = {0, 0, 0, 0, 0, 0};
    model->readText(generated.text, counts);
    state.ResumeTiming();
    splitQuads(*model, keyColor, manageCondLines);
    benchmark::DoNotOptimize(model->elements.data());
    state.PauseTiming();
    model.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * generated.lines);
}
BENCHMARK(BM_SplitQuads)
    ->ArgNames({"lines", "key", "manage"})
    ->Args({10'000, -1, 1})
    ->Args({100'000, -1, 1})
    ->Args({100'000, -1, 0})
    ->Args({100'000, kKeyColor, 1})
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quillery::bench

BENCHMARK_MAIN();
