// The extended report's cost per ieee64 conversion, beside the conversion it extends.

#include <benchmark/benchmark.h>

#include <algorithm>
#include <chrono>
#include <random>
#include <string>
#include <vector>

#include "output/output.h"
#include "real/real.h"
#include "real/report.h"
#include "settings/settings.h"

namespace {

// ieee64: sign, 11-bit exponent in excess 1023, 52-bit sign-magnitude mantissa, 1'M.
void SetDouble() {
  repbin::nb = 64;
  repbin::nbexp = 11;
  repbin::posexp = 1;
  repbin::posmantisa = 12;
  repbin::possigno = 0;
  repbin::TypeExp = 3;
  repbin::zEZ = 1023;
  repbin::TypeMan = 0;
  repbin::typenorma = 1;
  repbin::bi = 1;
}

// Fixed-point texts as students type them, with the patterns the encoder wrote for them.
struct Conversion {
  std::string text;
  std::string bits;
};
std::vector<Conversion> MakeConversions() {
  SetDouble();
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
    repbin::out::Silently([&] { repbin::CFCFL(text.c_str(), repbin::buffer); });
    conversions.push_back({text, repbin::buffer});
  }
  return conversions;
}

void BM_ReportIeee64(benchmark::State& state) {
  const std::vector<Conversion> conversions = MakeConversions();
  std::size_t i = 0;
  for (auto _ : state) {
    const Conversion& c = conversions[i++ % conversions.size()];
    const repbin::RepresentationReport report =
        repbin::ReportRepresentation(c.bits.c_str(), {c.text, true, 0});
    const repbin::out::Captured printed =
        repbin::out::Capture([&] { repbin::PrintRepresentationReport(report); });
    benchmark::DoNotOptimize(printed.out.data());
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
          repbin::ReportRepresentation(c.bits.c_str(), {c.text, true, 0});
      const repbin::out::Captured printed =
          repbin::out::Capture([&] { repbin::PrintRepresentationReport(report); });
      benchmark::DoNotOptimize(printed.out.data());
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
    repbin::out::Silently([&] { repbin::CFCFL(c.text.c_str(), repbin::buffer); });
    benchmark::DoNotOptimize(repbin::buffer);
  }
}
BENCHMARK(BM_ConversionIeee64)
    ->Unit(benchmark::kMicrosecond)
    ->Repetitions(5)
    ->ReportAggregatesOnly();

}  // namespace

BENCHMARK_MAIN();
