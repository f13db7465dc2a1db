// The main program of every window benchmark (bench/ui_*.cpp).
#pragma once

#include <QApplication>
#include <benchmark/benchmark.h>

#include <functional>

#include "bench/ratio_reporter.h"

namespace krax::bench {

// Runs the benchmarks the command line selects inside a QApplication (offscreen unless
// QT_QPA_PLATFORM chooses a platform), then `printRatios` with their times.
inline int RunWindowBenchmarks(int argc, char** argv, const std::function<void(const RatioReporter&)>& printRatios) {
  if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM")) qputenv("QT_QPA_PLATFORM", "offscreen");
  QApplication app(argc, argv);
  benchmark::Initialize(&argc, argv);
  RatioReporter reporter;
  benchmark::RunSpecifiedBenchmarks(&reporter);
  printRatios(reporter);
  benchmark::Shutdown();
  return 0;
}

}  // namespace krax::bench
