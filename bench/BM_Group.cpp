// Group container costs: key lookup, auto-index adds and reordering.
#include <benchmark/benchmark.h>

#include <memory>
#include <string>
#include <vector>

#include "BenchRatio.h"
#include "appconfig/AppParamGroup.h"

namespace {

std::unique_ptr<CAppParamGroup> MakeGroup(int count) {
  auto group = std::make_unique<CAppParamGroup>();
  for (int i = 0; i < count; ++i) {
    group->_SetAt("Param", new CAppParam, CAppParamGroup::ADD_AUTO_INDEX);
  }
  return group;
}

void BM_GroupLookup(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  auto group = MakeGroup(count);
  std::vector<std::string> keys;
  for (int i = 0; i < 64; ++i) keys.push_back("param_" + std::to_string((i * 7919) % count));
  std::size_t next = 0;
  for (auto _ : state) {
    benchmark::DoNotOptimize(group->_GetAt(keys[next]));
    next = (next + 1) % keys.size();
  }
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_GroupLookup)->Arg(100)->Arg(100000);

void BM_GroupAddAutoIndex(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  for (auto _ : state) {
    auto group = MakeGroup(count);
    benchmark::DoNotOptimize(group.get());
    state.PauseTiming();
    group.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * count);
  state.counters["ns_per_child"] = benchmark::Counter(
      static_cast<double>(count), benchmark::Counter::kIsIterationInvariantRate |
                                      benchmark::Counter::kInvert);
}
BENCHMARK(BM_GroupAddAutoIndex)->Arg(1000)->Arg(100000)->Unit(benchmark::kMillisecond);

void BM_GroupMoveUpDown(benchmark::State& state) {
  const int count = static_cast<int>(state.range(0));
  auto group = MakeGroup(count);
  const std::string key = "Param_" + std::to_string(count / 2);
  for (auto _ : state) {
    group->MoveUp(key);
    group->MoveDown(key);
  }
  state.SetItemsProcessed(state.iterations() * 2);
}
BENCHMARK(BM_GroupMoveUpDown)->Arg(100)->Arg(100000);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\n");
  reporter.PrintRatio("lookup in 100000 children vs 100 children",
                      reporter.Time("BM_GroupLookup/100000"), reporter.Time("BM_GroupLookup/100"), 2.0);
  const double perChildSmall = reporter.Time("BM_GroupAddAutoIndex/1000") * 1e6 / 1000;
  const double perChildLarge = reporter.Time("BM_GroupAddAutoIndex/100000") * 1e6 / 100000;
  if (perChildSmall > 0 && perChildLarge > 0) {
    std::printf("auto-index add: %.1f ns/child at 1000, %.1f ns/child at 100000\n", perChildSmall,
                perChildLarge);
    reporter.PrintRatio("auto-index add per child, 100000 vs 1000", perChildLarge, perChildSmall, 2.0);
  }
  reporter.PrintRatio("MoveUp+MoveDown in 100000 children vs 100",
                      reporter.Time("BM_GroupMoveUpDown/100000"), reporter.Time("BM_GroupMoveUpDown/100"),
                      2.0);
  benchmark::Shutdown();
  return 0;
}
