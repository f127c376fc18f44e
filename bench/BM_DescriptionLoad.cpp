// Description loading against pugixml's bare parse of the same file: time
// and peak memory of CAppStreamXML::Load (parse, validation, tree, checks)
// over a generated description of 100 000 parameters, and the cost per
// definition of 2 000 and 20 000 definitions that refer to each other. The
// XML layer's own steps are timed apart: reading the schema, the document
// load with and without validation, and the validation alone.
#include <benchmark/benchmark.h>
#include <pugixml.hpp>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <functional>
#include <string>

#include "AppXmlInternal.h"
#include "BenchPeak.h"
#include "BenchRatio.h"
#include "LargeDescription.h"
#include "appconfig/AppException.h"
#include "appconfig/AppParam.h"
#include "appconfig/AppResources.h"
#include "appconfig/AppStreamXML.h"

namespace {

namespace fs = std::filesystem;

const char* const kNamespace = "QXE-kvrDescription";

fs::path Folder() {
  static const fs::path dir = fs::temp_directory_path() / ("appconfig_bm_desc_" + std::to_string(::getpid()));
  return dir;
}

// `count` definitions, each referred to from the root group and referring to
// a shared leaf definition.
void WriteReferences(int count) {
  std::ofstream out(Folder() / ("refs_" + std::to_string(count) + ".xml"), std::ios::binary);
  out << "<?xml version=\"1.0\"?>\n<Description xmlns=\"QXE-kvrDescription\">\n  <Group Key=\"ROOT\">\n";
  for (int i = 0; i < count; ++i) out << "    <ParamRef Key=\"R" << i << "\" Ref=\"D" << i << "\"/>\n";
  out << "  </Group>\n  <Param Key=\"LEAF\" Type=\"Value\" Value=\"x\"/>\n";
  for (int i = 0; i < count; ++i) {
    out << "  <Group Key=\"D" << i << "\"><ParamRef Key=\"L\" Ref=\"LEAF\"/></Group>\n";
  }
  out << "</Description>\n";
}

struct Setup {
  Setup() {
    fs::create_directories(Folder());
    WriteLargeDescription(Folder() / "large.xml");
    WriteReferences(2000);
    WriteReferences(20000);
    CAppToolsXML::SetPath(Folder().string() + "/");
    CAppToolsXML::SetSchemaPath(std::string(APPCONFIG_SCHEMA_DIR) + "/Description");
    bytes = fs::file_size(Folder() / "large.xml");
  }
  ~Setup() {
    std::error_code ec;
    fs::remove_all(Folder(), ec);
  }
  std::uintmax_t bytes = 0;
};

Setup& Files() {
  static Setup setup;
  return setup;
}

void BarePugiParse() {
  pugi::xml_document doc;
  if (!doc.load_file((Folder() / "large.xml").c_str())) std::abort();
  benchmark::DoNotOptimize(doc.first_child());
}

std::unique_ptr<CAppParam> LoadDescription(const std::string& file, const std::string& key) {
  CAppResources resources;
  resources.Init();
  auto tree = CAppStreamXML::Load(file, &resources, key);
  if (!tree) std::abort();
  return tree;
}

void BM_PugiParse_Large(benchmark::State& state) {
  Files();
  for (auto _ : state) BarePugiParse();
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Files().bytes));
}
BENCHMARK(BM_PugiParse_Large)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_DescriptionLoad_Large(benchmark::State& state) {
  Files();
  for (auto _ : state) {
    auto tree = LoadDescription("large", "DEVICE");
    state.PauseTiming();
    tree.reset();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Files().bytes));
}
BENCHMARK(BM_DescriptionLoad_Large)->Unit(benchmark::kMillisecond)->Iterations(5);

// The same load with both load limits lifted (SIZE_MAX), so that the
// loader counts neither the element visits nor against any limit: the
// difference is what the limits cost an ordinary load.
void BM_DescriptionLoad_LargeUnlimited(benchmark::State& state) {
  Files();
  const CAppStreamXML::Limits saved = CAppStreamXML::GetLimits();
  CAppStreamXML::SetLimits({SIZE_MAX, 0, SIZE_MAX, 0});
  for (auto _ : state) {
    auto tree = LoadDescription("large", "DEVICE");
    state.PauseTiming();
    tree.reset();
    state.ResumeTiming();
  }
  CAppStreamXML::SetLimits(saved);
  state.SetBytesProcessed(static_cast<std::int64_t>(state.iterations() * Files().bytes));
}
BENCHMARK(BM_DescriptionLoad_LargeUnlimited)->Unit(benchmark::kMillisecond)->Iterations(5);

void BM_DescriptionLoad_References(benchmark::State& state) {
  Files();
  const int count = static_cast<int>(state.range(0));
  for (auto _ : state) {
    auto tree = LoadDescription("refs_" + std::to_string(count), "ROOT");
    state.PauseTiming();
    tree.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * count);
}
BENCHMARK(BM_DescriptionLoad_References)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond)->Iterations(5);

