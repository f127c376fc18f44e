// Cost of CAppStreamXML::Save on a tree of 100 000 nodes built in code: the
// record walk, the document it builds and the file write, together.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "BenchRatio.h"
#include "appconfig/AppException.h"
#include "appconfig/AppParamGroup.h"
#include "appconfig/AppParamListKey.h"
#include "appconfig/AppStreamXML.h"

namespace {

// 1 root + 271 groups of 1 + 368 nodes = 100 000 nodes.
constexpr int kGroups = 271;
constexpr int kChildren = 368;
constexpr int kNodes = 1 + kGroups * (1 + kChildren);

std::filesystem::path Folder() {
  static const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("appconfig_bm_xmlsave_" + std::to_string(::getpid()));
  return dir;
}

// Module groups holding, in turn, plain parameters with a name, help and
// flags, key lists of three entries, and empty sub-groups.
std::unique_ptr<CAppParamGroup> BuildTree() {
  auto root = std::make_unique<CAppParamGroup>("Device");
  root->SetKey("SYS_ROOT");
  char key[16];
  for (int g = 0; g < kGroups; ++g) {
    std::snprintf(key, sizeof key, "MOD_%03d", g);
    auto* group = root->SetAt(key, new CAppParamGroup("Module " + std::to_string(g)));
    for (int i = 0; i < kChildren; ++i) {
      std::snprintf(key, sizeof key, "P_%03d", i);
      switch (i % 3) {
        case 0: {
          auto* param = group->SetAt(key, new CAppParam());
          param->SetName("Vitesse " + std::to_string(i));
          param->SetHelp("Vitesse de transmission du port");
          param->ModifyFlags(0, PF_READONLY | PF_NO_DATA);
          break;
        }
        case 1: {
          auto* list = group->SetAt(key, new CAppParamListKey("Formats"));
          list->InsertAfter("%d", list->GetEndPosition());
          list->InsertAfter("%X", list->GetEndPosition());
          list->InsertAfter("0x%04X", list->GetEndPosition());
          break;
        }
        default:
          group->SetAt("sub", new CAppParamGroup("Sub"), CAppParamGroup::ADD_AUTO_INDEX);
          break;
      }
    }
  }
  return root;
}

void BM_XmlSave_Tree100k(benchmark::State& state) {
  const std::unique_ptr<CAppParamGroup> root = BuildTree();
  for (auto _ : state) {
    try {
      CAppStreamXML::Save("tree", root.get());
    } catch (const CAppException& e) {
      state.SkipWithError(e.GetMessage().c_str());
      break;
    }
  }
  const auto bytes = static_cast<std::int64_t>(std::filesystem::file_size(Folder() / "tree.xml"));
  state.SetBytesProcessed(state.iterations() * bytes);
  state.SetItemsProcessed(state.iterations() * kNodes);
  state.counters["MB"] = static_cast<double>(bytes) / 1e6;
}
BENCHMARK(BM_XmlSave_Tree100k)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  std::filesystem::create_directories(Folder());
  CAppToolsXML::SetPath(Folder().string() + "/");

  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double ms = reporter.Time("BM_XmlSave_Tree100k");
  const double mb = reporter.Counter("BM_XmlSave_Tree100k", "MB");
  if (ms > 0) {
    std::printf("\nBM_XmlSave_Tree100k %d nodes, %.1f MB: %.3f s per save, %.0f MB/s, %.0f nodes/s\n", kNodes, mb,
                ms / 1e3, mb / (ms / 1e3), kNodes / (ms / 1e3));
  }
  std::filesystem::remove_all(Folder());
  return 0;
}
