// The tidy layout against the grid of "re-arrange" on generated networks of
// 20, 200 and 2,000 boxes: the quality figures (overlapping boxes, crossing
// links, total link length, height used) as "info" lines, and the time the
// layout takes natively. The goal line, against a refresh through the host's
// unpacker, comes from bench/win32/bench_tidy_com.cpp.
#include <benchmark/benchmark.h>

#include <cstdio>

#include "GeneratedNetwork.h"
#include "LayoutMetrics.h"
#include "model/TidyLayout.h"

namespace topo {
namespace {

const TRect kCanvas{0, 0, 2000, 2000};

void BM_Tidy(benchmark::State& state) {
  TARNodeList list;
  test::GeneratedNetwork::Make(static_cast<int32_t>(state.range(0)), 2024).Build(list);
  for (auto _ : state) benchmark::DoNotOptimize(TidyLayout(list, kCanvas));
}

void BM_ReLocate(benchmark::State& state) {
  TARNodeList list;
  test::GeneratedNetwork::Make(static_cast<int32_t>(state.range(0)), 2024).Build(list);
  for (auto _ : state) benchmark::DoNotOptimize(list.ReLocate(kCanvas, "2000"));
}

BENCHMARK(BM_Tidy)->Arg(200)->Arg(2000)->Arg(20000)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_ReLocate)->Arg(2000)->Unit(benchmark::kMillisecond);

void PrintQuality() {
  std::printf("tidy layout against re-arrange on a %dx%d canvas (tidy / re-arrange):\n",
              kCanvas.Right, kCanvas.Bottom);
  for (int32_t boxes : {20, 200, 2000}) {
    const test::GeneratedNetwork network = test::GeneratedNetwork::Make(boxes, 2024);
    TARNodeList grid, tidy;
    network.Build(grid);
    network.Build(tidy);
    const int32_t gridHeight = grid.ReLocate(kCanvas, "0").value_or(0);
    const int32_t tidyHeight = TidyLayout(tidy, kCanvas);
    const test::LayoutMeasure g = test::Measure(grid), t = test::Measure(tidy);
    std::printf(
        "info tidy_%d overlaps %lld/%lld crossings %lld/%lld link_length %.0f/%.0f height "
        "%d/%d\n",
        boxes, static_cast<long long>(t.overlaps), static_cast<long long>(g.overlaps),
        static_cast<long long>(t.crossings), static_cast<long long>(g.crossings), t.length,
        g.length, tidyHeight, gridHeight);
  }
}

}  // namespace
}  // namespace topo

int main(int argc, char** argv) {
  benchmark::Initialize(&argc, argv);
  topo::PrintQuality();
  benchmark::RunSpecifiedBenchmarks();
  benchmark::Shutdown();
  return 0;
}
