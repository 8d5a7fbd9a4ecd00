// The two paints the window benchmarks weigh against each other: the window's
// own repaint, whatever its view, and the whole canvas of the same model at
// 100% into a memory bitmap, the floor.
#pragma once

#include <benchmark/benchmark.h>
#include <windows.h>

#include "win32/GdiCanvas.h"
#include "win32/GdiHandles.h"
#include "window/MainForm.h"

namespace topo::bench {

inline void RepaintWindow(benchmark::State& state, HWND window) {
  for (auto _ : state) {
    RedrawWindow(window, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW);
    GdiFlush();
  }
}

inline void PaintWholeCanvas(benchmark::State& state, window::TMainForm& form, int canvas) {
  win32::WindowDc screen(nullptr);
  win32::MemoryDc dc(screen.Get());
  win32::Bitmap bitmap(CreateCompatibleBitmap(screen.Get(), canvas, canvas));
  win32::SelectedObject selected(dc.Get(), bitmap.Get());
  win32::SelectedObject brush(dc.Get(), GetSysColorBrush(COLOR_BTNFACE));
  const RECT all{0, 0, canvas, canvas};
  for (auto _ : state) {
    FillRect(dc.Get(), &all, GetSysColorBrush(COLOR_BTNFACE));
    win32::GdiCanvas gdi(dc.Get());
    benchmark::DoNotOptimize(form.Model().DrawDiagram(gdi, {0, 0}, true));
    GdiFlush();
  }
}

}  // namespace topo::bench
