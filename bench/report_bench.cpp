// The extended report's cost per ieee64 conversion, beside the conversion it extends.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <string>
#include <vector>

#include "output/trace.h"
#include "real/format.h"
#include "real/real.h"
#include "real/report.h"

namespace {

// ieee64: sign, 11-bit exponent in excess 1023, 52-bit sign-magnitude mantissa, 1'M.
const repbin::FloatFormat kDouble = *repbin::FindPreset("ieee64");

// Fixed-point texts as students type them, with the patterns the encoder wrote for them.
struct Conversion {
  std::string text;
  std::string bits;
};
std::vector<Conversion> MakeConversions() {
  std::mt19937 r(50);
  std::vector<Conversion> conversions;
  for (int n = 0; n < 256; ++n) {
    std::string text = r() % 2 ? "-" : "";
    if (n % 8 == 0) {
      text.append("0.000000").append(std::to_string(r()));
    } else {
      text.append(std::to_string(r() % 100000))
          .append(".")
          .append(std::to_string(r() % 1000000000));
    }
    char bits[65];
    repbin::CFCFL(kDouble, text.c_str(), bits, repbin::NoTrace());
    conversions.push_back({text, bits});
  }
  return conversions;
}

void BM_ReportIeee64(benchmark::State& state) {
  const std::vector<Conversion> conversions = MakeConversions();
  std::size_t i = 0;
  for (auto _ : state) {
    const Conversion& c = conversions[i++ % conversions.size()];
    const repbin::RepresentationReport report =
        repbin::ReportRepresentation(kDouble, c.bits.c_str(), {c.text, true, 0});
    repbin::RecordedTrace printed;
    repbin::PrintRepresentationReport(report, printed);
    benchmark::DoNotOptimize(printed.out().data());
  }
}
BENCHMARK(BM_ReportIeee64)->Unit(benchmark::kMicrosecond)->Repetitions(5)->ReportAggregatesOnly();

// The median of single conversions, each timed on its own: the figure the report must keep
// below 50 microseconds.
void BM_ReportIeee64Median(benchmark::State& state) {
  const std::vector<Conversion> conversions = MakeConversions();
  std::vector<double> micros;
  for (auto _ : state) {
    for (const Conversion& c : conversions) {
      const auto start = std::chrono::steady_clock::now();
      const repbin::RepresentationReport report =
          repbin::ReportRepresentation(kDouble, c.bits.c_str(), {c.text, true, 0});
      repbin::RecordedTrace printed;
      repbin::PrintRepresentationReport(report, printed);
      benchmark::DoNotOptimize(printed.out().data());
      micros.push_back(
          std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start)
              .count());
    }
  }
  std::nth_element(micros.begin(), micros.begin() + static_cast<std::ptrdiff_t>(micros.size() / 2),
                   micros.end());
  state.counters["median_us"] = micros[micros.size() / 2];
}
BENCHMARK(BM_ReportIeee64Median)->Unit(benchmark::kMillisecond);

// The conversion the report extends, for scale.
void BM_ConversionIeee64(benchmark::State& state) {
  const std::vector<Conversion> conversions = MakeConversions();
  std::size_t i = 0;
  for (auto _ : state) {
    const Conversion& c = conversions[i++ % conversions.size()];
    char bits[65];
    repbin::CFCFL(kDouble, c.text.c_str(), bits, repbin::NoTrace());
    benchmark::DoNotOptimize(bits);
  }
}
BENCHMARK(BM_ConversionIeee64)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();

}  // namespace

BENCHMARK_MAIN();
