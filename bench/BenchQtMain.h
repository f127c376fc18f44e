// The main of a benchmark of Qt widgets: runs the benchmarks (offscreen
// unless a platform is chosen), then lets `printTargets` set the figures
// against their targets.
#pragma once

#include <benchmark/benchmark.h>

#include <QApplication>

#include <cstdio>

#include "BenchRatio.h"

inline int RunQtBenchmarks(int argc, char** argv, void (*printTargets)(RatioReporter& reporter)) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  std::printf("\n");
  printTargets(reporter);
  benchmark::Shutdown();
  return 0;
}
