// A console reporter that also keeps each benchmark's mean wall and CPU time and its counters
// by name, so a benchmark program can print the ratio of two of them after the table.
#pragma once

#include <benchmark/benchmark.h>

#include <map>
#include <string>
#include <vector>

namespace krax::bench {

class RatioReporter : public benchmark::ConsoleReporter {
 public:
  void ReportRuns(const std::vector<Run>& runs) override {
    ConsoleReporter::ReportRuns(runs);
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Iteration) {
        real[run.run_name.function_name] = run.GetAdjustedRealTime();
        cpu[run.run_name.function_name] = run.GetAdjustedCPUTime();
        for (const auto& [counter, value] : run.counters) counters[run.run_name.function_name][counter] = value.value;
      }
    }
  }
  std::map<std::string, double> real, cpu;
  std::map<std::string, std::map<std::string, double>> counters;  // benchmark, counter: value
};

}  // namespace krax::bench
