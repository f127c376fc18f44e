// Device image costs: packing and unpacking a long mixed list of value
// fields of 1 to 32 bits, half of them in Motorola order.
#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <vector>

#include "BenchRatio.h"
#include "appconfig/AppDataRecord.h"
#include "appconfig/AppVariant.h"

namespace {

constexpr int kFields = 1000000;
constexpr double kTargetNsPerField = 15.0;

// Widths and byte orders packed small, so that the walk over the inputs
// costs little next to the record's own work.
struct Spec {
  std::uint8_t bits;
  bool motorola;
};

struct Layout {
  std::vector<Spec> specs;
  std::vector<CAppVariant> values;
};

const Layout& Fields() {
  static const Layout layout = [] {
    Layout l;
    std::mt19937 rng(2024);
    l.specs.reserve(kFields);
    l.values.reserve(kFields);
    for (int i = 0; i < kFields; ++i) {
      const std::uint32_t bits = 1 + rng() % 32;
      l.specs.push_back(Spec{static_cast<std::uint8_t>(bits), (i & 1) != 0});
      const std::uint32_t mask = bits == 32 ? 0xFFFFFFFFu : (1u << bits) - 1u;
      l.values.emplace_back(static_cast<std::uint32_t>(rng()) & mask);
    }
    return l;
  }();
  return layout;
}

void SetFieldCounters(benchmark::State& state) {
  state.SetItemsProcessed(state.iterations() * kFields);
  // Seconds per field, shown with an SI prefix ("9.1n" is 9.1 ns).
  state.counters["s_per_field"] = benchmark::Counter(
      static_cast<double>(kFields),
      benchmark::Counter::kIsIterationInvariantRate | benchmark::Counter::kInvert);
}

void BM_DataRecord_Pack(benchmark::State& state) {
  const Layout& l = Fields();
  for (auto _ : state) {
    CAppDataRecord record(false);
    for (int i = 0; i < kFields; ++i) {
      record.Do(const_cast<CAppVariant&>(l.values[i]), l.specs[i].bits, l.specs[i].motorola);
    }
    benchmark::DoNotOptimize(record.GetSize());
  }
  SetFieldCounters(state);
}
BENCHMARK(BM_DataRecord_Pack)->Unit(benchmark::kMillisecond);

void BM_DataRecord_Unpack(benchmark::State& state) {
  const Layout& l = Fields();
  CAppDataRecord packed(false);
  for (int i = 0; i < kFields; ++i) packed.Do(const_cast<CAppVariant&>(l.values[i]), l.specs[i].bits, l.specs[i].motorola);
  std::vector<std::uint8_t> image;
  packed.GetData(image);
  CAppDataRecord record(true);
  record.SetData(image);
  std::vector<CAppVariant> out(kFields, CAppVariant(std::uint32_t{0}));
  for (auto _ : state) {
    record.SetModeLoad(true);
    for (int i = 0; i < kFields; ++i) record.Do(out[i], l.specs[i].bits, l.specs[i].motorola);
    benchmark::DoNotOptimize(out.data());
  }
  if (!(out[kFields - 1] == l.values[kFields - 1])) state.SkipWithError("unpacked value differs");
  SetFieldCounters(state);
}
BENCHMARK(BM_DataRecord_Unpack)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\n");
  // Milliseconds per 1 000 000 fields are nanoseconds per field.
  const double pack = reporter.Time("BM_DataRecord_Pack");
  const double unpack = reporter.Time("BM_DataRecord_Unpack");
  if (pack > 0) std::printf("pack:   %.2f ns per field\n", pack);
  if (unpack > 0) std::printf("unpack: %.2f ns per field\n", unpack);
  reporter.PrintRatio("pack ns per field vs 15 ns", pack, kTargetNsPerField, 1.0);
  reporter.PrintRatio("unpack ns per field vs 15 ns", unpack, kTargetNsPerField, 1.0);
  benchmark::Shutdown();
  return 0;
}
