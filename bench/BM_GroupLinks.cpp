// The group links on Qt's offscreen platform: a list link opened on a group
// of many numbers (its page initialised and activated, which fills the
// list), and a tree link on a description of 100 000 parameters, whose
// root is expanded (its children built) when the page is activated.
#include <benchmark/benchmark.h>

#include <QApplication>

#include <cstdio>
#include <memory>
#include <string>

#include "BenchRatio.h"
#include "appconfig/AppDynamic.h"
#include "appconfig/AppParamGroup.h"
#include "appconfig/AppParamNumeric.h"
#include "appconfig/AppResources.h"
#include "appconfig/ui/AppLnkParamList.h"
#include "appconfig/ui/AppLnkParamTree.h"
#include "appconfig/ui/AppSheet.h"
#include "appconfig/ui/AppUiLib.h"

namespace {

CAppResources& Resources() {
  static CAppResources resources;
  static const bool ready = [] {
    resources.Init();
    return true;
  }();
  (void)ready;
  return resources;
}

std::unique_ptr<CAppParamNumeric> Number(unsigned i) {
  auto number = std::make_unique<CAppParamNumeric>("Paramètre " + std::to_string(i));
  number->SetType(CAppTools::Type("UI2"));
  number->SetVariant(CAppVariant(i % 1000));
  return number;
}

// `count` numbers in one group.
std::unique_ptr<CAppParamGroup> FlatGroup(unsigned count) {
  auto group = std::make_unique<CAppParamGroup>("Groupe");
  group->Reserve(count);
  for (unsigned i = 0; i < count; ++i) group->SetAt("P" + std::to_string(i), Number(i).release());
  return group;
}

// 100 groups of 10 groups of 100 numbers: 100 000 numbers.
std::unique_ptr<CAppParamGroup> DeepGroup() {
  auto root = std::make_unique<CAppParamGroup>("Racine");
  for (unsigned a = 0; a < 100; ++a) {
    auto* outer = root->SetAt("A" + std::to_string(a), new CAppParamGroup("Niveau A"));
    for (unsigned b = 0; b < 10; ++b) {
      auto* inner = outer->SetAt("B" + std::to_string(b), new CAppParamGroup("Niveau B"));
      for (unsigned p = 0; p < 100; ++p) inner->SetAt("P" + std::to_string(p), Number(p).release());
    }
  }
  return root;
}

// The link set up in a sheet as the resources do, its page initialised and
// activated.
template <class Link>
void OpenLink(CAppParam* param) {
  CAppSheet sheet;
  Link link;
  link.SetUserParam(param);
  link.SetProfile(Resources().FindProfile(param));
  link.SetResources(&Resources());
  link.SetSheet(&sheet);
  link.OnUserCreate();
  if (!sheet.SetActivePage(0)) std::fprintf(stderr, "the page did not open\n");
  sheet.RemoveAll();
}

// Range 0: the number of parameters in the group.
void BM_ListLinkOpen(benchmark::State& state) {
  const auto group = FlatGroup(static_cast<unsigned>(state.range(0)));
  for (auto _ : state) OpenLink<CAppLnkParamList>(group.get());
  state.SetItemsProcessed(state.iterations() * state.range(0));
}
BENCHMARK(BM_ListLinkOpen)->Arg(10000)->Arg(100000)->Unit(benchmark::kMillisecond)->Iterations(3);

void BM_TreeLinkExpandRoot_100000(benchmark::State& state) {
  const auto root = DeepGroup();
  for (auto _ : state) OpenLink<CAppLnkParamTree>(root.get());
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_TreeLinkExpandRoot_100000)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  if (!InitAppConfigLib() || !InitAppConfigUiLib()) return 1;
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\n");
  const double small = reporter.Time("BM_ListLinkOpen/10000/iterations:3");
  const double large = reporter.Time("BM_ListLinkOpen/100000/iterations:3");
  if (small > 0)
    std::printf("list link on 10 000 parameters opened: %.1f ms (target <= 300 ms) %s\n", small,
                small <= 300 ? "OK" : "MISSED");
  reporter.PrintRatio("list link, 100 000 parameters against 10 000", large, small, 10.0);
  const double tree = reporter.Time("BM_TreeLinkExpandRoot_100000/iterations:3");
  if (tree > 0)
    std::printf("tree link on 100 000 parameters, root expanded: %.1f ms (target <= 300 ms) %s\n", tree,
                tree <= 300 ? "OK" : "MISSED");
  benchmark::Shutdown();
  return 0;
}
