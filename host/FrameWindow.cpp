// The frame window's classes, placement and painting. No C++ exception may
// leave its window procedure: one that does is reported and the message gets
// the default handling.
#include "host/FrameWindow.h"

#include <algorithm>
#include <exception>

#include "host/Console.h"
#include "win32/Cp936.h"

namespace arhost {

namespace {

constexpr int kMargin = 8;
constexpr int kStatusHeight = 22;
constexpr int kTitleHeight = 26;
constexpr COLORREF kTitleBackground = RGB(24, 48, 76);
constexpr wchar_t kFrameClass[] = L"ArHostFrame";
constexpr wchar_t kClientClass[] = L"ArHostClient";

}  // namespace

FrameWindow::~FrameWindow() {
  UnregisterClassW(kClientClass, GetModuleHandleW(nullptr));
  UnregisterClassW(kFrameClass, GetModuleHandleW(nullptr));
}

LRESULT CALLBACK FrameWindow::Proc(HWND window, UINT message, WPARAM wp, LPARAM lp) {
  if (message == WM_NCCREATE) {
    auto create = reinterpret_cast<CREATESTRUCTW*>(lp);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto self = reinterpret_cast<FrameWindow*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  try {
    if (self) return self->handler_(window, message, wp, lp);
  } catch (const std::exception& e) {
    Say(L"arhost: " + topo::win32::WideFromUtf8(e.what()));
  } catch (...) {
    Say(L"arhost: unexpected failure in the frame window");
  }
  return DefWindowProcW(window, message, wp, lp);
}

bool FrameWindow::Create(const std::wstring& title, int width, int height, bool headless) {
  title_ = title;
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW frameClass = {};
  frameClass.cbSize = sizeof frameClass;
  frameClass.lpfnWndProc = Proc;
  frameClass.hInstance = instance;
  frameClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  frameClass.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
  frameClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  frameClass.lpszClassName = kFrameClass;
  WNDCLASSEXW clientClass = frameClass;
  clientClass.lpfnWndProc = DefWindowProcW;
  background_.Reset(CreateSolidBrush(kBackground));
  clientClass.hbrBackground = background_.Get();
  clientClass.lpszClassName = kClientClass;
  if (!RegisterClassExW(&frameClass) || !RegisterClassExW(&clientClass)) return false;

  int screenW = GetSystemMetrics(SM_CXSCREEN), screenH = GetSystemMetrics(SM_CYSCREEN);
  int w = std::min(width, screenW), h = std::min(height, screenH);
  DWORD style = headless ? WS_POPUP | WS_BORDER : WS_OVERLAPPEDWINDOW;
  frame_ = CreateWindowExW(0, kFrameClass, title_.c_str(), style | WS_CLIPCHILDREN, 0, 0, w, h,
                           nullptr, nullptr, instance, this);
  if (!frame_) return false;
  client_ = CreateWindowExW(0, kClientClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 0,
                            0, frame_, nullptr, instance, nullptr);
  font_ = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  Layout(nullptr);
  return client_ != nullptr;
}

void FrameWindow::Layout(HWND plugin) {
  RECT r;
  GetClientRect(frame_, &r);
  int w = r.right, h = std::max(0L, r.bottom - kStatusHeight - kTitleHeight);
  if (client_) MoveWindow(client_, 0, kTitleHeight, w, h, TRUE);
  // The plug-in window fills the host's client area but for a margin that
  // keeps the host's own background visible around it.
  if (plugin && IsWindow(plugin))
    MoveWindow(plugin, kMargin, kMargin, std::max(0, w - 2 * kMargin), std::max(0, h - 2 * kMargin),
               TRUE);
  InvalidateStatus();
}

void FrameWindow::InvalidateStatus() {
  RECT r;
  GetClientRect(frame_, &r);
  r.top = std::max(0L, r.bottom - kStatusHeight);
  InvalidateRect(frame_, &r, TRUE);
}

void FrameWindow::Paint(HDC dc, const std::wstring& status) {
  PaintTitle(dc);
  PaintStatus(dc, status);
}

void FrameWindow::PaintTitle(HDC dc) {
  RECT r;
  GetClientRect(frame_, &r);
  r.bottom = kTitleHeight;
  topo::win32::Brush brush(CreateSolidBrush(kTitleBackground));
  FillRect(dc, &r, brush.Get());
  r.left += 8;
  topo::win32::SelectedObject font(dc, font_);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(255, 255, 255));
  DrawTextW(dc, title_.c_str(), static_cast<int>(title_.size()), &r,
            DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
}

void FrameWindow::PaintStatus(HDC dc, const std::wstring& text) {
  RECT r;
  GetClientRect(frame_, &r);
  r.top = r.bottom - kStatusHeight;
  topo::win32::SelectedObject font(dc, font_);
  SetBkMode(dc, TRANSPARENT);
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r,
            DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
}

}  // namespace arhost
