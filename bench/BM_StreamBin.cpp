// Binary parameter file: save and load of a 100 000-parameter tree, the undo
// snapshot of a 10 000-parameter group, and the XML description load of the
// same tree for comparison.
#include <benchmark/benchmark.h>
#include <fcntl.h>
#include <unistd.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "BenchRatio.h"
#include "LargeDescription.h"
#include "appconfig/AppException.h"
#include "appconfig/AppParamGroup.h"
#include "appconfig/AppParamListKey.h"
#include "appconfig/AppStreamBin.h"
#include "appconfig/AppStreamXML.h"
#include "appconfig/AppToolsXML.h"

namespace {

// A device: 10 modules of 10 slots of 10 channels, each channel with 99
// leaves (a key list every tenth, plain parameters otherwise): 100 111 nodes,
// five levels deep.
constexpr int kModules = 10, kSlots = 10, kChannels = 10, kLeaves = 99;
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

std::unique_ptr<CAppParamGroup> Device() {
  auto root = std::make_unique<CAppParamGroup>("Device");
  root->SetKey("DEVICE");
  for (int m = 0; m < kModules; ++m) {
    auto* module = root->SetAt(Key("M", m), new CAppParamGroup("Module " + std::to_string(m)));
    for (int s = 0; s < kSlots; ++s) {
      auto* slot = module->SetAt(Key("S", s), new CAppParamGroup("Slot " + std::to_string(s)));
      for (int c = 0; c < kChannels; ++c) {
        FillLeaves(slot->SetAt(Key("C", c), new CAppParamGroup("Channel " + std::to_string(c))), kLeaves);
      }
    }
  }
  return root;
}

// The same tree as a description file.
void WriteXml(std::ofstream& out, CAppParam* node, int depth) {
  const std::string indent(static_cast<std::size_t>(depth) * 2, ' ');
  auto attributes = [&](CAppParam* p) {
    std::string text = " Key=\"" + p->GetKey() + "\" Name=\"" + p->GetName() + "\"";
    if (!p->GetHelp().empty()) text += " Help=\"" + p->GetHelp() + "\"";
    if (std::uint32_t{p->GetFlags()} != 0) text += " Flags=\"" + std::to_string(std::uint32_t{p->GetFlags()}) + "\"";
    return text;
  };
  if (CAppParamGroup* group = node->GetGroup()) {
    out << indent << "<Group" << attributes(node) << ">\n";
    POSITION pos = group->GetStartPosition();
    while (pos != nullptr) WriteXml(out, group->GetNextPtr(pos), depth + 1);
    out << indent << "</Group>\n";
  } else if (auto* list = AppDynamicCast<CAppParamListKey>(node)) {
    out << indent << "<ListKey" << attributes(node) << ">";
    for (unsigned i = 0; i < list->GetCount(); ++i) out << "<Element Value=\"" << list->GetAt(i) << "\"/>";
    out << "</ListKey>\n";
  } else {
    out << indent << "<Param Type=\"CAppParam\"" << attributes(node) << "/>\n";
  }
}

struct Fixture {
  std::unique_ptr<CAppParamGroup> device = Device();
  std::string binFile = (Folder() / "device.bin").string();
  std::uint64_t binBytes = 0;
  std::uint64_t xmlBytes = 0;
  unsigned nodes = device->ObjectCount();
};

Fixture& Data() {
  static Fixture* fixture = [] {
    std::filesystem::create_directories(Folder());
    auto* f = new Fixture;
    CAppStreamBin::Save(f->device.get(), f->binFile);
    f->binBytes = std::filesystem::file_size(f->binFile);
    {
      std::ofstream out(Folder() / "device.xml", std::ios::binary);
      out << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<Description xmlns=\"QXE-kvrDescription\">\n";
      WriteXml(out, f->device.get(), 1);
      out << "</Description>\n";
    }
    f->xmlBytes = std::filesystem::file_size(Folder() / "device.xml");
    CAppToolsXML::SetPath(Folder().string() + "/");
    CAppToolsXML::SetSchemaPath(APPCONFIG_SCHEMA_DIR "/Description");
    return f;
  }();
  return *fixture;
}

void Report(benchmark::State& state, std::uint64_t bytes) {
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations() * Data().nodes));
}

