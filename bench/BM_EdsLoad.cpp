// Reading CANopen EDS files against loading the appconfig description that
// `appconfig import` writes for the same device: a device of 211 objects
// (about 1 000 entries), and the same 211 objects repeated under 200 index
// ranges (about 26 MB). Time of both, and peak memory of the large one.
#include <benchmark/benchmark.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <memory>
#include <string>

#include "BenchPeak.h"
#include "BenchRatio.h"
#include "appconfig/AppException.h"
#include "appconfig/AppParam.h"
#include "appconfig/AppStreamEDS.h"
#include "appconfig/AppStreamXML.h"
#include "appconfig/AppToolsXML.h"

namespace {

namespace fs = std::filesystem;

fs::path Folder() {
  static const fs::path dir = fs::temp_directory_path() / ("appconfig_bm_eds_" + std::to_string(::getpid()));
  return dir;
}

constexpr int kObjects = 211;
constexpr int kRanges = 200;

void Entry(std::ostream& out, const std::string& section, const std::string& name, const char* type,
           const std::string& value, bool limits) {
  out << "[" << section << "]\nParameterName=" << name << "\nObjectType=0x7\nDataType=" << type
      << "\nAccessType=rw\nDefaultValue=" << value << "\nPDOMapping=0\n";
  if (limits) out << "LowLimit=0x0000\nHighLimit=0x7FFF\n";
  out << "\n";
}

// Object k of range r: two thirds VARs of several types, one third RECORDs
// of 11 sub-indexes; index 0x1000 + 256 r + k.
void WriteObject(std::ostream& out, int r, int k) {
  char index[8];
  std::snprintf(index, sizeof index, "%04X", 0x1000 + 256 * r + k);
  const std::string name = "Parameter " + std::to_string(k) + " of range " + std::to_string(r);
  if (k % 3 != 2) {
    static const char* const types[] = {"0x0007", "0x0006", "0x0005", "0x0003", "0x0009"};
    const char* type = types[k % 5];
    Entry(out, index, name, type, k % 5 == 4 ? "text " + std::to_string(k) : "$NODEID+0x" + std::to_string(k % 90),
          k % 5 == 1);
    return;
  }
  out << "[" << index << "]\nParameterName=" << name << "\nObjectType=0x9\nSubNumber=11\n\n";
  Entry(out, std::string(index) + "sub0", "Highest sub-index supported", "0x0005", "10", false);
  for (int sub = 1; sub <= 10; ++sub) {
    Entry(out, std::string(index) + "sub" + std::to_string(sub), "Field " + std::to_string(sub) + " of " + name,
          sub % 2 == 0 ? "0x0006" : "0x0007", std::to_string(sub * 100), sub == 3);
  }
}

void WriteEds(const fs::path& file, int ranges) {
  std::ofstream out(file, std::ios::binary);
  out << "[FileInfo]\nFileName=" << file.filename().string() << "\nEDSVersion=4.0\n\n"
      << "[DeviceInfo]\nVendorName=appconfig\nProductName=Benchmark device\n\n";
  for (int r = 0; r < ranges; ++r) {
    for (int k = 0; k < kObjects; ++k) WriteObject(out, r, k);
  }
}

// The description `import` writes: the tree the EDS gives, saved as XML.
void Import(const std::string& name) {
  const std::unique_ptr<CAppParam> tree = CAppStreamEDS::Load((Folder() / (name + ".eds")).string());
  CAppStreamXML::Save(name, tree.get());
}

struct Files {
  Files() {
    fs::create_directories(Folder());
    CAppToolsXML::SetPath(Folder().string() + "/");
    CAppToolsXML::SetSchemaPath(std::string(APPCONFIG_SCHEMA_DIR) + "/Description");
    WriteEds(Folder() / "small.eds", 1);
    WriteEds(Folder() / "large.eds", kRanges);
    Import("small");
    Import("large");
    smallBytes = fs::file_size(Folder() / "small.eds");
    largeBytes = fs::file_size(Folder() / "large.eds");
    smallXmlBytes = fs::file_size(Folder() / "small.xml");
    largeXmlBytes = fs::file_size(Folder() / "large.xml");
  }
  ~Files() {
    std::error_code ec;
    fs::remove_all(Folder(), ec);
  }
  std::uintmax_t smallBytes = 0, largeBytes = 0, smallXmlBytes = 0, largeXmlBytes = 0;
};

const Files& GetFiles() {
  static const Files files;
  return files;
}

void LoadEds(const char* name) {
  const std::unique_ptr<CAppParam> tree = CAppStreamEDS::Load((Folder() / (std::string(name) + ".eds")).string());
  benchmark::DoNotOptimize(tree.get());
}

void LoadXml(const char* name) {
  const std::unique_ptr<CAppParam> tree = CAppStreamXML::Load(name, nullptr, "DEVICE");
  benchmark::DoNotOptimize(tree.get());
}

void Run(benchmark::State& state, const std::function<void()>& load, std::uintmax_t bytes) {
  GetFiles();
  for (auto _ : state) {
    try {
      load();
    } catch (const CAppException& e) {
      state.SkipWithError(e.GetMessage().c_str());
      break;
    }
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * bytes));
}

void BM_EdsLoad_Small(benchmark::State& state) { Run(state, [] { LoadEds("small"); }, GetFiles().smallBytes); }
void BM_XmlLoad_Small(benchmark::State& state) { Run(state, [] { LoadXml("small"); }, GetFiles().smallXmlBytes); }
void BM_EdsLoad_Large(benchmark::State& state) { Run(state, [] { LoadEds("large"); }, GetFiles().largeBytes); }
void BM_XmlLoad_Large(benchmark::State& state) { Run(state, [] { LoadXml("large"); }, GetFiles().largeXmlBytes); }
BENCHMARK(BM_EdsLoad_Small)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_XmlLoad_Small)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_EdsLoad_Large)->Unit(benchmark::kMillisecond)->Iterations(3);
BENCHMARK(BM_XmlLoad_Large)->Unit(benchmark::kMillisecond)->Iterations(3);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  const Files& files = GetFiles();
  const long eds = PeakGrowthKiB([] { LoadEds("large"); });
  const long xml = PeakGrowthKiB([] { LoadXml("large"); });
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\nEDS files: %.2f MB (%d objects), %.1f MB (%d objects); imported XML %.1f MB\n",
              static_cast<double>(files.smallBytes) / 1e6, kObjects, static_cast<double>(files.largeBytes) / 1e6,
              kObjects * kRanges, static_cast<double>(fs::file_size(Folder() / "large.xml")) / 1e6);
  reporter.PrintRatio("EDS read / imported XML load, 211 objects (time)", reporter.Time("BM_EdsLoad_Small"),
                      reporter.Time("BM_XmlLoad_Small"), 1.5);
  reporter.PrintRatio("EDS read / imported XML load, 26 MB (time)", reporter.Time("BM_EdsLoad_Large/iterations:3"),
                      reporter.Time("BM_XmlLoad_Large/iterations:3"), 1.5);
  std::printf("peak memory: EDS read %.1f MiB, XML load %.1f MiB\n", eds / 1024.0, xml / 1024.0);
  reporter.PrintRatio("EDS read / imported XML load, 26 MB (peak memory)", static_cast<double>(eds),
                      static_cast<double>(xml), 1.0);
  benchmark::Shutdown();
  return 0;
}