// The description schema as CAppStreamXML::Load reads it on every load.
void BM_SchemaLoad_Description(benchmark::State& state) {
  Files();
  for (auto _ : state) {
    CAppToolsXML::SchemaCollection schemas;
    if (!schemas.Create() || !schemas.Add(kNamespace, "")) {
      state.SkipWithError("schema not loaded");
      break;
    }
    benchmark::DoNotOptimize(schemas.GetPtr().Get());
  }
}
BENCHMARK(BM_SchemaLoad_Description)->Unit(benchmark::kMicrosecond);

CAppToolsXML::SchemaCollection& DescriptionSchema() {
  static CAppToolsXML::SchemaCollection schemas = [] {
    CAppToolsXML::SchemaCollection s;
    if (!s.Create() || !s.Add(kNamespace, "")) std::abort();
    return s;
  }();
  return schemas;
}

// Document::Load of the large file: read, decode, parse and, with a schema,
// validation.
void RunDocumentLoad(benchmark::State& state, bool validate) {
  Files();
  const CAppToolsXML::SchemaCollection* schemas = validate ? &DescriptionSchema() : nullptr;
  for (auto _ : state) {
    CAppToolsXML::Document doc;
    try {
      doc.Load("large", schemas);
    } catch (const CAppException& e) {
      state.SkipWithError(e.GetMessage().c_str());
      break;
    }
    state.PauseTiming();
    doc = CAppToolsXML::Document();
    state.ResumeTiming();
  }
}
void BM_DocumentLoad_Plain(benchmark::State& state) { RunDocumentLoad(state, false); }
void BM_DocumentLoad_Validated(benchmark::State& state) { RunDocumentLoad(state, true); }
BENCHMARK(BM_DocumentLoad_Plain)->Unit(benchmark::kMillisecond)->Iterations(10);
BENCHMARK(BM_DocumentLoad_Validated)->Unit(benchmark::kMillisecond)->Iterations(10);

// The validation alone, on a freshly parsed document each time (it adds the
// defaults of absent attributes, so a document is validated once).
void BM_XdrValidate_Large(benchmark::State& state) {
  Files();
  const CAppToolsXML::SchemaCollection& schemas = DescriptionSchema();
  for (auto _ : state) {
    state.PauseTiming();
    CAppToolsXML::Document doc;
    doc.Load("large", nullptr);
    state.ResumeTiming();
    pugi::xml_node where;
    std::string reason;
    if (!AppXdrValidate(doc.GetPtr()->doc, *schemas.GetPtr(), where, reason)) {
      state.SkipWithError(reason.c_str());
      break;
    }
    state.PauseTiming();
    doc = CAppToolsXML::Document();
    state.ResumeTiming();
  }
}
BENCHMARK(BM_XdrValidate_Large)->Unit(benchmark::kMillisecond)->Iterations(20);

}  // namespace

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  // Memory first, from a fresh heap: memory the benchmarks free stays
  // resident in this process and would hide the children's growth.
  Files();
  const long parse = PeakGrowthKiB(BarePugiParse);
  const long load = PeakGrowthKiB([] { LoadDescription("large", "DEVICE"); });
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\ndescription of %d parameters, %.1f MB\n", kParams, static_cast<double>(Files().bytes) / 1e6);
  reporter.PrintRatio("description load / bare pugixml parse (time)", reporter.Time("BM_DescriptionLoad_Large/iterations:5"),
                      reporter.Time("BM_PugiParse_Large/iterations:5"), 3.0);
  reporter.PrintRatio("description load, limits / no limits (time)", reporter.Time("BM_DescriptionLoad_Large/iterations:5"),
                      reporter.Time("BM_DescriptionLoad_LargeUnlimited/iterations:5"), 1.03);
  const double validation = reporter.Time("BM_XdrValidate_Large/iterations:20");
  if (validation > 0) {
    std::printf("validation alone of the description: %.2f ms\n", validation);
  }
  const double schema = reporter.Time("BM_SchemaLoad_Description");
  if (schema > 0) std::printf("description schema read per load: %.1f us\n", schema);
  // Plain parse time depends on whether the heap already holds free pages
  // (a first load faults them in), so both loads are printed with the ratio.
  const double plain = reporter.Time("BM_DocumentLoad_Plain/iterations:10");
  const double validated = reporter.Time("BM_DocumentLoad_Validated/iterations:10");
  if (plain > 0 && validated > 0) {
    std::printf("Document::Load validated / plain: %.1f ms / %.1f ms, ratio %.2f\n", validated, plain, validated / plain);
  }
  std::printf("peak memory: bare parse %.1f MiB, description load %.1f MiB\n", parse / 1024.0, load / 1024.0);
  reporter.PrintRatio("description load / bare pugixml parse (peak memory)", static_cast<double>(load),
                      static_cast<double>(parse), 2.0);
  const double small = reporter.Time("BM_DescriptionLoad_References/2000/iterations:5") / 2000;
  const double large = reporter.Time("BM_DescriptionLoad_References/20000/iterations:5") / 20000;
  if (small > 0 && large > 0) {
    std::printf("references: %.2f us per definition at 2000, %.2f us at 20000\n", small * 1e3, large * 1e3);
    reporter.PrintRatio("time per definition, 20000 vs 2000", large, small, 1.5);
  }
  benchmark::Shutdown();
  return 0;
}
