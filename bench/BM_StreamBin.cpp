// Binary parameter file: save and load of the generated 100 000-parameter
// description against its XML load, save and load of a device of 2 000
// parameters, and the undo snapshot of a 10 000-parameter group.
#include <benchmark/benchmark.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <memory>
#include <string>

#include "BenchRatio.h"
#include "LargeDescription.h"
#include "appconfig/AppParamGroup.h"
#include "appconfig/AppParamListKey.h"
#include "appconfig/AppStreamBin.h"
#include "appconfig/AppStreamXML.h"
#include "appconfig/AppToolsXML.h"

namespace {

constexpr int kDeviceGroups = 20, kDeviceLeaves = 100;
constexpr int kUndoParams = 10000;

std::filesystem::path Folder() {
  static const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("appconfig_bm_bin_" + std::to_string(::getpid()));
  return dir;
}

std::string Key(const char* prefix, int i) {
  char text[32];
  std::snprintf(text, sizeof text, "%s_%02d", prefix, i);
  return text;
}

// Plain parameters with names, some help and flags, and a key list every tenth.
void FillLeaves(CAppParamGroup* group, int count) {
  for (int i = 0; i < count; ++i) {
    if (i % 10 == 9) {
      auto* list = new CAppParamListKey("Formats");
      for (const char* item : {"%d", "%X", "%o"}) list->InsertAfter(item, list->GetEndPosition());
      group->SetAt(Key("L", i), list);
    } else {
      auto* param = new CAppParam;
      param->SetName("Paramètre " + std::to_string(i));
      if (i % 3 == 0) param->SetHelp("Vitesse de transmission du canal");
      param->ModifyFlags(0, static_cast<std::uint32_t>(i % 4));
      group->SetAt(Key("P", i), param);
    }
  }
}

// The generated description: its XML load, and the binary save and load of
// the tree it gives.
struct DescriptionFixture {
  DescriptionFixture() {
    std::filesystem::create_directories(Folder());
    WriteLargeDescription(Folder() / "large.xml");
    CAppToolsXML::SetPath(Folder().string() + "/");
    CAppToolsXML::SetSchemaPath(APPCONFIG_SCHEMA_DIR "/Description");
    tree = CAppStreamXML::Load("large", nullptr, "DEVICE");
    nodes = tree->ObjectCount();
    CAppStreamBin::Save(tree.get(), binFile);
    binBytes = std::filesystem::file_size(binFile);
  }
  std::unique_ptr<CAppParam> tree;
  std::string binFile = (Folder() / "large.bin").string();
  std::uint64_t binBytes = 0;
  unsigned nodes = 0;
};

DescriptionFixture& Description() {
  static DescriptionFixture* fixture = new DescriptionFixture;
  return *fixture;
}

// A device of 20 groups of 100 parameters.
struct DeviceFixture {
  DeviceFixture() {
    std::filesystem::create_directories(Folder());
    tree.SetKey("DEVICE");
    for (int g = 0; g < kDeviceGroups; ++g) {
      FillLeaves(tree.SetAt(Key("C", g), new CAppParamGroup("Canal " + std::to_string(g))), kDeviceLeaves);
    }
    CAppStreamBin::Save(&tree, binFile);
  }
  CAppParamGroup tree;
  std::string binFile = (Folder() / "device.bin").string();
};

DeviceFixture& Device() {
  static DeviceFixture* fixture = new DeviceFixture;
  return *fixture;
}

// The tree is checked and released outside the timed part of each load.
void CheckLoaded(benchmark::State& state, std::unique_ptr<CAppParam>& tree, unsigned nodes) {
  state.PauseTiming();
  if (!tree || tree->ObjectCount() != nodes) state.SkipWithError("tree not loaded");
  tree.reset();
  state.ResumeTiming();
}

void SaveToMemory(CAppParam* tree) {
  CAppToolsBin::Memory memory(4096);
  CAppStreamBin::SaveStream save(&memory, tree);
  benchmark::DoNotOptimize(memory.GetLength());
}

void BM_XmlLoad_Description(benchmark::State& state) {
  DescriptionFixture& d = Description();
  for (auto _ : state) {
    std::unique_ptr<CAppParam> tree = CAppStreamXML::Load("large", nullptr, "DEVICE");
    CheckLoaded(state, tree, d.nodes);
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * d.nodes);
}

// Temporary file, flush to disk and rename included.
void BM_BinSaveFile_Description(benchmark::State& state) {
  DescriptionFixture& d = Description();
  const std::string file = (Folder() / "large_saved.bin").string();
  for (auto _ : state) CAppStreamBin::Save(d.tree.get(), file);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * d.binBytes));
}

