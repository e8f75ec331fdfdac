// Whole scripted sessions run in memory: operations per second and output bytes per second.

#include <benchmark/benchmark.h>

#include "dialogue/session.h"
#include "session_generator.h"

namespace {

void BM_MixedSession(benchmark::State& state) {
  const repbin::bench::GeneratedSession session = repbin::bench::MakeSession(state.range(0));
  std::size_t bytes = 0;
  for (auto _ : state) {
    const repbin::Transcript transcript = repbin::RunSessionOnText(session.input);
    bytes += transcript.out.size() + transcript.err.size();
    benchmark::DoNotOptimize(transcript.out.data());
  }
  state.counters["operations/s"] = benchmark::Counter(
      static_cast<double>(session.operations), benchmark::Counter::kIsIterationInvariantRate);
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}
BENCHMARK(BM_MixedSession)->Arg(10)->Arg(200)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
