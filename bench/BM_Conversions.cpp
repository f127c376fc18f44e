// Number parsing cost: StringToDwordThrow over texts in every notation users
// type (decimal, signed, 0x hexadecimal, octal, B binary, digit groups).
#include <benchmark/benchmark.h>

#include <cstdio>
#include <random>
#include <string>
#include <vector>

#include "BenchRatio.h"
#include "appconfig/AppTools.h"

namespace {

constexpr std::size_t kTextCount = 1000000;

struct Input {
  std::string text;
  bool isSigned;
};

// Valid texts only: a failed parse costs an exception, which is not what a
// loader reading a description file pays per value.
std::vector<Input> MakeInputs() {
  std::mt19937 random(12345);
  std::vector<Input> inputs;
  inputs.reserve(kTextCount);
  char buffer[64];
  for (std::size_t i = 0; i < kTextCount; ++i) {
    const std::uint32_t value = random();
    switch (i % 6) {
      case 0:
        std::snprintf(buffer, sizeof buffer, "%u", value);
        inputs.push_back({buffer, false});
        break;
      case 1:
        std::snprintf(buffer, sizeof buffer, "%d", static_cast<int>(value % 2000000) - 1000000);
        inputs.push_back({buffer, true});
        break;
      case 2:
        std::snprintf(buffer, sizeof buffer, "0x%X", value);
        inputs.push_back({buffer, false});
        break;
      case 3:
        std::snprintf(buffer, sizeof buffer, "0%o", value);
        inputs.push_back({buffer, false});
        break;
      case 4:  // B and the low 16 bits in groups of four
        inputs.push_back({"B" + CAppTools::BinaryToString(value & 0xFFFFu), false});
        break;
      default:  // hexadecimal with digit groups
        std::snprintf(buffer, sizeof buffer, "0x%04X %04X", value >> 16, value & 0xFFFFu);
        inputs.push_back({buffer, false});
        break;
    }
  }
  return inputs;
}

const std::vector<Input>& Inputs() {
  static const std::vector<Input> inputs = MakeInputs();
  return inputs;
}

void BM_StringToDwordThrow_MixedBases(benchmark::State& state) {
  const std::vector<Input>& inputs = Inputs();
  std::uint32_t sum = 0;
  for (auto _ : state) {
    for (const Input& input : inputs) {
      sum += CAppTools::StringToDwordThrow(input.text.c_str(), input.isSigned, 0xFFFFFFFFu);
    }
  }
  benchmark::DoNotOptimize(sum);
  state.SetItemsProcessed(state.iterations() * static_cast<std::int64_t>(inputs.size()));
}
BENCHMARK(BM_StringToDwordThrow_MixedBases)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  Inputs();  // built before any timing
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  double ms = reporter.Time("BM_StringToDwordThrow_MixedBases_median");  // with repetitions
  if (ms <= 0) ms = reporter.Time("BM_StringToDwordThrow_MixedBases");
  if (ms > 0) std::printf("\nStringToDwordThrow: %.1f ns per call\n", ms * 1e6 / kTextCount);
  benchmark::Shutdown();
  return 0;
}
