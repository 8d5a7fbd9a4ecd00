// Capturing the frame and writing it. The frame is painted again first, so
// the picture is what the windows show now, not what they showed last.
#include "host/Screenshot.h"

#include <cstdint>
#include <cstdio>
#include <vector>

#include "host/Console.h"
#include "host/Files.h"
#include "win32/GdiHandles.h"

namespace arhost {

namespace {

using topo::win32::Bitmap;
using topo::win32::MemoryDc;
using topo::win32::SelectedObject;
using topo::win32::WindowDc;

struct OwnedWindows {
  HWND owner;
  std::vector<HWND> windows;  // top of the z-order first
};

// A window procedure's calling convention: a lambda would not have it on i686.
BOOL CALLBACK CollectOwned(HWND candidate, LPARAM data) {
  auto* o = reinterpret_cast<OwnedWindows*>(data);
  if (candidate == o->owner || !IsWindowVisible(candidate)) return TRUE;
  for (HWND up = GetWindow(candidate, GW_OWNER); up; up = GetWindow(up, GW_OWNER))
    if (up == o->owner) o->windows.push_back(candidate);
  return TRUE;
}

// What the window shows: its own pixels and its child windows' exactly as
// painted, read from each window's DC (PrintWindow is no substitute: it asks
// each window to paint itself again through WM_PRINT, which plug-in windows
// that paint only on WM_PAINT answer with nothing). Then the visible windows
// this one owns (the plug-in's dialogs), bottom first, each where it is on
// the screen: without a window manager, reading the screen itself can miss
// what a window drew last.
std::string RectText(const RECT& r) {
  return std::to_string(r.left) + " " + std::to_string(r.top) + " " + std::to_string(r.right) +
         " " + std::to_string(r.bottom);
}

}  // namespace

std::optional<Image> CaptureWindow(HWND window) {
  RECT r;
  if (!GetWindowRect(window, &r)) return std::nullopt;
  int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return std::nullopt;
  WindowDc screen(nullptr);
  BITMAPINFO info = {};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = w;
  info.bmiHeader.biHeight = -h;  // top row first
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 32;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  MemoryDc shot(screen.Get());
  Bitmap bitmap(CreateDIBSection(screen.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!shot.Get() || !bitmap) return std::nullopt;
  SelectedObject selected(shot.Get(), bitmap.Get());
  {
    WindowDc own(window, WindowDc::kWhole);
    if (!BitBlt(shot.Get(), 0, 0, w, h, own.Get(), 0, 0, SRCCOPY)) return std::nullopt;
  }
  OwnedWindows owned{window, {}};
  EnumThreadWindows(GetCurrentThreadId(), CollectOwned, reinterpret_cast<LPARAM>(&owned));
  for (auto it = owned.windows.rbegin(); it != owned.windows.rend(); ++it) {
    RECT o;
    GetWindowRect(*it, &o);
    WindowDc dc(*it, WindowDc::kWhole);
    BitBlt(shot.Get(), o.left - r.left, o.top - r.top, o.right - o.left, o.bottom - o.top, dc.Get(),
           0, 0, SRCCOPY);
  }
  GdiFlush();
  Image image;
  image.width = w;
  image.height = h;
  image.rgb.resize(static_cast<size_t>(w) * static_cast<size_t>(h) * 3);
  const uint8_t* bgra = static_cast<const uint8_t*>(bits);
  for (size_t i = 0; i < static_cast<size_t>(w) * static_cast<size_t>(h); ++i) {
    image.rgb[3 * i] = bgra[4 * i + 2];
    image.rgb[3 * i + 1] = bgra[4 * i + 1];
    image.rgb[3 * i + 2] = bgra[4 * i];
  }
  return image;
}

std::wstring SeriesPath(const std::wstring& path, int n) {
  const size_t dot = path.rfind(L'.');
  const size_t slash = path.find_last_of(L"/\\");
  const bool hasExtension =
      dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash);
  const std::wstring stem = hasExtension ? path.substr(0, dot) : path;
  return stem + L"-" + std::to_wstring(n) + (hasExtension ? path.substr(dot) : L".png");
}

bool WriteScreenshot(const std::wstring& path, const ShotWindows& windows, COLORREF background,
                     size_t requests) {
  RedrawWindow(windows.frame, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  GdiFlush();
  auto image = CaptureWindow(windows.frame);
  if (!image) {
    Say(L"arhost: could not capture the frame window");
    return false;
  }
  RECT frame, plugin = {};
  GetWindowRect(windows.frame, &frame);
  const bool alive = windows.plugin && IsWindow(windows.plugin);
  bool visible = alive && IsWindowVisible(windows.plugin);
  if (alive) {
    GetWindowRect(windows.plugin, &plugin);
    OffsetRect(&plugin, -frame.left, -frame.top);
  }
  RECT client = {};
  GetWindowRect(windows.client, &client);
  OffsetRect(&client, -frame.left, -frame.top);
  char colour[16];
  std::snprintf(colour, sizeof colour, "%06X",
                static_cast<unsigned>(GetRValue(background) << 16 | GetGValue(background) << 8 |
                                      GetBValue(background)));
  TextChunks text = {
      {"arhost:client", RectText(client)},
      {"arhost:plugin", RectText(plugin) + (visible ? " visible" : " hidden")},
      {"arhost:background", colour},
      {"arhost:requests", std::to_string(requests)},
  };
  const std::vector<uint8_t> png = EncodePng(*image, text);
  if (png.empty() || !WriteWholeFile(path, png)) {
    Say(L"arhost: cannot write " + path);
    return false;
  }
  Say(L"arhost: screenshot " + path + L" " + std::to_wstring(image->width) + L"x" +
      std::to_wstring(image->height));
  return true;
}

}  // namespace arhost