void BM_StreamBinSave_Memory(benchmark::State& state) {
  Fixture& f = Data();
  for (auto _ : state) {
    CAppToolsBin::Memory memory(4096);
    CAppStreamBin::SaveStream save(&memory, f.device.get());
    benchmark::DoNotOptimize(memory.GetLength());
  }
  Report(state, f.binBytes);
}

// Temporary file, flush to disk and rename included.
void BM_StreamBinSave_File(benchmark::State& state) {
  Fixture& f = Data();
  const std::string file = (Folder() / "saved.bin").string();
  for (auto _ : state) CAppStreamBin::Save(f.device.get(), file);
  Report(state, f.binBytes);
}

// The disk work of a file save alone, on the bytes of the same file: what
// the save does after building each part (write, writeback hint), then the
// flush to disk and the rename over the previous file.
void BM_StreamBinSaveIo_File(benchmark::State& state) {
  Fixture& f = Data();
  CAppToolsBin::Memory image(4096);
  CAppStreamBin::SaveStream save(&image, f.device.get());
  const std::string file = (Folder() / "io.bin").string();
  using Clock = std::chrono::steady_clock;
  double write = 0, sync = 0, rename = 0;
  for (auto _ : state) {
    const auto start = Clock::now();
    const std::string temp = file + ".tmp";
    CAppToolsBin::File out;
    if (!out.Open(temp, true)) {
      state.SkipWithError("cannot create the file");
      break;
    }
    constexpr std::size_t kPart = 256 * 1024;
    const std::vector<std::uint8_t>& bytes = image.GetData();
    for (std::size_t at = 0; at < bytes.size(); at += kPart) {
      out.WriteBytes(bytes.data() + at, static_cast<unsigned>(std::min(kPart, bytes.size() - at)));
      if (at % (4 * kPart) == 3 * kPart) out.StartWriteBack();
    }
    out.Close();
    const auto written = Clock::now();
    const int fd = ::open(temp.c_str(), O_RDONLY);
    if (fd < 0 || ::fsync(fd) != 0) state.SkipWithError("fsync failed");
    if (fd >= 0) ::close(fd);
    const auto synced = Clock::now();
    if (std::rename(temp.c_str(), file.c_str()) != 0) state.SkipWithError("rename failed");
    const auto renamed = Clock::now();
    write += std::chrono::duration<double, std::milli>(written - start).count();
    sync += std::chrono::duration<double, std::milli>(synced - written).count();
    rename += std::chrono::duration<double, std::milli>(renamed - synced).count();
  }
  state.counters["write_ms"] = benchmark::Counter(write, benchmark::Counter::kAvgIterations);
  state.counters["fsync_ms"] = benchmark::Counter(sync, benchmark::Counter::kAvgIterations);
  state.counters["rename_ms"] = benchmark::Counter(rename, benchmark::Counter::kAvgIterations);
  Report(state, f.binBytes);
}

// The tree is checked and released outside the timed part of each load: the
// count walks the whole tree, and neither is loading.
void BM_StreamBinLoad_File(benchmark::State& state) {
  Fixture& f = Data();
  for (auto _ : state) {
    std::unique_ptr<CAppParam> tree = CAppStreamBin::Load(f.binFile);
    state.PauseTiming();
    if (!tree || tree->ObjectCount() != f.nodes) state.SkipWithError("tree not loaded");
    tree.reset();
    state.ResumeTiming();
  }
  Report(state, f.binBytes);
}

void BM_XmlDescriptionLoad_File(benchmark::State& state) {
  Fixture& f = Data();
  for (auto _ : state) {
    std::unique_ptr<CAppParam> tree;
    try {
      tree = CAppStreamXML::Load("device", nullptr, "DEVICE");
    } catch (const CAppException& e) {
      state.SkipWithError(e.GetMessage().c_str());
      break;
    }
    state.PauseTiming();
    if (!tree || tree->ObjectCount() != f.nodes) {
      state.SkipWithError("tree not loaded");
      break;
    }
    tree.reset();
    state.ResumeTiming();
  }
  Report(state, f.xmlBytes);
}

