// What one refresh costs the operator: the topology request through the
// simulated host's ARCom, then the answer merged through the real unpacker
// COM object, links resolved, new nodes placed and the refresh compared with
// the last for the event history. The floor reads every field of every row of
// the same answer through the same unpacker, which any refresh must do. The
// request's round trip is the host producing its answer, which no work of the
// plug-in can save: the ratio is the refresh less that round trip, against
// the floor. The history's own line is its comparison and append, with a
// hundred servers changing on every refresh, against the same floor.
#include <benchmark/benchmark.h>
#include <windows.h>

#include <algorithm>
#include <cstdio>
#include <map>
#include <memory>
#include <optional>
#include <string>

#include "BenchSupport.h"
#include "SimulatedServices.h"
#include "win32/UnpackerReportReader.h"
#include "win32/Variant.h"
#include "window/EventRecorder.h"
#include "window/StatusRefresh.h"

namespace {

using topo::win32::Variant;

const char* const kFields[] = {"ar", "ar_active", "parent_ar", "sub_ar", "sub_as", "as_active"};

// The day's file as bytes handed over and dropped: what an append costs the
// plug-in is the line's making, the system's write is the same few
// microseconds whatever the history holds.
struct DroppedFile : topo::AppendStore {
  std::optional<std::string> Read(const std::string&) override { return std::nullopt; }
  void Append(const std::string&, const std::string& bytes) override { written += bytes.size(); }
  size_t written = 0;
};

// The local codec without the Windows tables: the names here are ASCII.
struct AsciiCodec : topo::TextCodec {
  std::string Utf8FromCp936(const std::string& text) const override { return text; }
  std::string Cp936FromUtf8(const std::string& text) const override { return text; }
};

struct World : topo::bench::SimulatedServices {
  explicit World(int nodes) : SimulatedServices(topo::bench::TreeScenario(nodes)) {}
  topo::TARNodeList model;
  Variant answer;  // one answer, kept for the floor
  DroppedFile file;
  AsciiCodec codec;
  topo::window::EventRecorder recorder{file, codec, "C:\\"};
};

const topo::TLocalTime kNow{2024, 5, 1, 8, 0, 0};

const topo::TRect kCanvas{0, 0, 2000, 2000};
std::map<int, std::unique_ptr<World>> worlds;

World& WorldOf(int nodes) {
  auto& w = worlds[nodes];
  if (!w) {
    w = std::make_unique<World>(nodes);
    // The first refresh adds every node; the benchmark measures the steady state.
    w->recorder.Refreshed(w->model, topo::window::RequestAndMerge(*w, w->model, kCanvas), kNow);
    // The floor reads the very answer a refresh merges.
    std::optional<Variant> answer = topo::window::RequestTopologyReport(*w);
    if (answer) w->answer = std::move(*answer);
  }
  return *w;
}

void Refresh(benchmark::State& state) {
  World& w = WorldOf(static_cast<int>(state.range(0)));
  for (auto _ : state) {
    const bool ok = topo::window::RequestAndMerge(w, w.model, kCanvas);
    w.recorder.Refreshed(w.model, ok, kNow);
    if (!ok) state.SkipWithError("refused");
  }
  state.counters["nodes"] = w.model.Count();
}

// The comparison alone on a network that did not change: what every refresh
// pays for the history (part of refresh_com).
void HistorySteady(benchmark::State& state) {
  World& w = WorldOf(static_cast<int>(state.range(0)));
  for (auto _ : state) w.recorder.Refreshed(w.model, true, kNow);
}

// The comparison and the append alone, with a hundred servers (spread over
// the network) starting or stopping an instance on every refresh.
void HistoryDiff(benchmark::State& state) {
  World& w = WorldOf(static_cast<int>(state.range(0)));
  const int32_t step = std::max(1, w.model.Count() / 100);
  for (auto _ : state) {
    for (int32_t i = 0; i < w.model.Count(); i += step) {
      topo::TLinkNode& server = w.model.Items(i).SubASs.Items(0);
      server.ActiveFlags[9] ^= 1;
      server.ActiveCount += server.ActiveFlags[9] ? 1 : -1;
    }
    w.recorder.Refreshed(w.model, true, kNow);
  }
  state.counters["events"] = static_cast<double>(w.recorder.History().Added());
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
  const topo::bench::ComBenchmarkRun run(&argc, argv);
  for (auto* b : {benchmark::RegisterBenchmark("refresh_com", Refresh),
                  benchmark::RegisterBenchmark("request_roundtrip", Request),
                  benchmark::RegisterBenchmark("floor_unpacker_reads", Floor),
                  benchmark::RegisterBenchmark("history_steady", HistorySteady),
                  benchmark::RegisterBenchmark("history_diff", HistoryDiff)}) {
    b->Arg(1000)
        ->Arg(10000)
        ->Unit(benchmark::kMillisecond)
        ->Repetitions(3)
        ->ReportAggregatesOnly(true);
  }
  topo::bench::MedianCollector collector;
  benchmark::RunSpecifiedBenchmarks(&collector);
  for (const char* n : {"1000", "10000"}) {
    const double refresh = collector.medians[std::string("refresh_com/") + n];
    const double floor = collector.medians[std::string("floor_unpacker_reads/") + n];
    if (refresh <= 0 || floor <= 0) {
      std::fprintf(stderr, "bench_refresh_com: a benchmark did not run\n");
      worlds.clear();
      return 1;
    }
    const double request = collector.medians[std::string("request_roundtrip/") + n];
    const double history = collector.medians[std::string("history_diff/") + n];
    const double steady = collector.medians[std::string("history_steady/") + n];
    const char* size = std::string(n) == "1000" ? "1k" : "10k";
    std::printf("ratio refresh_com_%s %.2f 1.15\n", size, (refresh - request) / floor);
    if (std::string(n) == "10000")
      std::printf("ratio history_diff_10k %.2f 0.10\n", history / floor);
    // Not a goal: the parts the lines above are made of.
    std::printf(
        "bench_refresh_com: %s nodes: refresh %.2f ms, request round trip %.2f ms, "
        "floor %.2f ms; history unchanged %.2f ms, with 100 changes %.2f ms\n",
        n, refresh, request, floor, steady, history);
  }
  worlds.clear();  // its COM objects go before the apartment
  return 0;
}
