// The host's frame window: a title band, the client area the plug-in window
// lives in (the host's own background around it), and a status band. Its
// messages go to the handler it is made with, which decides what the host
// does with timers and closing.
#pragma once

#include <windows.h>

#include <functional>
#include <string>

#include "win32/GdiHandles.h"

namespace arhost {

class FrameWindow {
 public:
  using Handler = std::function<LRESULT(HWND, UINT, WPARAM, LPARAM)>;
  static constexpr COLORREF kBackground = RGB(46, 92, 138);

  explicit FrameWindow(Handler handler) : handler_(std::move(handler)) {}
  FrameWindow(const FrameWindow&) = delete;
  FrameWindow& operator=(const FrameWindow&) = delete;
  // The windows are gone by then; the classes go, then their brush.
  ~FrameWindow();

  // width x height at most the screen. Headless there is no window manager to
  // draw a caption, so the frame is a bordered popup whose title band is the
  // caption a screenshot shows.
  bool Create(const std::wstring& title, int width, int height, bool headless);
  HWND Frame() const { return frame_; }
  HWND Client() const { return client_; }
  // After the frame is destroyed.
  void Forget() { frame_ = client_ = nullptr; }

  // The client area between the bands, and the plug-in window inside it.
  void Layout(HWND plugin);
  void InvalidateStatus();
  void Paint(HDC dc, const std::wstring& status);

 private:
  static LRESULT CALLBACK Proc(HWND window, UINT message, WPARAM wp, LPARAM lp);
  void PaintTitle(HDC dc);
  void PaintStatus(HDC dc, const std::wstring& text);

  Handler handler_;
  std::wstring title_;
  HWND frame_ = nullptr;
  HWND client_ = nullptr;
  HFONT font_ = nullptr;
  topo::win32::Brush background_;
};

}  // namespace arhost
