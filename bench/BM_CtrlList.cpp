// The list control on Qt's offscreen platform: filled by hand with rows of
// three columns and shown, as a host does on activation; and showing a
// group of numbers through the group's model, as a list link does, scrolled
// page by page from the first to the last page.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QElapsedTimer>
#include <QScrollBar>

#include <algorithm>
#include <cstdio>
#include <ctime>
#include <memory>
#include <string>
#include <vector>

#include "BenchQtMain.h"
#include "appconfig/AppParamGroup.h"
#include "appconfig/AppParamNumeric.h"
#include "appconfig/ui/AppCtrlList.h"
#include "appconfig/ui/AppLnkWnd.h"
#include "models/AppParamGroupModel.h"
#include "platform/AppWindowMessages.h"

namespace {

constexpr int kLongList = 100000;

void AddColumns(CAppCtrlList& list) {
  for (const char* title : {"Nom", "Valeur", "Unité"}) list.AddColumn(title);
}

// One row the way a list link adds it: the name as label, then the cells.
void AddRow(CAppCtrlList& list, int row) {
  list.AddItem(static_cast<unsigned long>(row), "Paramètre " + std::to_string(row));
  list.SetText(std::to_string(row * 7), row, 1);
  list.SetText("ms", row, 2);
}

// CPU time of this thread: what a repaint costs when other processes share
// the cores.
double ThreadCpuMs() {
  timespec now{};
  clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
  return static_cast<double>(now.tv_sec) * 1e3 + static_cast<double>(now.tv_nsec) / 1e6;
}

// Shown, then filled between the two activation messages, then painted.
void FillAndShow(CAppCtrlList& list, int rows) {
  list.resize(480, 360);
  list.show();
  AddColumns(list);
  SendAppMessage(&list, AppWindowMessage::CtrlBeginActivate, 0, 0);
  for (int row = 0; row < rows; ++row) AddRow(list, row);
  SendAppMessage(&list, AppWindowMessage::CtrlEndActivate, 0, 0);
  list.viewport()->repaint();
  QApplication::processEvents();
}

// Range 0: the number of rows.
void BM_CtrlList_FillShow(benchmark::State& state) {
  const int rows = static_cast<int>(state.range(0));
  for (auto _ : state) {
    auto list = std::make_unique<CAppCtrlList>(1);
    FillAndShow(*list, rows);
    state.PauseTiming();
    list.reset();
    QApplication::processEvents();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.iterations() * rows);
}
BENCHMARK(BM_CtrlList_FillShow)->Arg(10000)->Arg(kLongList)->Unit(benchmark::kMillisecond)->Iterations(3);

std::unique_ptr<CAppParamGroup> Numbers(int count) {
  auto group = std::make_unique<CAppParamGroup>("Groupe");
  group->Reserve(static_cast<unsigned>(count));
  for (int i = 0; i < count; ++i) {
    auto* number = group->SetAt("P" + std::to_string(i), new CAppParamNumeric("Paramètre " + std::to_string(i)));
    number->SetType(CAppTools::Type("UI2"));
    number->SetVariant(CAppVariant(static_cast<std::uint32_t>(i % 1000)));
    number->SetUnit("ms");
  }
  return group;
}

// One iteration: every page from the first to the last, each scrolled to
// and repainted and timed on its own; the counters give the median, the
// 99th percentile and the slowest repaint in milliseconds (the slowest is
// the one a busy machine spoils first).
void BM_CtrlList_ScrollRepaint_100000(benchmark::State& state) {
  const auto group = Numbers(kLongList);
  CAppLnkWnd link;
  CAppCtrlList list(1);
  list.resize(480, 360);
  list.show();
  SendAppMessage(&list, AppWindowMessage::CtrlBeginActivate, 0, 0);
  list.SetGroupModel(new CAppParamGroupModel(link, *group, CAppParamGroupModel::MODE_LIST, nullptr, nullptr));
  SendAppMessage(&list, AppWindowMessage::CtrlEndActivate, 0, 0);
  QApplication::processEvents();
  QScrollBar* bar = list.verticalScrollBar();
  std::vector<double> times;
  std::vector<double> cpuTimes;
  for (auto _ : state) {
    bar->setValue(0);
    list.viewport()->repaint();
    for (int value = 0; value < bar->maximum();) {
      value = std::min(value + bar->pageStep(), bar->maximum());
      QElapsedTimer timer;
      timer.start();
      const double cpuStart = ThreadCpuMs();
      bar->setValue(value);
      list.viewport()->repaint();
      cpuTimes.push_back(ThreadCpuMs() - cpuStart);
      times.push_back(static_cast<double>(timer.nsecsElapsed()) / 1e6);
    }
  }
  state.SetItemsProcessed(static_cast<std::int64_t>(times.size()));
  std::sort(times.begin(), times.end());
  std::sort(cpuTimes.begin(), cpuTimes.end());
  const auto at = [](const std::vector<double>& sorted, double share) {
    return sorted[static_cast<size_t>(share * static_cast<double>(sorted.size() - 1))];
  };
  state.counters["pages"] = static_cast<double>(times.size());
  state.counters["median_ms"] = at(times, 0.5);
  state.counters["p99_ms"] = at(times, 0.99);
  state.counters["slowest_ms"] = times.back();
  state.counters["cpu_median_ms"] = at(cpuTimes, 0.5);
  state.counters["cpu_slowest_ms"] = cpuTimes.back();
}
BENCHMARK(BM_CtrlList_ScrollRepaint_100000)->Unit(benchmark::kMillisecond)->Iterations(1);

void PrintTargets(RatioReporter& reporter) {
  const double small = reporter.Time("BM_CtrlList_FillShow/10000/iterations:3");
  const double large = reporter.Time("BM_CtrlList_FillShow/100000/iterations:3");
  if (small > 0)
    std::printf("10 000 rows x 3 columns filled and shown: %.1f ms (target <= 300 ms) %s\n", small,
                small <= 300 ? "OK" : "MISSED");
  reporter.PrintRatio("100 000 rows against 10 000 rows, fill and show", large, small, 10.0);
  const std::string scroll = "BM_CtrlList_ScrollRepaint_100000/iterations:1";
  const double pages = reporter.Counter(scroll, "pages");
  const double slowest = reporter.Counter(scroll, "slowest_ms");
  if (pages > 0)
    std::printf("100 000 rows, %.0f pages from first to last: repaint median %.3f ms, 99%% %.3f ms, slowest %.3f ms "
                "(target <= 5 ms) %s\n",
                pages, reporter.Counter(scroll, "median_ms"), reporter.Counter(scroll, "p99_ms"), slowest,
                slowest <= 5 ? "OK" : "MISSED");
  if (pages > 0)
    std::printf("  the same in CPU time of the thread: median %.3f ms, slowest %.3f ms (target <= 5 ms) %s\n",
                reporter.Counter(scroll, "cpu_median_ms"), reporter.Counter(scroll, "cpu_slowest_ms"),
                reporter.Counter(scroll, "cpu_slowest_ms") <= 5 ? "OK" : "MISSED");
}

}  // namespace

int main(int argc, char** argv) { return RunQtBenchmarks(argc, argv, PrintTargets); }
