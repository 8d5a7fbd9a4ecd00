// What the Windows benchmarks share: the median of each benchmark's
// repetitions for the goal lines, and a large AR network for the simulated
// host in its scenario format.
#pragma once

#include <benchmark/benchmark.h>

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
