// The hex dump editor on Qt's offscreen platform: one page painted at any
// scroll position, keys typed into a large array, and a very large array
// opened and scrolled to its end.
#include <benchmark/benchmark.h>

#include <QApplication>
#include <QKeyEvent>
#include <QScrollBar>

#include <cstdio>
#include <fstream>
#include <unistd.h>
#include <vector>

#include "BenchQtMain.h"
#include "appconfig/ui/AppCtrlEditDump.h"

namespace {

constexpr int kPageBytes = 64 * 1024;
constexpr int kTypedKeys = 10000;
constexpr std::size_t kLargeBytes = 16u * 1024 * 1024;

std::vector<std::uint8_t> Pattern(std::size_t size) {
  std::vector<std::uint8_t> bytes(size);
  for (std::size_t i = 0; i < size; ++i) bytes[i] = static_cast<std::uint8_t>(i * 131 + 7);
  return bytes;
}

// The resident memory of the process, in bytes.
double ResidentBytes() {
  std::ifstream statm("/proc/self/statm");
  long pages = 0;
  long resident = 0;
  statm >> pages >> resident;
  return static_cast<double>(resident) * static_cast<double>(sysconf(_SC_PAGESIZE));
}

void ShowDump(CAppCtrlEditDump& dump) {
  dump.resize(640, 480);
  dump.show();
  QApplication::processEvents();
}

void SendKey(CAppCtrlEditDump& dump, int key, Qt::KeyboardModifiers modifiers, const QString& text) {
  QKeyEvent press(QEvent::KeyPress, key, modifiers, text);
  QApplication::sendEvent(&dump, &press);
}

// Range 0: where the page is, in percent of the scroll range.
void BM_EditDump_PaintPage_64KiB(benchmark::State& state) {
  CAppCtrlEditDump dump;
  dump.SetData(Pattern(kPageBytes));
  dump.SetFormat(1);
  dump.SetBase(2);
  ShowDump(dump);
  QScrollBar* bar = dump.verticalScrollBar();
  bar->setValue(static_cast<int>(bar->maximum() * state.range(0) / 100));
  for (auto _ : state) dump.viewport()->repaint();
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(BM_EditDump_PaintPage_64KiB)->Arg(0)->Arg(50)->Arg(100)->Unit(benchmark::kMillisecond);

// Hexadecimal digits typed from the middle of the array. Range 0: 1 when
// each key is painted before the next, as a user sees it; 0 for the edits
// alone, painted once at the end.
void BM_EditDump_TypeKeys_64KiB(benchmark::State& state) {
  const bool paintEach = state.range(0) != 0;
  CAppCtrlEditDump dump;
  ShowDump(dump);
  const std::vector<std::uint8_t> bytes = Pattern(kPageBytes);
  for (auto _ : state) {
    state.PauseTiming();
    dump.SetData(bytes);
    for (int i = 0; i < 1000; ++i) SendKey(dump, Qt::Key_Down, Qt::NoModifier, {});
    QApplication::processEvents();
    state.ResumeTiming();
    for (int i = 0; i < kTypedKeys; ++i) {
      const char digit = "0123456789ABCDEF"[i % 16];
      SendKey(dump, Qt::Key_0 + (i % 10), Qt::NoModifier, QString(QLatin1Char(digit)));
      if (paintEach) QApplication::processEvents();
    }
    QApplication::processEvents();
  }
  state.SetItemsProcessed(state.iterations() * kTypedKeys);
}
BENCHMARK(BM_EditDump_TypeKeys_64KiB)->Arg(1)->Arg(0)->Unit(benchmark::kMillisecond)->Iterations(3);

// The memory the control adds to the caller's array, which exists before.
void BM_EditDump_Open16MiB_ScrollToEnd(benchmark::State& state) {
  const std::vector<std::uint8_t> bytes = Pattern(kLargeBytes);
  double growth = 0;
  for (auto _ : state) {
    const double before = ResidentBytes();
    {
      CAppCtrlEditDump dump;
      dump.SetMaxLength(static_cast<unsigned>(kLargeBytes));
      dump.SetData(bytes);
      ShowDump(dump);
      SendKey(dump, Qt::Key_End, Qt::ControlModifier, {});
      dump.viewport()->repaint();
      growth = std::max(growth, ResidentBytes() - before);
    }
  }
  state.counters["growth_MiB"] = growth / (1024.0 * 1024.0);
  state.counters["array_MiB"] = static_cast<double>(kLargeBytes) / (1024.0 * 1024.0);
}
BENCHMARK(BM_EditDump_Open16MiB_ScrollToEnd)->Unit(benchmark::kMillisecond)->Iterations(3);

void PrintTargets(RatioReporter& reporter) {
  for (const char* at : {"0", "50", "100"}) {
    const std::string name = std::string("BM_EditDump_PaintPage_64KiB/") + at;
    const double ms = reporter.Time(name);
    if (ms > 0) std::printf("page paint at %3s%% of 64 KiB: %.3f ms (target <= 5 ms) %s\n", at, ms, ms <= 5 ? "OK" : "MISSED");
  }
  for (const char* paint : {"1", "0"}) {
    const double typed = reporter.Time(std::string("BM_EditDump_TypeKeys_64KiB/") + paint + "/iterations:3");
    if (typed > 0)
      std::printf("%d typed keys into 64 KiB, %s: %.1f ms (target <= 1000 ms) %s\n", kTypedKeys,
                  *paint == '1' ? "each painted" : "painted once", typed, typed <= 1000 ? "OK" : "MISSED");
  }
  // The control keeps one copy of the bytes; the window and its backing
  // store are the allowance beyond it.
  const double growth = reporter.Counter("BM_EditDump_Open16MiB_ScrollToEnd/iterations:3", "growth_MiB");
  if (growth > 0)
    std::printf("16 MiB array opened and scrolled to its end: memory +%.2f MiB, %.3f times the array "
                "(target: the array itself, plus the window's 1.2 MiB) %s\n",
                growth, growth / 16.0, growth <= 16.0 + 1.2 ? "OK" : "MISSED");
}

}  // namespace

int main(int argc, char** argv) { return RunQtBenchmarks(argc, argv, PrintTargets); }
