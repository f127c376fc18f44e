// Console reporter that also keeps each benchmark's time per iteration, so a
// program can print the ratios its targets are stated in.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>

class RatioReporter : public benchmark::ConsoleReporter {
public:
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type == Run::RT_Iteration || run.aggregate_name == "median") {
        m_times[run.benchmark_name()] = run.GetAdjustedRealTime();
        m_cpuTimes[run.benchmark_name()] = run.GetAdjustedCPUTime();
        for (const auto& [name, counter] : run.counters) m_counters[run.benchmark_name() + ":" + name] = counter.value;
      }
    }
    ConsoleReporter::ReportRuns(runs);
  }

  // Time per iteration in the reporter's unit; 0 when the benchmark did not run.
  double Time(const std::string& name) const {
    const auto it = m_times.find(name);
    return it != m_times.end() ? it->second : 0.0;
  }
  // The same in CPU time, steadier than wall time on a loaded machine.
  double CpuTime(const std::string& name) const {
    const auto it = m_cpuTimes.find(name);
    return it != m_cpuTimes.end() ? it->second : 0.0;
  }
  double Counter(const std::string& name, const std::string& counter) const {
    const auto it = m_counters.find(name + ":" + counter);
    return it != m_counters.end() ? it->second : 0.0;
  }

  void PrintRatio(const char* label, double value, double reference, double target) const {
    if (value <= 0 || reference <= 0) return;
    const double ratio = value / reference;
    std::printf("%-60s ratio %.2f (target <= %.2f) %s\n", label, ratio, target,
                ratio <= target ? "OK" : "MISSED");
  }

private:
  std::map<std::string, double> m_times;
  std::map<std::string, double> m_cpuTimes;
  std::map<std::string, double> m_counters;
};
