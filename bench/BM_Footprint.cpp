// What a loaded tree costs, over the generated description of 100 000
// parameters:
//   - bytes per node: heap in use (glibc mallinfo2().uordblks) after the
//     load, the document freed, less the heap before it, over the nodes;
//   - peak memory of a description load and of a binary load against a bare
//     pugixml parse of the same file: each runs once in a child process whose
//     peak resident size is reset first (/proc/self/clear_refs), and the
//     growth of that peak over the child's starting size is kept;
//   - time of the description load against the bare parse, and of the binary
//     load against the description load;
//   - heap in use after 100 loads and destructions of the same tree, against
//     the heap after the first one (which builds the process's first-use
//     tables).
// The two heap figures come from a second run of this program with glibc's
// per-thread cache of freed blocks switched off (GLIBC_TUNABLES): mallinfo2
// counts the blocks parked there as in use, which would blur both by a few
// kilobytes from one load to the next.
#include <benchmark/benchmark.h>
#include <malloc.h>
#include <pugixml.hpp>
#include <sys/wait.h>
#include <unistd.h>

#include <climits>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include "BenchPeak.h"
#include "BenchRatio.h"
#include "LargeDescription.h"
#include "appconfig/AppParam.h"
#include "appconfig/AppResources.h"
#include "appconfig/AppStreamBin.h"
#include "appconfig/AppStreamXML.h"
#include "appconfig/AppToolsXML.h"