// The generated 100 000-parameter description: its XML load, and the binary
// save and load of the tree it gives.
struct DescriptionFixture {
  DescriptionFixture() {
    std::filesystem::create_directories(Folder());
    WriteLargeDescription(Folder() / "large.xml");
    xmlBytes = std::filesystem::file_size(Folder() / "large.xml");
    CAppToolsXML::SetPath(Folder().string() + "/");
    CAppToolsXML::SetSchemaPath(APPCONFIG_SCHEMA_DIR "/Description");
    tree = CAppStreamXML::Load("large", nullptr, "DEVICE");
    nodes = tree->ObjectCount();
    CAppStreamBin::Save(tree.get(), binFile);
    binBytes = std::filesystem::file_size(binFile);
  }
  std::unique_ptr<CAppParam> tree;
  std::string binFile = (Folder() / "large.bin").string();
  std::uint64_t xmlBytes = 0;
  std::uint64_t binBytes = 0;
  unsigned nodes = 0;
};

DescriptionFixture& Description() {
  static DescriptionFixture* fixture = new DescriptionFixture;
  return *fixture;
}

void BM_Description_XmlLoad(benchmark::State& state) {
  DescriptionFixture& d = Description();
  for (auto _ : state) {
    std::unique_ptr<CAppParam> tree = CAppStreamXML::Load("large", nullptr, "DEVICE");
    state.PauseTiming();
    if (!tree || tree->ObjectCount() != d.nodes) state.SkipWithError("tree not loaded");
    tree.reset();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * d.xmlBytes));
}

void BM_Description_BinSave_File(benchmark::State& state) {
  DescriptionFixture& d = Description();
  const std::string file = (Folder() / "large_saved.bin").string();
  for (auto _ : state) CAppStreamBin::Save(d.tree.get(), file);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * d.binBytes));
}

void BM_Description_BinSave_Memory(benchmark::State& state) {
  DescriptionFixture& d = Description();
  for (auto _ : state) {
    CAppToolsBin::Memory memory(4096);
    CAppStreamBin::SaveStream save(&memory, d.tree.get());
    benchmark::DoNotOptimize(memory.GetLength());
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * d.binBytes));
}

void BM_Description_BinLoad_File(benchmark::State& state) {
  DescriptionFixture& d = Description();
  for (auto _ : state) {
    std::unique_ptr<CAppParam> tree = CAppStreamBin::Load(d.binFile);
    state.PauseTiming();
    if (!tree || tree->ObjectCount() != d.nodes) state.SkipWithError("tree not loaded");
    tree.reset();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * d.binBytes));
}

struct UndoFixture {
  UndoFixture() {
    group.SetKey("CHANNELS");
    FillLeaves(&group, kUndoParams);
    snapshotBytes = CAppStreamBin::CreateUndo(&group)->GetLength();
  }
  CAppParamGroup group;
  std::uint32_t snapshotBytes = 0;
};

UndoFixture& Undo() {
  static UndoFixture* fixture = new UndoFixture;
  return *fixture;
}

void BM_Undo_CreateAndMake10000(benchmark::State& state) {
  UndoFixture& u = Undo();
  for (auto _ : state) {
    std::unique_ptr<CAppToolsBin::Stream> snapshot = CAppStreamBin::CreateUndo(&u.group);
    CAppStreamBin::MakeUndo(snapshot.get(), &u.group);
  }
  if (u.group.GetCount() != kUndoParams) state.SkipWithError("group not restored");
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations()) * u.snapshotBytes);
  state.SetItemsProcessed(static_cast<std::int64_t>(state.iterations()) * kUndoParams);
}

// The reference: one plain copy of a snapshot's bytes.
void BM_Undo_MemcpySnapshot(benchmark::State& state) {
  const std::size_t size = Undo().snapshotBytes;
  std::vector<char> from(size, 'x'), to(size);
  for (auto _ : state) {
    std::memcpy(to.data(), from.data(), size);
    benchmark::DoNotOptimize(to.data());
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * size));
}

