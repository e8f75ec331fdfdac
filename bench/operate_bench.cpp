// One `operar --json` against one `representar`, each a whole command line run in memory (the
// arguments read, the work done, the output written), so that the two differ only in what the
// commands themselves do.

#include <benchmark/benchmark.h>

#include <string>
#include <vector>

#include "program/program.h"

namespace {

void RunCommand(benchmark::State& state, const std::vector<std::string>& args) {
  std::size_t bytes = 0;
  for (auto _ : state) {
    const repbin::Transcript t = repbin::RunProgramOnText(args, "");
    bytes += t.out.size();
    benchmark::DoNotOptimize(t.status);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}

void BM_Represent(benchmark::State& state) {
  RunCommand(state, {"representar", "c2", "-5", "-b", "8"});
}
BENCHMARK(BM_Represent);

void BM_RepresentJson(benchmark::State& state) {
  RunCommand(state, {"representar", "c2", "-5", "-b", "8", "--json"});
}
BENCHMARK(BM_RepresentJson);

void BM_OperateJson(benchmark::State& state) {
  RunCommand(state, {"operar", "c2", "100", "+", "80", "--json"});
}
BENCHMARK(BM_OperateJson);

// The longest rule (two additions) at the widest width.
void BM_OperateJsonOnes64(benchmark::State& state) {
  RunCommand(state, {"operar", "c1", "-5", "+", "-3", "-b", "64", "--json"});
}
BENCHMARK(BM_OperateJsonOnes64);

void BM_Operate(benchmark::State& state) {
  RunCommand(state, {"operar", "c2", "100", "+", "80"});
}
BENCHMARK(BM_Operate);

}  // namespace

BENCHMARK_MAIN();