void BM_BinSaveMemory_Description(benchmark::State& state) {
  DescriptionFixture& d = Description();
  for (auto _ : state) SaveToMemory(d.tree.get());
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * d.binBytes));
}

void BM_BinLoadFile_Description(benchmark::State& state) {
  DescriptionFixture& d = Description();
  for (auto _ : state) {
    std::unique_ptr<CAppParam> tree = CAppStreamBin::Load(d.binFile);
    CheckLoaded(state, tree, d.nodes);
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * d.binBytes));
}

void BM_BinSaveMemory_Device2000(benchmark::State& state) {
  DeviceFixture& d = Device();
  for (auto _ : state) SaveToMemory(&d.tree);
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kDeviceGroups * kDeviceLeaves);
}

void BM_BinLoadFile_Device2000(benchmark::State& state) {
  DeviceFixture& d = Device();
  const unsigned nodes = d.tree.ObjectCount();
  for (auto _ : state) {
    std::unique_ptr<CAppParam> tree = CAppStreamBin::Load(d.binFile);
    CheckLoaded(state, tree, nodes);
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kDeviceGroups * kDeviceLeaves);
}

// CreateUndo then MakeUndo of a group of 10 000 leaves; with `addRow`, a row
// is added in between, so that the group's children are made anew.
void RunUndo(benchmark::State& state, bool addRow) {
  CAppParamGroup group;
  group.SetKey("CHANNELS");
  FillLeaves(&group, kUndoParams);
  for (auto _ : state) {
    std::unique_ptr<CAppToolsBin::Stream> snapshot = CAppStreamBin::CreateUndo(&group);
    if (addRow) group.SetAt("EXTRA", new CAppParam);
    CAppStreamBin::MakeUndo(snapshot.get(), &group);
  }
  if (group.GetCount() != kUndoParams) state.SkipWithError("group not restored");
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kUndoParams);
}

void BM_Undo_10000(benchmark::State& state) { RunUndo(state, false); }
void BM_Undo_10000_ShapeChanged(benchmark::State& state) { RunUndo(state, true); }

BENCHMARK(BM_XmlLoad_Description)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BinSaveFile_Description)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BinSaveMemory_Description)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BinLoadFile_Description)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BinSaveMemory_Device2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_BinLoadFile_Device2000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Undo_10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Undo_10000_ShapeChanged)->Unit(benchmark::kMillisecond);

void PrintLimit(const char* label, double ms, double limit) {
  if (ms > 0) std::printf("%-60s %7.3f ms (target <= %.0f ms) %s\n", label, ms, limit, ms <= limit ? "OK" : "MISSED");
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);

  const DescriptionFixture& d = Description();
  const double xml = reporter.Time("BM_XmlLoad_Description");
  std::printf("\ngenerated description: %u nodes, binary file %.2f MB\n", d.nodes,
              static_cast<double>(d.binBytes) / 1e6);
  reporter.PrintRatio("binary save to file / XML load", reporter.Time("BM_BinSaveFile_Description"), xml, 0.6);
  reporter.PrintRatio("binary save to memory / XML load", reporter.Time("BM_BinSaveMemory_Description"), xml, 0.5);
  reporter.PrintRatio("binary load / XML load", reporter.Time("BM_BinLoadFile_Description"), xml, 0.5);
  PrintLimit("device of 2 000 parameters: save to memory", reporter.Time("BM_BinSaveMemory_Device2000"), 2);
  PrintLimit("device of 2 000 parameters: load", reporter.Time("BM_BinLoadFile_Device2000"), 2);
  PrintLimit("CreateUndo + MakeUndo, 10 000 parameters of unchanged shape", reporter.Time("BM_Undo_10000"), 5);
  reporter.PrintRatio("undo in place / undo with the children recreated", reporter.Time("BM_Undo_10000"),
                      reporter.Time("BM_Undo_10000_ShapeChanged"), 1.0);
  std::filesystem::remove_all(Folder());
  return 0;
}
