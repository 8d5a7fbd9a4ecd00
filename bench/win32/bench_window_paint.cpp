// What one tick's repaint of the topology window costs at 10,000 nodes: the
// window shows 786 x 480 of a 2000 x 2000 diagram, so only what is visible
// should cost. The floor is a paint of the whole canvas of the same model
// into a memory bitmap; the goal is a small fraction of it.
#include <benchmark/benchmark.h>
#include <windows.h>

#include <cstdio>
#include <map>
#include <memory>
#include <string>

#include "BenchSupport.h"
#include "SimulatedServices.h"
#include "WindowPaints.h"
#include "plugin/ModuleState.h"
#include "window/MainForm.h"

namespace {

using topo::window::TMainForm;

constexpr int kNodes = 10000;
constexpr int kCanvas = 2000;

struct Services : topo::bench::SimulatedServices {
  Services() : SimulatedServices(topo::bench::TreeScenario(kNodes)) {}
};

TMainForm* form = nullptr;

void WindowPaint(benchmark::State& state) { topo::bench::RepaintWindow(state, form->Handle()); }

void FullCanvasPaint(benchmark::State& state) {
  topo::bench::PaintWholeCanvas(state, *form, kCanvas);
}

}  // namespace

int main(int argc, char** argv) {
  const topo::bench::ComBenchmarkRun run(&argc, argv);
  int status = 0;
  {
    Services services;
    form = topo::bridge::TBizFormBase::GiveToWindow(
        std::make_unique<TMainForm>(topo::plugin::Module()));
    form->SetCanvasSettings(kCanvas, kCanvas);
    topo::window::RequestAndMerge(services, form->Model(), {0, 0, kCanvas, kCanvas});
    SetWindowPos(form->Handle(), nullptr, 0, 0, 786, 480, SWP_NOZORDER | SWP_NOMOVE);
    form->Show();
    std::printf("bench_window_paint: %d nodes in the model\n", form->Model().Count());
    if (!topo::bench::RunRatio("bench_window_paint", "window_paint_10k", 0.15, "window_paint",
                               WindowPaint, "full_canvas_paint", FullCanvasPaint))
      status = 1;
    DestroyWindow(form->Handle());
  }
  return status;
}
