// Parse cost of a large description: Document::Load of 100 000 parameters.
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <string>

#include "BenchRatio.h"
#include "appconfig/AppException.h"
#include "appconfig/AppToolsXML.h"

namespace {

constexpr int kParams = 100000;

std::filesystem::path Folder() {
  static const std::filesystem::path dir =
      std::filesystem::temp_directory_path() / ("appconfig_bm_xml_" + std::to_string(::getpid()));
  return dir;
}

// A description shaped like a device module's: a resource section, then a
// group of numeric parameters with their fields. Written straight to the file
// so the text never sits in this process's memory.
void WriteDescription(const std::string& name, bool latin1, const char* xmlns) {
  std::ofstream out(Folder() / (name + ".xml"), std::ios::binary);
  const std::string e = latin1 ? "\xE9" : "\xC3\xA9";  // é
  out << "<?xml version=\"1.0\" encoding=\"" << (latin1 ? "ISO-8859-1" : "UTF-8") << "\"?>\n";
  out << "<Description" << xmlns << ">\n";
  out << "  <Resources Profile=\"CAppParamNumeric\"><Define Key=\"SYS_LINK\" Value=\"Numeric\"/></Resources>\n";
  out << "  <Group Key=\"SYS_ROOT\" Name=\"Module\">\n";
  char key[16];
  for (int i = 0; i < kParams; ++i) {
    std::snprintf(key, sizeof key, "P_%06d", i);
    out << "    <Param Key=\"" << key << "\" Type=\"Numeric\" Name=\"Vitesse " << i << "\" Help=\"D" << e
        << "bit\">\n      <Property Name=\"Default\" Value=\"" << (i % 1000)
        << "\"/><Property Name=\"Unit\" Value=\"ms\"/>\n    </Param>\n";
  }
  out << "  </Group>\n</Description>\n";
}

void WriteSchema() {
  std::ofstream(Folder() / "bench.xdr") <<
      R"(<Schema xmlns="urn:schemas-microsoft-com:xml-data" xmlns:dt="urn:schemas-microsoft-com:datatypes">
  <AttributeType name="Key"/><AttributeType name="Name"/><AttributeType name="Value"/>
  <AttributeType name="Type"/><AttributeType name="Help"/><AttributeType name="Profile"/>
  <ElementType name="Property" content="empty" model="closed">
    <attribute type="Name" required="yes"/><attribute type="Value"/>
  </ElementType>
  <ElementType name="Define" content="empty"><attribute type="Key" required="yes"/></ElementType>
  <ElementType name="Resources" content="eltOnly" order="many">
    <attribute type="Profile" required="yes"/><element type="Define" minOccurs="0" maxOccurs="*"/>
  </ElementType>
  <ElementType name="Param" content="eltOnly" model="closed" order="many">
    <attribute type="Key" required="yes"/><attribute type="Type" required="yes"/>
    <attribute type="Name"/><attribute type="Help"/>
    <element type="Property" minOccurs="0" maxOccurs="*"/>
  </ElementType>
  <ElementType name="Group" content="eltOnly" order="many">
    <attribute type="Key" required="yes"/><attribute type="Name"/>
    <element type="Param" minOccurs="0" maxOccurs="*"/>
  </ElementType>
  <ElementType name="Description" content="eltOnly" order="many">
    <element type="Resources" minOccurs="0" maxOccurs="*"/><element type="Group" minOccurs="0" maxOccurs="*"/>
  </ElementType>
</Schema>)";
}

void Setup() {
  std::filesystem::create_directories(Folder());
  WriteDescription("utf8", false, "");
  WriteDescription("latin1", true, "");
  WriteDescription("validated", false, " xmlns=\"urn:bench\"");
  WriteSchema();
  CAppToolsXML::SetPath(Folder().string() + "/");
  CAppToolsXML::SetSchemaPath(Folder().string() + "/");
}

void RunLoad(benchmark::State& state, const char* name, bool validate) {
  CAppToolsXML::SchemaCollection schemas;
  if (validate && !(schemas.Create() && schemas.Add("urn:bench", "bench"))) {
    state.SkipWithError("schema not loaded");
    return;
  }
  const auto bytes = static_cast<std::int64_t>(std::filesystem::file_size(Folder() / (std::string(name) + ".xml")));
  for (auto _ : state) {
    CAppToolsXML::Document doc;
    try {
      doc.Load(name, validate ? &schemas : nullptr);
    } catch (const CAppException& e) {
      state.SkipWithError(e.GetMessage().c_str());
      break;
    }
    benchmark::DoNotOptimize(doc.GetPtr().Get());
    state.PauseTiming();
    doc = CAppToolsXML::Document();  // the release is not part of the parse
    state.ResumeTiming();
  }
  state.SetBytesProcessed(state.iterations() * bytes);
  state.SetItemsProcessed(state.iterations() * kParams);
  state.counters["MB"] = static_cast<double>(bytes) / 1e6;
}

void BM_XmlLoad_Utf8(benchmark::State& state) { RunLoad(state, "utf8", false); }
void BM_XmlLoad_Latin1(benchmark::State& state) { RunLoad(state, "latin1", false); }
void BM_XmlLoad_Validated(benchmark::State& state) { RunLoad(state, "validated", true); }
BENCHMARK(BM_XmlLoad_Utf8)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_XmlLoad_Latin1)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_XmlLoad_Validated)->Unit(benchmark::kMillisecond);

long PeakKiB() {
  rusage usage{};
  ::getrusage(RUSAGE_SELF, &usage);
  return usage.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  Setup();
  // Peak memory of one load, before the timed runs raise the process's peak.
  const long before = PeakKiB();
  {
    CAppToolsXML::Document doc;
    doc.Load("utf8", nullptr);
  }
  const long after = PeakKiB();

  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  const double mb = static_cast<double>(std::filesystem::file_size(Folder() / "utf8.xml")) / 1e6;
  std::printf("\n");
  for (const char* name : {"BM_XmlLoad_Utf8", "BM_XmlLoad_Latin1", "BM_XmlLoad_Validated"}) {
    const double ms = reporter.Time(name);
    if (ms > 0) std::printf("%-22s %d parameters, %.1f MB: %.3f s per load, %.0f MB/s\n", name, kParams, mb, ms / 1e3,
                            mb / (ms / 1e3));
  }
  std::printf("peak memory growth of one load: %.1f MiB\n", static_cast<double>(after - before) / 1024.0);
  if (reporter.Time("BM_XmlLoad_Utf8") > 0) {
    std::printf("validated load / plain load: %.2f\n",
                reporter.Time("BM_XmlLoad_Validated") / reporter.Time("BM_XmlLoad_Utf8"));
  }
  std::filesystem::remove_all(Folder());
  return 0;
}
