// What fitting a large diagram costs: about 1,000 boxes laid out tidily on a
// 2000 x 2000 canvas and fitted into an 800 x 600 client area, the window
// repainted whole, against painting the same diagram in full at 100% into a
// memory bitmap. A fitted window shows every box, so culling saves nothing;
// boxes too small to read go without their labels instead.
#include <benchmark/benchmark.h>
#include <windows.h>

#include <cstdio>
#include <memory>
#include <string>

#include "BenchSupport.h"
#include "GeneratedNetwork.h"
#include "SimulatedServices.h"
#include "WindowPaints.h"
#include "model/TidyLayout.h"
#include "plugin/ModuleState.h"
#include "window/MainForm.h"

namespace {

using topo::window::TMainForm;

constexpr int kBoxes = 1000;
constexpr int kCanvas = 2000;

struct Services : topo::bench::SimulatedServices {
  Services() : SimulatedServices(topo::test::GeneratedNetwork::Make(kBoxes, 2024).Scenario()) {}
};

TMainForm* form = nullptr;

void FittedPaint(benchmark::State& state) { topo::bench::RepaintWindow(state, form->Handle()); }

void FullPaint(benchmark::State& state) { topo::bench::PaintWholeCanvas(state, *form, kCanvas); }

}  // namespace

int main(int argc, char** argv) {
  const topo::bench::ComBenchmarkRun run(&argc, argv);
  int status = 0;
  {
    Services services;
    form = topo::bridge::TBizFormBase::GiveToWindow(
        std::make_unique<TMainForm>(topo::plugin::Module()));
    // The width and height settings at their largest, as the operator sets
    // them for a large network, so that no box lies off the canvas.
    form->SetCanvasSettings(kCanvas, kCanvas);
    topo::window::RequestAndMerge(services, form->Model(), form->CanvasRect());
    topo::TidyLayout(form->Model(), form->CanvasRect());
    form->Show();
    // Scroll bars come and go with the zoom: sized until the client area is 800 x 600.
    for (int pass = 0; pass < 3; ++pass) {
      RECT window, client;
      GetWindowRect(form->Handle(), &window);
      GetClientRect(form->Handle(), &client);
      SetWindowPos(form->Handle(), nullptr, 0, 0, window.right - window.left + 800 - client.right,
                   window.bottom - window.top + 600 - client.bottom, SWP_NOZORDER | SWP_NOMOVE);
      form->ZoomToFit();
    }
    RECT client;
    GetClientRect(form->Handle(), &client);
    std::printf("bench_zoom_paint: %d AR nodes fitted at %d%% into %ldx%ld\n",
                form->Model().Count(), form->View().Percent(), client.right, client.bottom);
    if (!topo::bench::RunRatio("bench_zoom_paint", "zoom_fit_vs_full_1k", 1.1,
                               "fitted_window_paint_1k", FittedPaint, "full_paint_1k", FullPaint))
      status = 1;
    DestroyWindow(form->Handle());
  }
  return status;
}
