// What the tidy layout costs the operator: 2,000 boxes laid out, against one
// refresh of the same network through the simulated host's COM objects (the
// request, the answer read through the unpacker, the merge, link resolution
// and placement), which the window does every few seconds anyway.
#include <benchmark/benchmark.h>
#include <windows.h>

#include <cstdio>
#include <string>

#include "BenchSupport.h"
#include "GeneratedNetwork.h"
#include "SimulatedServices.h"
#include "model/TidyLayout.h"
#include "window/StatusRefresh.h"

namespace {

constexpr int kBoxes = 2000;
const topo::TRect kCanvas{0, 0, 2000, 2000};

struct World : topo::bench::SimulatedServices {
  World() : SimulatedServices(topo::test::GeneratedNetwork::Make(kBoxes, 2024).Scenario()) {}
  topo::TARNodeList model;
};

World* world = nullptr;

void Refresh(benchmark::State& state) {
  for (auto _ : state) {
    if (!topo::window::RequestAndMerge(*world, world->model, kCanvas))
      state.SkipWithError("refused");
  }
}

void Tidy(benchmark::State& state) {
  for (auto _ : state) benchmark::DoNotOptimize(topo::TidyLayout(world->model, kCanvas));
}

}  // namespace

int main(int argc, char** argv) {
  const topo::bench::ComBenchmarkRun run(&argc, argv);
  int status = 0;
  {
    World w;
    world = &w;
    // The first refresh adds every node; the benchmark measures the steady state.
    topo::window::RequestAndMerge(w, w.model, kCanvas);
    int boxes = 0;
    for (int32_t a = 0; a < w.model.Count(); ++a) boxes += 1 + w.model.Items(a).SubASs.Count();
    std::printf("bench_tidy_com: %d boxes in the model\n", boxes);
    if (!topo::bench::RunRatio("bench_tidy_com", "tidy_2k", 5, "tidy_2k", Tidy, "refresh_com_2k",
                               Refresh))
      status = 1;
    world = nullptr;
  }
  return status;
}
