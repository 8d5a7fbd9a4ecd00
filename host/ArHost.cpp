// arhost.exe: a stand-in for the client framework that loads the plug-in. It
// gives the plug-in a frame window to live in and the host services it asks
// for, and can run headless: take a screenshot after a while, click where a
// test says, and exit.
// clang-format off
#include <windows.h>
#include <shellapi.h>  // needs windows.h first
// clang-format on

#include <chrono>
#include <cstdio>
#include <memory>
#include <string>

#include "ARCom.h"
#include "Network.h"
#include "Options.h"
#include "Packet.h"
#include "Png.h"
#include "Services.h"

namespace arhost {
namespace {

using topo::win32::ComPtr;
using topo::win32::Variant;

using BizGetDevInfoFn = void(__stdcall*)(char*, int*, int*);
using BizInitFn = void(__stdcall*)(int, const char*, IUnknown*, int);
using BizUninitFn = void(__stdcall*)();
using BizEntryFn = HWND(__stdcall*)(int, HWND, HWND, IUnknown*, int);

constexpr int kTopologyFunction = 3101;
constexpr COLORREF kHostBackground = RGB(46, 92, 138);
constexpr int kMargin = 8;
constexpr int kStatusHeight = 22;
constexpr int kTitleHeight = 26;
constexpr COLORREF kTitleBackground = RGB(24, 48, 76);
constexpr UINT_PTR kStatusTimer = 1;
constexpr UINT_PTR kShotTimer = 2;
constexpr UINT_PTR kSeriesTimer = 5;
constexpr UINT_PTR kStatusOpenTimer = 3;
constexpr UINT_PTR kStatusRunTimer = 4;
constexpr UINT_PTR kFirstClickTimer = 100;
constexpr UINT_PTR kFirstKeyTimer = 1000;
// Posted to the plug-in window to open the status query on the node that
// TempData names, as its popup menu's status command would. The plug-in
// registers the same name.
constexpr wchar_t kOpenStatusQueryMessage[] = L"topo.OpenStatusQuery";
// Posted to the frame after keys pressed with modifiers: the thread's key
// state lets the modifiers go once the keys before it have been handled.
constexpr UINT kReleaseModifiersMessage = WM_APP + 1;
constexpr wchar_t kFrameClass[] = L"ArHostFrame";
constexpr wchar_t kClientClass[] = L"ArHostClient";

// GetProcAddress gives a FARPROC; going through void* says the cast is meant.
template <class Function>
Function Export(HMODULE module, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

void Say(const std::wstring& text) {
  std::string line = Utf8FromWide(text) + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}

std::wstring BaseName(const std::wstring& path) {
  size_t slash = path.find_last_of(L"\\/");
  return slash == std::wstring::npos ? path : path.substr(slash + 1);
}

// Frees a module at scope exit; the plug-in's windows must be gone by then.
struct ModuleOwner {
  HMODULE module = nullptr;
  ModuleOwner() = default;
  ModuleOwner(const ModuleOwner&) = delete;
  ModuleOwner& operator=(const ModuleOwner&) = delete;
  ~ModuleOwner() {
    if (module) FreeLibrary(module);
  }
};

struct DcOwner {
  HWND window;
  HDC dc;
  DcOwner(const DcOwner&) = delete;
  DcOwner& operator=(const DcOwner&) = delete;
  ~DcOwner() {
    if (dc) ReleaseDC(window, dc);
  }
};

struct MemoryBitmap {
  HDC dc = nullptr;
  HBITMAP bitmap = nullptr;
  HGDIOBJ old = nullptr;
  void* bits = nullptr;
  MemoryBitmap(HDC reference, int width, int height) {
    BITMAPINFO info = {};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;  // top row first
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    dc = CreateCompatibleDC(reference);
    bitmap = CreateDIBSection(reference, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    if (dc && bitmap) old = SelectObject(dc, bitmap);
  }
  MemoryBitmap(const MemoryBitmap&) = delete;
  MemoryBitmap& operator=(const MemoryBitmap&) = delete;
  ~MemoryBitmap() {
    if (old) SelectObject(dc, old);
    if (bitmap) DeleteObject(bitmap);
    if (dc) DeleteDC(dc);
  }
};

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
std::optional<Image> CaptureWindow(HWND window) {
  RECT r;
  if (!GetWindowRect(window, &r)) return std::nullopt;
  int w = r.right - r.left, h = r.bottom - r.top;
  if (w <= 0 || h <= 0) return std::nullopt;
  DcOwner screen{nullptr, GetDC(nullptr)};
  MemoryBitmap shot(screen.dc, w, h);
  if (!shot.old) return std::nullopt;
  {
    DcOwner own{window, GetWindowDC(window)};
    if (!BitBlt(shot.dc, 0, 0, w, h, own.dc, 0, 0, SRCCOPY)) return std::nullopt;
  }
  OwnedWindows owned{window, {}};
  EnumThreadWindows(GetCurrentThreadId(), CollectOwned, reinterpret_cast<LPARAM>(&owned));
  for (auto it = owned.windows.rbegin(); it != owned.windows.rend(); ++it) {
    RECT o;
    GetWindowRect(*it, &o);
    DcOwner dc{*it, GetWindowDC(*it)};
    BitBlt(shot.dc, o.left - r.left, o.top - r.top, o.right - o.left, o.bottom - o.top, dc.dc, 0, 0,
           SRCCOPY);
  }
  GdiFlush();
  Image image;
  image.width = w;
  image.height = h;
  image.rgb.resize(static_cast<size_t>(w) * static_cast<size_t>(h) * 3);
  const uint8_t* bgra = static_cast<const uint8_t*>(shot.bits);
  for (size_t i = 0; i < static_cast<size_t>(w) * static_cast<size_t>(h); ++i) {
    image.rgb[3 * i] = bgra[4 * i + 2];
    image.rgb[3 * i + 1] = bgra[4 * i + 1];
    image.rgb[3 * i + 2] = bgra[4 * i];
  }
  return image;
}

bool WriteFile(const std::wstring& path, const std::vector<uint8_t>& bytes) {
  FILE* f = _wfopen(path.c_str(), L"wb");
  if (!f) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

std::string RectText(const RECT& r) {
  return std::to_string(r.left) + " " + std::to_string(r.top) + " " + std::to_string(r.right) +
         " " + std::to_string(r.bottom);
}

class Host {
 public:
  explicit Host(Options options) : options_(std::move(options)) {}
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;
  // The windows are gone when Run returns; the class brush may go after them.
  ~Host() {
    UnregisterClassW(kClientClass, GetModuleHandleW(nullptr));
    UnregisterClassW(kFrameClass, GetModuleHandleW(nullptr));
    if (background_) DeleteObject(background_);
  }

  int Run();

  LRESULT FrameMessage(HWND window, UINT message, WPARAM wp, LPARAM lp);

 private:
  double Seconds() const {
    if (!shown_) return 0;
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - shownAt_).count();
  }
  bool LoadScenario(Network* network);
  bool CreateFrame();
  void Layout();
  void InvalidateStatus();
  std::wstring Title() const;
  void PaintTitle(HDC dc);
  void PaintStatus(HDC dc);
  void TakeScreenshot(const std::wstring& path);
  void PressKeys(const KeyPresses& presses);
  // "out/demo.png" and 3 give "out/demo-3.png".
  std::wstring SeriesPath(int n) const;
  int seriesShots_ = 0;
  void Click(const arhost::Click& click);
  void OpenStatusQuery();
  void RunStatusQuery();

  // First, so that it goes last: the module is freed only after every COM
  // object of the plug-in that the services below or Run's locals may hold
  // has been released, or that release would call into unloaded code.
  ModuleOwner module_;
  Options options_;
  std::wstring scenarioName_ = L"(built in)";
  HWND frame_ = nullptr;
  HWND client_ = nullptr;
  HWND plugin_ = nullptr;
  HFONT font_ = nullptr;
  HBRUSH background_ = nullptr;
  ARCom* arcom_ = nullptr;  // owned by the service directory below
  ComPtr<topo::host::IDataContainer> tempData_;
  bool shown_ = false;
  std::chrono::steady_clock::time_point shownAt_;
  int exitCode_ = 0;
};

LRESULT CALLBACK FrameProc(HWND window, UINT message, WPARAM wp, LPARAM lp) {
  if (message == WM_NCCREATE) {
    auto create = reinterpret_cast<CREATESTRUCTW*>(lp);
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(create->lpCreateParams));
  }
  auto host = reinterpret_cast<Host*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  try {
    if (host) return host->FrameMessage(window, message, wp, lp);
  } catch (const std::exception& e) {
    Say(L"arhost: " + WideFromUtf8(e.what()));
  } catch (...) {
    Say(L"arhost: unexpected failure in the frame window");
  }
  return DefWindowProcW(window, message, wp, lp);
}

// Used when no scenario file is given: two AR nodes and one server.
constexpr char kDefaultScenario[] =
    "ar root up=0\n"
    "ar edge parent=root up=0,1\n"
    "as gateway ar=edge up=0 password=start\n";

bool Host::LoadScenario(Network* network) {
  std::string text = kDefaultScenario;
  if (!options_.scenario.empty()) {
    FILE* f = _wfopen(options_.scenario.c_str(), L"rb");
    if (!f) {
      Say(L"arhost: cannot open the scenario " + options_.scenario);
      return false;
    }
    text.clear();
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) text.append(buffer, n);
    std::fclose(f);
    scenarioName_ = BaseName(options_.scenario);
  }
  try {
    *network = Network::Parse(text);
  } catch (const ScenarioError& e) {
    Say(L"arhost: scenario " + scenarioName_ + L", " + WideFromUtf8(e.what()));
    return false;
  }
  return true;
}

bool Host::CreateFrame() {
  HINSTANCE instance = GetModuleHandleW(nullptr);
  WNDCLASSEXW frameClass = {};
  frameClass.cbSize = sizeof frameClass;
  frameClass.lpfnWndProc = FrameProc;
  frameClass.hInstance = instance;
  frameClass.hCursor = LoadCursor(nullptr, IDC_ARROW);
  frameClass.hIcon = LoadIcon(nullptr, IDI_APPLICATION);
  frameClass.hbrBackground = GetSysColorBrush(COLOR_BTNFACE);
  frameClass.lpszClassName = kFrameClass;
  WNDCLASSEXW clientClass = frameClass;
  clientClass.lpfnWndProc = DefWindowProcW;
  background_ = CreateSolidBrush(kHostBackground);
  clientClass.hbrBackground = background_;
  clientClass.lpszClassName = kClientClass;
  if (!RegisterClassExW(&frameClass) || !RegisterClassExW(&clientClass)) return false;

  int screenW = GetSystemMetrics(SM_CXSCREEN), screenH = GetSystemMetrics(SM_CYSCREEN);
  int w = std::min(options_.width, screenW), h = std::min(options_.height, screenH);
  // Headless, there is no window manager to draw a caption, so the frame is a
  // bordered popup and its own title band is the caption the screenshot shows.
  DWORD style = options_.screenshot.empty() ? WS_OVERLAPPEDWINDOW : WS_POPUP | WS_BORDER;
  frame_ = CreateWindowExW(0, kFrameClass, Title().c_str(), style | WS_CLIPCHILDREN, 0, 0, w, h,
                           nullptr, nullptr, instance, this);
  if (!frame_) return false;
  client_ = CreateWindowExW(0, kClientClass, L"", WS_CHILD | WS_VISIBLE | WS_CLIPCHILDREN, 0, 0, 0,
                            0, frame_, nullptr, instance, nullptr);
  font_ = static_cast<HFONT>(GetStockObject(DEFAULT_GUI_FONT));
  Layout();
  return client_ != nullptr;
}

void Host::Layout() {
  RECT r;
  GetClientRect(frame_, &r);
  int w = r.right, h = std::max(0L, r.bottom - kStatusHeight - kTitleHeight);
  if (client_) MoveWindow(client_, 0, kTitleHeight, w, h, TRUE);
  // The plug-in window fills the host's client area but for a margin that
  // keeps the host's own background visible around it.
  if (plugin_ && IsWindow(plugin_))
    MoveWindow(plugin_, kMargin, kMargin, std::max(0, w - 2 * kMargin),
               std::max(0, h - 2 * kMargin), TRUE);
  InvalidateStatus();
}

void Host::InvalidateStatus() {
  RECT r;
  GetClientRect(frame_, &r);
  r.top = std::max(0L, r.bottom - kStatusHeight);
  InvalidateRect(frame_, &r, TRUE);
}

std::wstring Host::Title() const {
  return L"arhost - " + BaseName(options_.plugin) + L" - " + scenarioName_;
}

void Host::PaintTitle(HDC dc) {
  RECT r;
  GetClientRect(frame_, &r);
  r.bottom = kTitleHeight;
  HBRUSH brush = CreateSolidBrush(kTitleBackground);
  FillRect(dc, &r, brush);
  DeleteObject(brush);
  r.left += 8;
  std::wstring text = Title();
  HGDIOBJ old = SelectObject(dc, font_);
  SetBkMode(dc, TRANSPARENT);
  SetTextColor(dc, RGB(255, 255, 255));
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r,
            DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
  SetTextColor(dc, GetSysColor(COLOR_BTNTEXT));
  SelectObject(dc, old);
}

void Host::PaintStatus(HDC dc) {
  RECT r;
  GetClientRect(frame_, &r);
  r.top = r.bottom - kStatusHeight;
  std::wstring text = L" 场景 " + scenarioName_;
  if (arcom_) {
    arcom_->Advance();
    const auto& requests = arcom_->Requests();
    text += L"   第 " + std::to_wstring(static_cast<int>(arcom_->Net().Now())) + L" 秒   请求 " +
            std::to_wstring(arcom_->RequestCount());
    if (!requests.empty()) text += L" (最后 " + std::to_wstring(requests.back().function) + L")";
    text += arcom_->Net().Reachable() ? L"   网络正常" : L"   网络不可达";
  }
  HGDIOBJ old = SelectObject(dc, font_);
  SetBkMode(dc, TRANSPARENT);
  DrawTextW(dc, text.c_str(), static_cast<int>(text.size()), &r,
            DT_SINGLELINE | DT_VCENTER | DT_LEFT | DT_NOPREFIX);
  SelectObject(dc, old);
}

LRESULT Host::FrameMessage(HWND window, UINT message, WPARAM wp, LPARAM lp) {
  switch (message) {
    case WM_SIZE:
      if (window == frame_) Layout();
      return 0;
    case WM_PAINT: {
      PAINTSTRUCT ps;
      HDC dc = BeginPaint(window, &ps);
      PaintTitle(dc);
      PaintStatus(dc);
      EndPaint(window, &ps);
      return 0;
    }
    case WM_TIMER:
      if (wp == kStatusTimer) {
        InvalidateStatus();
      } else if (wp == kShotTimer) {
        KillTimer(window, kShotTimer);
        TakeScreenshot(options_.screenshot);
        DestroyWindow(window);
      } else if (wp == kSeriesTimer) {
        TakeScreenshot(SeriesPath(++seriesShots_));
      } else if (wp == kStatusOpenTimer) {
        KillTimer(window, wp);
        OpenStatusQuery();
      } else if (wp == kStatusRunTimer) {
        KillTimer(window, wp);
        RunStatusQuery();
      } else if (wp >= kFirstKeyTimer && wp < kFirstKeyTimer + options_.keys.size()) {
        KillTimer(window, wp);
        PressKeys(options_.keys[wp - kFirstKeyTimer]);
      } else if (wp >= kFirstClickTimer && wp < kFirstClickTimer + options_.clicks.size()) {
        KillTimer(window, wp);
        Click(options_.clicks[wp - kFirstClickTimer]);
      }
      return 0;
    case kReleaseModifiersMessage: {
      BYTE state[256];
      GetKeyboardState(state);
      for (int i : {VK_CONTROL, VK_SHIFT, VK_MENU}) state[i] = 0;
      SetKeyboardState(state);
      return 0;
    }
    case WM_CLOSE:
      // Also what the plug-in posts when its window closes: the host goes with it.
      DestroyWindow(window);
      return 0;
    case WM_DESTROY:
      PostQuitMessage(0);
      return 0;
    default:
      return DefWindowProcW(window, message, wp, lp);
  }
}

std::wstring Host::SeriesPath(int n) const {
  const std::wstring& path = options_.screenshot;
  const size_t dot = path.rfind(L'.');
  const size_t slash = path.find_last_of(L"/\\");
  const bool hasExtension =
      dot != std::wstring::npos && (slash == std::wstring::npos || dot > slash);
  const std::wstring stem = hasExtension ? path.substr(0, dot) : path;
  return stem + L"-" + std::to_wstring(n) + (hasExtension ? path.substr(dot) : L".png");
}

void Host::TakeScreenshot(const std::wstring& path) {
  RedrawWindow(frame_, nullptr, nullptr, RDW_INVALIDATE | RDW_UPDATENOW | RDW_ALLCHILDREN);
  GdiFlush();
  auto image = CaptureWindow(frame_);
  if (!image) {
    Say(L"arhost: could not capture the frame window");
    exitCode_ = 1;
    return;
  }
  RECT frame, plugin = {};
  GetWindowRect(frame_, &frame);
  bool visible = plugin_ && IsWindow(plugin_) && IsWindowVisible(plugin_);
  if (plugin_ && IsWindow(plugin_)) {
    GetWindowRect(plugin_, &plugin);
    OffsetRect(&plugin, -frame.left, -frame.top);
  }
  RECT client = {};
  GetWindowRect(client_, &client);
  OffsetRect(&client, -frame.left, -frame.top);
  char colour[16];
  std::snprintf(
      colour, sizeof colour, "%06X",
      static_cast<unsigned>(GetRValue(kHostBackground) << 16 | GetGValue(kHostBackground) << 8 |
                            GetBValue(kHostBackground)));
  TextChunks text = {
      {"arhost:client", RectText(client)},
      {"arhost:plugin", RectText(plugin) + (visible ? " visible" : " hidden")},
      {"arhost:background", colour},
      {"arhost:requests", std::to_string(arcom_ ? arcom_->RequestCount() : 0)},
  };
  const std::vector<uint8_t> png = EncodePng(*image, text);
  if (png.empty() || !WriteFile(path, png)) {
    Say(L"arhost: cannot write " + path);
    exitCode_ = 1;
    return;
  }
  Say(L"arhost: screenshot " + path + L" " + std::to_wstring(image->width) + L"x" +
      std::to_wstring(image->height));
}

void Host::Click(const arhost::Click& click) {
  if (!plugin_ || !IsWindow(plugin_)) return;
  // The deepest visible child under the point gets the mouse messages, in
  // its own client coordinates, as a real click would deliver them.
  HWND target = plugin_;
  POINT p = {click.x, click.y};
  for (;;) {
    HWND child = ChildWindowFromPointEx(target, p, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT);
    if (!child || child == target) break;
    MapWindowPoints(target, child, &p, 1);
    target = child;
  }
  LPARAM at = MAKELPARAM(p.x, p.y);
  PostMessageW(target, WM_MOUSEMOVE, 0, at);
  PostMessageW(target, click.right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN,
               click.right ? MK_RBUTTON : MK_LBUTTON, at);
  PostMessageW(target, click.right ? WM_RBUTTONUP : WM_LBUTTONUP, 0, at);
}

void Host::PressKeys(const KeyPresses& presses) {
  // To the focus: an open menu reads every key of the thread, a dialog's
  // edit gets its characters.
  HWND target = GetFocus();
  if (!target) target = plugin_;
  if (!target || !IsWindow(target)) return;
  static const std::pair<const wchar_t*, WPARAM> kNamed[] = {
      {L"down", VK_DOWN},    {L"up", VK_UP},      {L"left", VK_LEFT}, {L"right", VK_RIGHT},
      {L"enter", VK_RETURN}, {L"esc", VK_ESCAPE}, {L"tab", VK_TAB},   {L"back", VK_BACK},
      {L"f10", VK_F10},      {L"apps", VK_APPS}};
  for (const std::wstring& key : presses.keys) {
    // ctrl+, shift+ and alt+ in front hold those down while the key goes.
    std::wstring rest = key;
    BYTE held[256] = {};
    bool modified = false;
    for (auto [prefix, vk] : {std::pair{L"ctrl+", VK_CONTROL}, std::pair{L"shift+", VK_SHIFT},
                              std::pair{L"alt+", VK_MENU}}) {
      const size_t n = wcslen(prefix);
      if (rest.size() > n && rest.compare(0, n, prefix) == 0) {
        held[vk] = 0x80;
        modified = true;
        rest.erase(0, n);
      }
    }
    WPARAM vk = 0;
    for (const auto& [name, code] : kNamed)
      if (rest == name) vk = code;
    if (!vk && modified && rest.size() == 1) vk = static_cast<WPARAM>(towupper(rest[0]));
    if (!vk) {
      for (wchar_t c : key) PostMessageW(target, WM_CHAR, c, 1);
      continue;
    }
    if (modified) {
      BYTE state[256];
      GetKeyboardState(state);
      for (int i : {VK_CONTROL, VK_SHIFT, VK_MENU}) state[i] = held[i];
      SetKeyboardState(state);
    }
    // F10, and Alt without Ctrl, make system keys, as a keyboard does.
    const bool system = vk == VK_F10 || (held[VK_MENU] && !held[VK_CONTROL]);
    PostMessageW(target, system ? WM_SYSKEYDOWN : WM_KEYDOWN, vk, 1);
    PostMessageW(target, system ? WM_SYSKEYUP : WM_KEYUP, vk, static_cast<LPARAM>(0xC0000001u));
    if (modified) PostMessageW(frame_, kReleaseModifiersMessage, 0, 0);
  }
}

void Host::OpenStatusQuery() {
  if (!plugin_ || !IsWindow(plugin_) || !tempData_) return;
  // What the status command leaves in TempData for the dialog.
  const StatusQuery& q = *options_.status;
  DataContainer* temp = DataContainer::From(tempData_.Get());
  temp->Put(L"ClickedSvrType", Variant::Int32(q.as.empty() ? 0 : 1));
  temp->Put(L"ClickedSvrName", Variant::String(q.as.empty() ? q.ar : q.as));
  temp->Put(L"ClickedParentARName", Variant::String(q.as.empty() ? std::wstring() : q.ar));
  temp->Put(L"ClickedSvrNo", Variant::Int32(q.instance));
  SetTimer(frame_, kStatusRunTimer, 1000, nullptr);
  PostMessageW(plugin_, RegisterWindowMessageW(kOpenStatusQueryMessage), 0, 0);
}

struct Found {
  HWND skip;
  HWND window;
};

BOOL CALLBACK FindComboBox(HWND w, LPARAM found) {
  wchar_t cls[16] = L"";
  GetClassNameW(w, cls, 16);
  if (lstrcmpiW(cls, L"ComboBox") != 0) return TRUE;
  *reinterpret_cast<HWND*>(found) = w;
  return FALSE;
}

// The modal dialog: the one visible, enabled top-level window of this thread
// besides the frame (which it disables) that has a drop-down list.
BOOL CALLBACK FindDialog(HWND w, LPARAM found) {
  auto* f = reinterpret_cast<Found*>(found);
  HWND combo = nullptr;
  if (w == f->skip || !IsWindowVisible(w) || !IsWindowEnabled(w)) return TRUE;
  EnumChildWindows(w, FindComboBox, reinterpret_cast<LPARAM>(&combo));
  if (!combo) return TRUE;
  f->window = w;
  return FALSE;
}

// Chooses the function in the open dialog and presses its push button, as an
// operator would.
void Host::RunStatusQuery() {
  Found dialog{frame_, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&dialog));
  if (!dialog.window) {
    Say(L"arhost: no status dialog opened");
    return;
  }
  HWND button = nullptr;
  for (HWND c = GetWindow(dialog.window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    wchar_t cls[16] = L"";
    GetClassNameW(c, cls, 16);
    if (lstrcmpiW(cls, L"Button") == 0 && !button) button = c;
    if (lstrcmpiW(cls, L"ComboBox") == 0 && options_.status->function) {
      wchar_t prefix[8];
      std::swprintf(prefix, 8, L"%05d", options_.status->function);
      LRESULT item =
          SendMessageW(c, CB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(prefix));
      if (item != CB_ERR) {
        SendMessageW(c, CB_SETCURSEL, static_cast<WPARAM>(item), 0);
        SendMessageW(dialog.window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(c), CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(c));
      }
    }
  }
  if (button) SendMessageW(button, BM_CLICK, 0, 0);
}

int Host::Run() {
  Network network;
  if (!LoadScenario(&network)) return 2;
  std::wstring dataDir = PrepareDataDir(options_.dataDir);
  if (dataDir.empty()) {
    Say(L"arhost: cannot create the data folder " + options_.dataDir);
    return 2;
  }

  PacketClassRegistration classes;
  if (FAILED(classes.Result())) {
    Say(L"arhost: cannot register the packer and unpacker classes");
    return 2;
  }
  std::wstring adminAr = network.AdminAR(), adminAs = network.AdminAS();
  auto arcom = ARCom::Create(
      std::move(network), [this] { return Seconds(); }, options_.requestLog);
  arcom_ = ARCom::From(arcom.Get());
  auto login = DataContainer::Create();
  DataContainer::From(login.Get())->Put(L"AdminAR", Variant::String(adminAr));
  DataContainer::From(login.Get())->Put(L"AdminAS", Variant::String(adminAs));
  auto frame = AppFrame::Create();
  AppFrame* services = AppFrame::From(frame.Get());
  auto offer = [&](const wchar_t* name, IUnknown* object) {
    for (const auto& left : options_.without)
      if (left == name) return;
    services->Register(name, ComPtr<IUnknown>::Borrow(object));
  };
  offer(L"ARCom", arcom.Get());
  offer(L"PersonalData", DataContainer::Create(dataDir + L"PersonalData.txt").Get());
  tempData_ = DataContainer::Create();
  offer(L"TempData", tempData_.Get());
  offer(L"MemConfig", MemConfig::Create(dataDir).Get());
  offer(L"LoginInfo", login.Get());

  if (!CreateFrame()) {
    Say(L"arhost: cannot create the frame window");
    return 2;
  }
  module_.module = LoadLibraryW(options_.plugin.c_str());
  if (!module_.module) {
    Say(L"arhost: cannot load " + options_.plugin + L" (error " + std::to_wstring(GetLastError()) +
        L")");
    DestroyWindow(frame_);
    return 3;
  }
  auto init = Export<BizInitFn>(module_.module, "BizInit");
  auto uninit = Export<BizUninitFn>(module_.module, "BizUninit");
  auto entry = Export<BizEntryFn>(module_.module, "BizEntry");
  auto devInfo = Export<BizGetDevInfoFn>(module_.module, "BizGetDevInfo");
  if (!init || !uninit || !entry || !devInfo) {
    Say(L"arhost: " + options_.plugin +
        L" lacks one of BizInit, BizUninit, BizEntry, BizGetDevInfo");
    DestroyWindow(frame_);
    return 3;
  }
  char dev[64] = {};
  int info1 = 0, info2 = 0;
  devInfo(dev, &info1, &info2);
  Say(L"arhost: " + BaseName(options_.plugin) + L" reports \"" + WideFromUtf8(dev) + L"\" " +
      std::to_wstring(info1) + L" " + std::to_wstring(info2));

  // The resource path travels as code page 936 bytes.
  std::string resource;
  if (!options_.resource.empty()) {
    int n =
        WideCharToMultiByte(936, 0, options_.resource.c_str(), -1, nullptr, 0, nullptr, nullptr);
    resource.resize(static_cast<size_t>(std::max(n, 1)));
    WideCharToMultiByte(936, 0, options_.resource.c_str(), -1, &resource[0], n, nullptr, nullptr);
  }
  init(0, resource.c_str(), frame.Get(), 0);
  plugin_ = entry(kTopologyFunction, client_, frame_, frame.Get(), 0);
  if (!plugin_) {
    Say(L"arhost: BizEntry(3101) returned no window");
    exitCode_ = 4;
  }
  entry(kTopologyFunction, client_, frame_, frame.Get(), 1);
  ShowWindow(frame_, SW_SHOW);
  Layout();
  UpdateWindow(frame_);
  shown_ = true;
  shownAt_ = std::chrono::steady_clock::now();
  SetTimer(frame_, kStatusTimer, 1000, nullptr);
  if (!options_.screenshot.empty()) {
    SetTimer(frame_, kShotTimer, static_cast<UINT>(options_.after * 1000), nullptr);
    if (options_.every > 0)
      SetTimer(frame_, kSeriesTimer, static_cast<UINT>(options_.every * 1000), nullptr);
  }
  if (options_.status)
    SetTimer(frame_, kStatusOpenTimer, static_cast<UINT>(options_.status->at * 1000), nullptr);
  for (size_t i = 0; i < options_.clicks.size(); ++i)
    SetTimer(frame_, kFirstClickTimer + i, static_cast<UINT>(options_.clicks[i].at * 1000),
             nullptr);
  for (size_t i = 0; i < options_.keys.size(); ++i)
    SetTimer(frame_, kFirstKeyTimer + i, static_cast<UINT>(options_.keys[i].at * 1000), nullptr);

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  // The frame and with it the plug-in window are destroyed; only then may the
  // plug-in's module state go. The services go when Run returns, the module
  // with the host after them.
  frame_ = client_ = plugin_ = nullptr;
  uninit();
  return exitCode_;
}

}  // namespace
}  // namespace arhost

int main() {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::vector<std::wstring> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
  LocalFree(argv);
  std::wstring error;
  auto options = arhost::ParseOptions(args, &error);
  if (!options) {
    arhost::Say(L"arhost: " + error);
    arhost::Say(arhost::kUsage);
    return 2;
  }
  if (FAILED(OleInitialize(nullptr))) {
    arhost::Say(L"arhost: COM could not be initialised");
    return 2;
  }
  int rc = 2;
  try {
    rc = arhost::Host(std::move(*options)).Run();
  } catch (const std::exception& e) {
    arhost::Say(L"arhost: " + arhost::WideFromUtf8(e.what()));
  }
  OleUninitialize();
  return rc;
}
