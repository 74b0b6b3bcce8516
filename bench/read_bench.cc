// Reading: Model::readText on generated model text, from the text in memory
// to the list of elements (freeing the model is not timed).
#include <benchmark/benchmark.h>

#include <memory>

#include "model/model.h"
#include "model_gen.h"

namespace quillery::bench {
namespace {

void BM_ReadText(benchmark::State& state) {
  const GeneratedModel generated = generateModel(state.range(0));
  for (auto _ : state) {
    auto model = std::make_unique<Model>();
    int counts[6] = {0, 0, 0, 0, 0, 0};
    model->readText(generated.text, counts);
    benchmark::DoNotOptimize(model->elements.data());
    state.PauseTiming();
    model.reset();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(state.iterations() *
                          static_cast<long long>(generated.text.size()));
  state.SetItemsProcessed(state.iterations() * generated.lines);
}
BENCHMARK(BM_ReadText)
    ->ArgName("lines")
    ->Arg(10'000)
    ->Arg(100'000)
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace quillery::bench

BENCHMARK_MAIN();
