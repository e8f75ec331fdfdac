// Exercise sheets: 10,000 exercises drawn, solved (answers and traces) and written out, per
// output, in memory.

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "exercises/exercise_sheet.h"
#include "exercises/exercises.h"
#include "output/output.h"

namespace {

using repbin::exercises::Exercise;

// Drawing and solving alone.
void BM_Generate(benchmark::State& state) {
  repbin::exercises::SheetOptions options;
  options.count = static_cast<int>(state.range(0));
  for (auto _ : state) {
    ++options.seed;
    const std::vector<Exercise> sheet = repbin::exercises::Generate(options);
    benchmark::DoNotOptimize(sheet.data());
  }
  state.counters["exercises/s"] = benchmark::Counter(static_cast<double>(state.range(0)),
                                                     benchmark::Counter::kIsIterationInvariantRate);
}
BENCHMARK(BM_Generate)->Arg(10000)->Unit(benchmark::kMillisecond);

// The whole command, `repbin ejercicios -n 10000 --soluciones` in each output, printed into
// memory.
void BM_Command(benchmark::State& state, const char* salida) {
  std::size_t bytes = 0;
  std::uint64_t seed = 0;
  for (auto _ : state) {
    const std::vector<std::string> args = {
        "-n", "10000", "--semilla", std::to_string(++seed), "--soluciones", "--salida", salida};
    const repbin::out::Captured printed = repbin::out::Capture([&] { repbin::RunExercises(args); });
    bytes += printed.out.size();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}
BENCHMARK_CAPTURE(BM_Command, texto, "texto")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Command, markdown, "markdown")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Command, gift, "gift")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Command, json, "json")->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
