// The handle counts walk Wine's tables: a GDI handle's low word is its slot,
// and GetObjectType accepts a bare slot number for a live object; a menu
// handle's low word is 0x20 plus twice its slot, and IsMenu accepts that
// alone too. Each walk first checks that it sees objects made for it, since
// GetGuiResources answers 0 there.
#include "Soak.h"

// clang-format off
#include <windows.h>
#include <psapi.h>  // needs windows.h first
// clang-format on

#include "FakeExchange.h"
#include "MessageBoxCloser.h"
#include "WindowSession.h"
#include "host/ARCom.h"
#include "host/PacketClasses.h"
#include "host/Services.h"
#include "win32/GdiHandles.h"
#include "window/MainForm.h"

namespace topo::soak {

namespace {

using win32::ComPtr;

constexpr int kArNodes = 12;
constexpr int kServersPerNode = 3;
constexpr int kMemoryStretch = 20;
// Events kept in memory: a few ticks' worth, so the warm-up fills the history.
constexpr size_t kHistoryBound = 100;

size_t LowestOf(size_t lowest, size_t reading) {
  return lowest == 0 || reading < lowest ? reading : lowest;
}

long WalkGdi() {
  long count = 0;
  for (UINT_PTR slot = 1; slot < 0x10000; ++slot)
    if (GetObjectType(reinterpret_cast<HGDIOBJ>(slot))) ++count;
  return count;
}

long WalkMenus() {
  long count = 0;
  for (UINT_PTR handle = 0x20; handle < 0x10000; handle += 2)
    if (IsMenu(reinterpret_cast<HMENU>(handle))) ++count;
  return count;
}

BOOL CALLBACK CountChild(HWND, LPARAM count) {
  ++*reinterpret_cast<long*>(count);
  return TRUE;
}

BOOL CALLBACK CountTopLevel(HWND window, LPARAM count) {
  ++*reinterpret_cast<long*>(count);
  EnumChildWindows(window, CountChild, count);
  return TRUE;
}

long CountWindows() {
  long count = 0;
  EnumThreadWindows(GetCurrentThreadId(), CountTopLevel, reinterpret_cast<LPARAM>(&count));
  for (HWND w = FindWindowExW(HWND_MESSAGE, nullptr, nullptr, nullptr); w;
       w = FindWindowExW(HWND_MESSAGE, w, nullptr, nullptr)) {
    if (GetWindowThreadProcessId(w, nullptr) == GetCurrentThreadId()) {
      ++count;
      EnumChildWindows(w, CountChild, reinterpret_cast<LPARAM>(&count));
    }
  }
  return count;
}

// Drags the first AR node's box a few pixels, as the operator would.
bool Drag(window::TMainForm& form, int tick) {
  if (form.Model().Count() == 0) return false;
  const TRect& box = form.Model().Items(0).Rect;
  const int x = (box.Left + box.Right) / 2 - form.ScrollPosition(SB_HORZ);
  const int y = (box.Top + box.Bottom) / 2 - form.ScrollPosition(SB_VERT);
  const int dx = tick % 20 == 0 ? 15 : -15;
  HWND w = form.Handle();
  SendMessageW(w, WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
  for (int step = 1; step <= 3; ++step) {
    SendMessageW(w, WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x + dx * step / 3, y + step));
    UpdateWindow(w);
  }
  SendMessageW(w, WM_LBUTTONUP, 0, MAKELPARAM(x + dx, y + 3));
  return true;
}

}  // namespace

long CountGdiObjects() {
  const long before = WalkGdi();
  win32::Brush a(CreateSolidBrush(RGB(1, 2, 3))), b(CreateSolidBrush(RGB(4, 5, 6)));
  win32::Pen c(CreatePen(PS_SOLID, 1, RGB(7, 8, 9)));
  if (WalkGdi() != before + 3) return -1;
  return before;
}

long CountUserObjects() {
  const long menus = WalkMenus(), windows = CountWindows();
  win32::MenuHandle a(CreatePopupMenu()), b(CreateMenu());
  HWND probe =
      CreateWindowExW(0, L"STATIC", L"", 0, 0, 0, 1, 1, HWND_MESSAGE, nullptr, nullptr, nullptr);
  const bool seen = WalkMenus() == menus + 2 && CountWindows() == windows + 1;
  DestroyWindow(probe);
  return seen ? menus + windows : -1;
}

size_t PrivateBytes() {
  PROCESS_MEMORY_COUNTERS_EX counters = {};
  counters.cb = sizeof counters;
  if (GetProcessMemoryInfo(GetCurrentProcess(),
                           reinterpret_cast<PROCESS_MEMORY_COUNTERS*>(&counters),
                           sizeof counters) &&
      counters.PrivateUsage)
    return counters.PrivateUsage;
  // Wine reports the swapped-out part there (0 without swap): add up the
  // committed private pages of the address space instead.
  size_t total = 0;
  MEMORY_BASIC_INFORMATION region;
  for (const char* at = nullptr; VirtualQuery(at, &region, sizeof region) == sizeof region;) {
    if (region.State == MEM_COMMIT && region.Type == MEM_PRIVATE) total += region.RegionSize;
    const char* next = static_cast<const char*>(region.BaseAddress) + region.RegionSize;
    if (next <= at) break;
    at = next;
  }
  return total;
}

std::string FlappingScenario(int ticks) {
  const auto ar = [](int i) { return "AR" + std::to_string(i); };
  std::string s;
  for (int i = 0; i < kArNodes; ++i) {
    s += "ar " + ar(i);
    if (i > 0) s += " parent=" + ar((i - 1) / 3);
    s += " up=0,1\n";
    for (int k = 0; k < kServersPerNode; ++k)
      s += "as S" + std::to_string(i) + "_" + std::to_string(k) + " ar=" + ar(i) + " up=0,2\n";
  }
  for (int t = 1; t <= ticks; ++t) {
    const std::string at = "at " + std::to_string(t) + " ";
    const int node = t % kArNodes, child = 1 + t % (kArNodes - 1);
    const char* flip = t / kArNodes % 2 ? "start" : "die";
    s += at + flip + " ar " + ar(node) + " " + std::to_string(t % 2) + "\n";
    s += at + flip + " as S" + std::to_string(node) + "_" + std::to_string(t % kServersPerNode) +
         " " + std::to_string(t % 3) + "\n";
    s += at + (t / (kArNodes - 1) % 2 ? "mend " : "break ") + ar((child - 1) / 3) + " " +
         ar(child) + "\n";
    if (t % 5 == 0) s += at + "unreachable\n";
    if (t % 5 == 1 && t > 1) s += at + "reachable\n";
  }
  return s;
}

Figures Run(int ticks, int warmUp) {
  Figures figures;
  figures.ticks = ticks;
  test::ComApartment apartment;
  test::MessageBoxCloser boxes;
  {
    arhost::PacketClassRegistration classes;
    double now = 0;
    auto arcom = arhost::ARCom::Create(
        arhost::Network::Parse(FlappingScenario(ticks)), [&now] { return now; }, L"");
    auto* network = arhost::ARCom::From(arcom.Get());
    auto frame = arhost::AppFrame::Create();
    auto* services = arhost::AppFrame::From(frame.Get());
    wchar_t temp[MAX_PATH] = {};
    GetTempPathW(MAX_PATH, temp);
    services->Register(L"ARCom", ComPtr<IUnknown>::Borrow(arcom.Get()));
    services->Register(L"PersonalData",
                       ComPtr<IUnknown>::Borrow(arhost::DataContainer::Create().Get()));
    services->Register(L"TempData",
                       ComPtr<IUnknown>::Borrow(arhost::DataContainer::Create().Get()));
    // A folder without a baseline: the network alone fills the model. The
    // day's event file grows there.
    const std::wstring folder = std::wstring(temp) + L"topo-soak-none\\";
    CreateDirectoryW(folder.c_str(), nullptr);
    auto config = arhost::MemConfig::Create(folder);
    services->Register(L"MemConfig", ComPtr<IUnknown>::Borrow(config.Get()));
    test::WindowSession session(L"soak host");
    window::TMainForm& form = session.Open(frame.Get());
    // The history window open all along, on a history whose bound the warm-up reaches.
    form.SetHistoryCapacity(kHistoryBound);
    form.btnHistoryClick();
    test::PumpMessages();
    for (int tick = 1; tick <= ticks; ++tick) {
      now = tick;
      form.TimerTimer();
      if (!network->Net().Reachable()) ++figures.unreachableTicks;
      UpdateWindow(form.Handle());
      if (tick % 10 == 0 && Drag(form, tick)) ++figures.drags;
      test::PumpMessages();
      if (tick == warmUp) {
        figures.gdiAtWarmUp = CountGdiObjects();
        figures.userAtWarmUp = CountUserObjects();
      }
      // Threads that come and go (a sound being played) move the private
      // bytes by megabytes: the lowest reading of a stretch of ticks is
      // compared, which a steady leak still raises.
      if (tick > warmUp && tick <= warmUp + kMemoryStretch)
        figures.privateAtWarmUp = LowestOf(figures.privateAtWarmUp, PrivateBytes());
      if (tick > ticks - kMemoryStretch)
        figures.privateAtEnd = LowestOf(figures.privateAtEnd, PrivateBytes());
    }
    figures.gdiAtEnd = CountGdiObjects();
    figures.userAtEnd = CountUserObjects();
    figures.nodes = form.Model().Count();
  }
  figures.boxes = boxes.closed;
  return figures;
}

}  // namespace topo::soak
