// What the Windows benchmarks share: the median of each benchmark's
// repetitions for the goal lines, and a large AR network for the simulated
// host in its scenario format.
#pragma once

#include <benchmark/benchmark.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

namespace topo::bench {

// Keeps the median CPU time of each benchmark, by "name" or "name/args".
class MedianCollector : public benchmark::ConsoleReporter {
 public:
  MedianCollector() : ConsoleReporter(OO_Tabular) {}
  void ReportRuns(const std::vector<Run>& runs) override {
    for (const Run& run : runs) {
      if (run.run_type != Run::RT_Aggregate || run.aggregate_name != "median") continue;
      const std::string& args = run.run_name.args;
      medians[run.run_name.function_name + (args.empty() ? "" : "/" + args)] =
          run.GetAdjustedCPUTime();
    }
    ConsoleReporter::ReportRuns(runs);
  }
  std::map<std::string, double> medians;
};

// Runs a benchmark and its floor, three repetitions each, and prints the goal
// line "ratio LINE measured/floor GOAL" from their medians. False, with a
// message, when either did not run.
inline bool RunRatio(const char* program, const char* line, double goal, const char* measuredName,
                     void (*measured)(benchmark::State&), const char* floorName,
                     void (*floor)(benchmark::State&)) {
  for (auto* b : {benchmark::RegisterBenchmark(measuredName, measured),
                  benchmark::RegisterBenchmark(floorName, floor)})
    b->Unit(benchmark::kMillisecond)->Repetitions(3)->ReportAggregatesOnly(true);
  MedianCollector collector;
  benchmark::RunSpecifiedBenchmarks(&collector);
  const double value = collector.medians[measuredName];
  const double base = collector.medians[floorName];
  if (value <= 0 || base <= 0) {
    std::fprintf(stderr, "%s: a benchmark did not run\n", program);
    return false;
  }
  std::printf("ratio %s %.3f %g\n", line, value / base, goal);
  return true;
}

// A tree of AR nodes, four children each, ten servers under every node, some
// instances down so that both colours and dotted links occur.
inline std::string TreeScenario(int nodes) {
  std::string s;
  for (int i = 0; i < nodes; ++i) {
    s += "ar AR" + std::to_string(i);
    if (i > 0) s += " parent=AR" + std::to_string((i - 1) / 4);
    s += i % 7 == 3 ? "\n" : " up=0,1\n";
    for (int k = 0; k < 10; ++k) {
      s += "as S" + std::to_string(i) + "_" + std::to_string(k) + " ar=AR" + std::to_string(i) +
           (k % 5 == 4 ? "\n" : " up=0\n");
    }
  }
  return s;
}

}  // namespace topo::bench