BENCHMARK(BM_Description_XmlLoad)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Description_BinSave_File)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Description_BinSave_Memory)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Description_BinLoad_File)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StreamBinSave_Memory)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StreamBinSave_File)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StreamBinSaveIo_File)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_StreamBinLoad_File)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_XmlDescriptionLoad_File)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Undo_CreateAndMake10000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_Undo_MemcpySnapshot)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  Fixture& f = Data();
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);

  std::printf("\ntree: %u nodes, binary file %.2f MB, description %.2f MB\n", f.nodes,
              static_cast<double>(f.binBytes) / 1e6, static_cast<double>(f.xmlBytes) / 1e6);
  for (const char* name : {"BM_StreamBinSave_Memory", "BM_StreamBinSave_File", "BM_StreamBinLoad_File"}) {
    const double ms = reporter.Time(name);
    if (ms > 0) {
      std::printf("%-28s %8.2f ms  %7.1f MB/s\n", name, ms, static_cast<double>(f.binBytes) / 1e6 / (ms / 1e3));
    }
  }
  const double xml = reporter.Time("BM_XmlDescriptionLoad_File");
  if (xml > 0) {
    std::printf("%-28s %8.2f ms  %7.1f MB/s\n", "BM_XmlDescriptionLoad_File", xml,
                static_cast<double>(f.xmlBytes) / 1e6 / (xml / 1e3));
  }
  const double saveFile = reporter.Time("BM_StreamBinSave_File");
  const double io = reporter.Time("BM_StreamBinSaveIo_File");
  if (saveFile > 0 && io > 0) {
    const double sync = reporter.Counter("BM_StreamBinSaveIo_File", "fsync_ms");
    std::printf("file save disk work alone: %.2f ms (write %.2f, fsync %.2f, rename %.2f), %.0f%% of the file "
                "save; fsync %.0f%%\n",
                io, reporter.Counter("BM_StreamBinSaveIo_File", "write_ms"), sync,
                reporter.Counter("BM_StreamBinSaveIo_File", "rename_ms"), 100 * io / saveFile,
                100 * sync / saveFile);
  }
  // Binary save and load each at least 5 times faster than the XML load of
  // the generated description.
  const DescriptionFixture& d = Description();
  const double descriptionXml = reporter.Time("BM_Description_XmlLoad");
  std::printf("\ngenerated description: %u nodes, description %.2f MB, binary file %.2f MB\n", d.nodes,
              static_cast<double>(d.xmlBytes) / 1e6, static_cast<double>(d.binBytes) / 1e6);
  for (const char* name : {"BM_Description_XmlLoad", "BM_Description_BinSave_File", "BM_Description_BinSave_Memory",
                           "BM_Description_BinLoad_File"}) {
    std::printf("%-32s %8.2f ms\n", name, reporter.Time(name));
  }
  reporter.PrintRatio("binary save to file / XML load (generated description)",
                      reporter.Time("BM_Description_BinSave_File"), descriptionXml, 0.2);
  reporter.PrintRatio("binary save to memory / XML load (generated description)",
                      reporter.Time("BM_Description_BinSave_Memory"), descriptionXml, 0.2);
  reporter.PrintRatio("binary load / XML load (generated description)", reporter.Time("BM_Description_BinLoad_File"),
                      descriptionXml, 0.2);
  // The device tree of plain parameters has few fields per node, so its XML
  // load is cheap and the ratios are higher; shown for comparison.
  if (xml > 0) {
    for (const char* name : {"BM_StreamBinSave_File", "BM_StreamBinSave_Memory", "BM_StreamBinLoad_File"}) {
      const double ms = reporter.Time(name);
      if (ms > 0) std::printf("device tree: %s / XML load: ratio %.2f\n", name, ms / xml);
    }
  }

  const double undo = reporter.Time("BM_Undo_CreateAndMake10000");
  const double copy = reporter.Time("BM_Undo_MemcpySnapshot");
  if (undo > 0) {
    std::printf("CreateUndo + MakeUndo, %d parameters (%u-byte snapshot): %.3f ms (target <= 5 ms) %s\n",
                kUndoParams, Undo().snapshotBytes, undo, undo <= 5.0 ? "OK" : "MISSED");
  }
  if (undo > 0 && copy > 0) std::printf("undo / memcpy of the snapshot: %.0f\n", undo / copy);
  std::filesystem::remove_all(Folder());
  return 0;
}
