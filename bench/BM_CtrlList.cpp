// The list control on Qt's offscreen platform: filled with rows of three
// columns and shown, as a list link does on activation, and scrolled page by
// page from the first to the last page of a long list.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QScrollBar>

#include <cstdio>
#include <memory>
#include <string>

#include "BenchRatio.h"
#include "appconfig/ui/AppCtrlList.h"
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

// One iteration: one page down and its repaint; the scroll starts again at
// the top after the last page.
void BM_CtrlList_ScrollRepaint_100000(benchmark::State& state) {
  CAppCtrlList list(1);
  FillAndShow(list, kLongList);
  QScrollBar* bar = list.verticalScrollBar();
  bar->setValue(0);
  for (auto _ : state) {
    const int next = bar->value() + bar->pageStep();
    bar->setValue(bar->value() >= bar->maximum() ? 0 : next);
    list.viewport()->repaint();
  }
  state.SetItemsProcessed(state.iterations());
  state.counters["pages"] = static_cast<double>(bar->maximum()) / bar->pageStep() + 1;
}
BENCHMARK(BM_CtrlList_ScrollRepaint_100000)->Unit(benchmark::kMillisecond);

}  // namespace

int main(int argc, char** argv) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\n");
  const double small = reporter.Time("BM_CtrlList_FillShow/10000/iterations:3");
  const double large = reporter.Time("BM_CtrlList_FillShow/100000/iterations:3");
  if (small > 0)
    std::printf("10 000 rows x 3 columns filled and shown: %.1f ms (target <= 300 ms) %s\n", small,
                small <= 300 ? "OK" : "MISSED");
  reporter.PrintRatio("100 000 rows against 10 000 rows, fill and show", large, small, 10.0);
  const double page = reporter.Time("BM_CtrlList_ScrollRepaint_100000");
  if (page > 0)
    std::printf("100 000 rows, one page scrolled and repainted: %.3f ms (target <= 5 ms) %s\n", page,
                page <= 5 ? "OK" : "MISSED");
  benchmark::Shutdown();
  return 0;
}
