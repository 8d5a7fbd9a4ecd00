// What one refresh costs the operator: the topology request through the
// simulated host's ARCom, then the answer merged through the real unpacker
// COM object, links resolved and new nodes placed. The floor reads every field
// of every row of the same answer through the same unpacker, which any
// refresh must do; the ratio is what the model's own work adds on top.
#include <benchmark/benchmark.h>
#include <windows.h>

#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "BenchSupport.h"
#include "host/ARCom.h"
#include "host/Network.h"
#include "host/Packer.h"
#include "host/Unpacker.h"
#include "win32/UnpackerReportReader.h"
#include "win32/Variant.h"
#include "window/StatusRefresh.h"

namespace {

using topo::win32::ComPtr;
using topo::win32::Variant;

const char* const kFields[] = {"ar", "ar_active", "parent_ar", "sub_ar", "sub_as", "as_active"};

struct World : topo::window::RefreshServices {
  explicit World(int nodes)
      : arCom(new arhost::ARCom(
            arhost::Network::Parse(topo::bench::TreeScenario(nodes)), [] { return 0.0; }, L"")),
        packer(arhost::CreatePacker()),
        unpacker(arhost::CreateUnpacker()) {}
  topo::host::IARCom* ARCom() override { return arCom.Get(); }
  topo::host::IPackerDisp* Packer() override { return packer.Get(); }
  topo::host::IUnpackerDisp* Unpacker() override { return unpacker.Get(); }

  ComPtr<arhost::ARCom> arCom;
  ComPtr<topo::host::IPackerDisp> packer;
  ComPtr<topo::host::IUnpackerDisp> unpacker;
  topo::TARNodeList model;
  Variant answer;  // one answer, kept for the floor
};

const topo::TRect kCanvas{0, 0, 2000, 2000};
std::map<int, std::unique_ptr<World>> worlds;

World& WorldOf(int nodes) {
  auto& w = worlds[nodes];
  if (!w) {
    w = std::make_unique<World>(nodes);
    // The first refresh adds every node; the benchmark measures the steady state.
    topo::window::RequestAndMerge(*w, w->model, kCanvas);
    // The floor reads the very answer a refresh merges.
    std::optional<Variant> answer = topo::window::RequestTopologyReport(*w);
    if (answer) w->answer = std::move(*answer);
  }
  return *w;
}

void Refresh(benchmark::State& state) {
  World& w = WorldOf(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    if (!topo::window::RequestAndMerge(w, w.model, kCanvas)) state.SkipWithError("refused");
  }
  state.counters["nodes"] = w.model.Count();
}

// The request alone, up to the answer in hand: the host's part of a refresh,
// which no work in the model can save.
void Request(benchmark::State& state) {
  World& w = WorldOf(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    if (!topo::window::RequestTopologyReport(w)) state.SkipWithError("refused");
  }
}

void Floor(benchmark::State& state) {
  World& w = WorldOf(static_cast<int>(state.range(0)));
  size_t bytes = 0;
  for (auto _ : state) {
    w.unpacker->Open(w.answer.Get());
    topo::win32::UnpackerReportReader report(w.unpacker.Get());
    for (; !report.Eof(); report.Next()) {
      for (const char* name : kFields) bytes += report.FieldText(name).size();
    }
  }
  benchmark::DoNotOptimize(bytes);
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IONBF, 0);
  CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  benchmark::Initialize(&argc, argv);
  for (auto* b : {benchmark::RegisterBenchmark("refresh_com", Refresh),
                  benchmark::RegisterBenchmark("request_roundtrip", Request),
                  benchmark::RegisterBenchmark("floor_unpacker_reads", Floor)}) {
    b->Arg(1000)
        ->Arg(10000)
        ->Unit(benchmark::kMillisecond)
        ->Repetitions(3)
        ->ReportAggregatesOnly(true);
  }
  topo::bench::MedianCollector collector;
  benchmark::RunSpecifiedBenchmarks(&collector);
  benchmark::Shutdown();
  for (const char* n : {"1000", "10000"}) {
    const double refresh = collector.medians[std::string("refresh_com/") + n];
    const double floor = collector.medians[std::string("floor_unpacker_reads/") + n];
    if (refresh <= 0 || floor <= 0) {
      std::fprintf(stderr, "bench_refresh_com: a benchmark did not run\n");
      return 1;
    }
    const double request = collector.medians[std::string("request_roundtrip/") + n];
    std::printf("ratio refresh_com_%s %.2f 1.15\n", std::string(n) == "1000" ? "1k" : "10k",
                refresh / floor);
    // Not a goal: how much of the refresh the host's round trip takes.
    std::printf(
        "bench_refresh_com: %s nodes: refresh %.2f ms, request round trip %.2f ms, "
        "floor %.2f ms\n",
        n, refresh, request, floor);
  }
  worlds.clear();
  CoUninitialize();
  return 0;
}
