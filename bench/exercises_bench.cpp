// Exercise sheets: 10,000 exercises drawn, solved (answers and traces) and written out, per
// output, in memory; an exam of 26 variants of 40 exercises with its keys, per output; and the
// peak memory and time of the built program writing a 100,000-exercise sheet, and starting a
// practice round of as many.

#include <benchmark/benchmark.h>

#include <chrono>
#include <string>
#include <vector>

#include "exercises/exercise_sheet.h"
#include "exercises/exercises.h"
#include "output/output.h"
#include "program/program.h"

#if defined(__linux__)
#include <fcntl.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>
#endif

namespace {

using repbin::exercises::Exercise;

#if defined(__linux__) && defined(REPBIN_BINARY)
// The built program writing `repbin ejercicios -n N --soluciones --salida SALIDA` to /dev/null,
// run as a child process: its peak resident memory and its processor time. The kernel's peak for
// a child may count what the benchmark itself held when it forked, so these run first, while
// that is small (`floor_MB`, the benchmark's own peak then).
void BM_LargeSheet(benchmark::State& state, const char* salida) {
  const std::string count = std::to_string(state.range(0));
  double peak_mb = 0, cpu_s = 0;
  rusage self{};
  getrusage(RUSAGE_SELF, &self);
  for (auto _ : state) {
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
      const int null = open("/dev/null", O_WRONLY);
      dup2(null, STDOUT_FILENO);
      execl(REPBIN_BINARY, "repbin", "ejercicios", "-n", count.c_str(), "--semilla", "1",
            "--soluciones", "--salida", salida, static_cast<char*>(nullptr));
      _exit(127);
    }
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    const auto end = std::chrono::steady_clock::now();
    state.SetIterationTime(std::chrono::duration<double>(end - start).count());
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) state.SkipWithError("the program failed");
    peak_mb = static_cast<double>(usage.ru_maxrss) / 1024.0;  // ru_maxrss is in KiB on Linux
    cpu_s = static_cast<double>(usage.ru_utime.tv_sec + usage.ru_stime.tv_sec) +
            static_cast<double>(usage.ru_utime.tv_usec + usage.ru_stime.tv_usec) / 1e6;
  }
  state.counters["peak_MB"] = peak_mb;
  state.counters["floor_MB"] = static_cast<double>(self.ru_maxrss) / 1024.0;
  state.counters["cpu_s"] = cpu_s;  // the child's own processor time, steadier under load
}
BENCHMARK_CAPTURE(BM_LargeSheet, texto, "texto")
    ->Arg(10000)
    ->Arg(100000)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LargeSheet, markdown, "markdown")
    ->Arg(100000)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LargeSheet, html, "html")
    ->Arg(100000)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LargeSheet, gift, "gift")
    ->Arg(100000)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_LargeSheet, json, "json")
    ->Arg(10000)
    ->Arg(100000)
    ->UseManualTime()
    ->Iterations(1)
    ->Unit(benchmark::kMillisecond);

// The built program starting `repbin practicar -n N`: the time until its first question has
// been asked (the prompt "Respuesta: " read from its standard error), then the end of its input;
// its peak resident memory over the whole round.
void BM_PracticeStart(benchmark::State& state) {
  const std::string count = std::to_string(state.range(0));
  double peak_mb = 0;
  rusage self{};
  getrusage(RUSAGE_SELF, &self);
  for (auto _ : state) {
    int answers[2], questions[2];
    if (pipe(answers) != 0 || pipe(questions) != 0) state.SkipWithError("no pipe");
    const auto start = std::chrono::steady_clock::now();
    const pid_t child = fork();
    if (child == 0) {
      dup2(answers[0], STDIN_FILENO);
      dup2(questions[1], STDERR_FILENO);
      const int null = open("/dev/null", O_WRONLY);
      dup2(null, STDOUT_FILENO);
      close(answers[1]);
      close(questions[0]);
      execl(REPBIN_BINARY, "repbin", "practicar", "-n", count.c_str(), "--semilla", "1",
            static_cast<char*>(nullptr));
      _exit(127);
    }
    close(answers[0]);
    close(questions[1]);
    // Read until the first prompt ends what has come.
    const std::string prompt = "Respuesta: ";
    std::string asked;
    char buffer[4096];
    while (asked.size() < prompt.size() ||
           asked.compare(asked.size() - prompt.size(), prompt.size(), prompt) != 0) {
      const ssize_t n = read(questions[0], buffer, sizeof buffer);
      if (n <= 0) break;
      asked.append(buffer, static_cast<std::size_t>(n));
    }
    const auto first = std::chrono::steady_clock::now();
    state.SetIterationTime(std::chrono::duration<double>(first - start).count());
    close(answers[1]);  // the end of the answers ends the round
    while (read(questions[0], buffer, sizeof buffer) > 0) {
    }
    close(questions[0]);
    int status = 0;
    rusage usage{};
    wait4(child, &status, 0, &usage);
    if (!WIFEXITED(status) || WEXITSTATUS(status) != 0) state.SkipWithError("the program failed");
    peak_mb = static_cast<double>(usage.ru_maxrss) / 1024.0;
  }
  state.counters["peak_MB"] = peak_mb;
  state.counters["floor_MB"] = static_cast<double>(self.ru_maxrss) / 1024.0;
}
BENCHMARK(BM_PracticeStart)
    ->Arg(100000)
    ->UseManualTime()
    ->Iterations(5)
    ->Unit(benchmark::kMillisecond);
#endif

// The page's verdicts on a round's exercises, one after another: each costs the same in a round of
// 100 exercises as in one of 100,000 (the first 100 are answered in both).
void BM_PageVerdict(benchmark::State& state) {
  const std::vector<std::string> args = {"--semilla", "1", "-n", std::to_string(state.range(0))};
  int numero = 0;
  for (auto _ : state) {
    numero = numero % 100 + 1;
    benchmark::DoNotOptimize(repbin::PracticeVerdictJson(args, numero, "0"));
  }
}
BENCHMARK(BM_PageVerdict)->Arg(100)->Arg(100000)->Unit(benchmark::kMicrosecond);

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

// The whole command with `args` and a new seed each time, printed into memory.
void RunCommand(benchmark::State& state, std::vector<std::string> args) {
  std::size_t bytes = 0;
  std::uint64_t seed = 0;
  args.insert(args.end(), {"--semilla", ""});
  for (auto _ : state) {
    args.back() = std::to_string(++seed);
    const repbin::out::Captured printed = repbin::out::Capture([&] { repbin::RunExercises(args); });
    bytes += printed.out.size();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(bytes));
}

// `repbin ejercicios -n 10000 --soluciones` in each output.
void BM_Command(benchmark::State& state, const char* salida) {
  RunCommand(state, {"-n", "10000", "--soluciones", "--salida", salida});
}
BENCHMARK_CAPTURE(BM_Command, texto, "texto")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Command, markdown, "markdown")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Command, html, "html")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Command, gift, "gift")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Command, json, "json")->Unit(benchmark::kMillisecond);

// An exam: 26 variants of 40 exercises with their keys (1,040 exercises), in each output.
void BM_Exam(benchmark::State& state, const char* salida) {
  RunCommand(state,
             {"-n", "40", "--variantes", "26", "--soluciones", "--puntos", "--salida", salida});
}
BENCHMARK_CAPTURE(BM_Exam, texto, "texto")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Exam, markdown, "markdown")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Exam, html, "html")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Exam, gift, "gift")->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(BM_Exam, json, "json")->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