namespace {

namespace fs = std::filesystem;

constexpr int kCycles = 100;

fs::path Folder() {
  static const fs::path dir = fs::temp_directory_path() / ("appconfig_bm_footprint_" + std::to_string(::getpid()));
  return dir;
}

struct Files {
  Files() {
    fs::create_directories(Folder());
    WriteLargeDescription(Folder() / "large.xml");
    CAppToolsXML::SetPath(Folder().string() + "/");
    CAppToolsXML::SetSchemaPath(std::string(APPCONFIG_SCHEMA_DIR) + "/Description");
  }
  ~Files() {
    std::error_code ec;
    fs::remove_all(Folder(), ec);
  }
  std::string xml = (Folder() / "large.xml").string();
  std::string bin = (Folder() / "large.bin").string();
};

Files& TheFiles() {
  static Files files;
  return files;
}

// Small blocks from the arena, large ones mapped apart.
std::size_t HeapInUse() {
  const struct mallinfo2 info = mallinfo2();
  return info.uordblks + info.hblkhd;
}

void BareParse() {
  pugi::xml_document doc;
  if (!doc.load_file(TheFiles().xml.c_str())) std::abort();
  benchmark::DoNotOptimize(doc.first_child());
}

// As a host loads it: with resources, so the tree is checked (values take
// their declared types).
std::unique_ptr<CAppParam> LoadDescription(CAppResources& resources) {
  auto tree = CAppStreamXML::Load("large", &resources, "DEVICE");
  if (!tree) std::abort();
  return tree;
}

std::unique_ptr<CAppParam> LoadDescription() {
  CAppResources resources;
  resources.Init();
  return LoadDescription(resources);
}

std::unique_ptr<CAppParam> LoadBinary() {
  auto tree = CAppStreamBin::Load(TheFiles().bin);
  if (!tree) std::abort();
  return tree;
}

void SaveBinary() {
  auto tree = LoadDescription();
  CAppStreamBin::Save(tree.get(), TheFiles().bin);
}

struct Peaks {
  long parse = 0, load = 0, binary = 0;
};

// Before anything else, from a fresh heap: memory this process has used and
// freed stays resident and would hide a child's growth. The binary file is
// written by a child too.
Peaks MeasurePeaks() {
  Peaks p;
  p.parse = PeakGrowthKiB(BareParse);
  p.load = PeakGrowthKiB([] { LoadDescription(); });
  PeakGrowthKiB(SaveBinary);
  p.binary = PeakGrowthKiB([] { LoadBinary(); });
  return p;
}

struct Heap {
  unsigned nodes = 0;
  double bytesPerNode = 0;
  std::size_t start = 0, first = 0, cycles = 0;
};

Heap MeasureHeap() {
  Heap h;
  CAppResources resources;
  resources.Init();
  h.start = HeapInUse();
  {
    auto tree = LoadDescription(resources);
    const std::size_t loaded = HeapInUse();
    h.nodes = tree->ObjectCount();
    h.bytesPerNode = static_cast<double>(loaded - h.start) / h.nodes;
  }
  h.first = HeapInUse();
  for (int i = 0; i < kCycles; ++i) LoadDescription(resources);
  h.cycles = HeapInUse();
  return h;
}

constexpr const char* kHeapOption = "--heap";

// MeasureHeap in this program run again without the cache of freed blocks.
Heap MeasureHeapApart() {
  Heap h;
  char self[PATH_MAX] = {};
  if (readlink("/proc/self/exe", self, sizeof self - 1) <= 0) return h;
  const std::string command = std::string("GLIBC_TUNABLES=glibc.malloc.tcache_count=0 '") + self + "' " + kHeapOption;
  if (std::FILE* pipe = popen(command.c_str(), "r")) {
    if (std::fscanf(pipe, "%u %lf %zu %zu %zu", &h.nodes, &h.bytesPerNode, &h.start, &h.first, &h.cycles) != 5) {
      h = Heap();
    }
    pclose(pipe);
  }
  return h;
}

void BM_PugiParse_Large(benchmark::State& state) {
  for (auto _ : state) BareParse();
}
BENCHMARK(BM_PugiParse_Large)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_DescriptionLoad_Large(benchmark::State& state) {
  for (auto _ : state) {
    auto tree = LoadDescription();
    state.PauseTiming();
    tree.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_DescriptionLoad_Large)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_BinLoad_Large(benchmark::State& state) {
  for (auto _ : state) {
    auto tree = LoadBinary();
    state.PauseTiming();
    tree.reset();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_BinLoad_Large)->Unit(benchmark::kMillisecond)->Iterations(5);

}  // namespace

int main(int argc, char** argv) {
  if (argc == 2 && std::strcmp(argv[1], kHeapOption) == 0) {
    TheFiles();
    const Heap h = MeasureHeap();
    std::printf("%u %.2f %zu %zu %zu\n", h.nodes, h.bytesPerNode, h.start, h.first, h.cycles);
    return 0;
  }
  benchmark::Initialize(&argc, argv);
  TheFiles();
  const Peaks p = MeasurePeaks();
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const Heap h = MeasureHeapApart();

  std::printf("\ngenerated description: %u nodes\n", h.nodes);
  std::printf("%-60s %.1f (target <= 200) %s\n", "bytes per node of the loaded tree", h.bytesPerNode,
              h.bytesPerNode <= 200 ? "OK" : "MISSED");
  std::printf("peak memory: bare parse %.1f MiB, description load %.1f MiB, binary load %.1f MiB\n",
              p.parse / 1024.0, p.load / 1024.0, p.binary / 1024.0);
  reporter.PrintRatio("description load / bare pugixml parse (peak memory)", static_cast<double>(p.load),
                      static_cast<double>(p.parse), 1.3);
  const std::string parse = "BM_PugiParse_Large/iterations:5", load = "BM_DescriptionLoad_Large/iterations:5",
                    binary = "BM_BinLoad_Large/iterations:5";
  reporter.PrintRatio("description load / bare pugixml parse (time)", reporter.Time(load), reporter.Time(parse), 2.0);
  reporter.PrintRatio("  the same in CPU time", reporter.CpuTime(load), reporter.CpuTime(parse), 2.0);
  reporter.PrintRatio("binary load / description load (time)", reporter.Time(binary), reporter.Time(load), 0.5);
  reporter.PrintRatio("  the same in CPU time", reporter.CpuTime(binary), reporter.CpuTime(load), 0.5);
  std::printf("heap in use: %zu bytes before any load, %zu after the first load and destruction, %zu after %d more\n",
              h.start, h.first, h.cycles, kCycles);
  reporter.PrintRatio("heap after the cycles / after the first load", static_cast<double>(h.cycles),
                      static_cast<double>(h.first), 1.01);
  reporter.PrintRatio("heap after the cycles / before any load", static_cast<double>(h.cycles),
                      static_cast<double>(h.start), 1.01);
  benchmark::Shutdown();
  return 0;
}
