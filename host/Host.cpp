// The host's run from start to end, and what its frame does with its timers.
// Every scripted step has a timer of its own, counted from the moment the
// plug-in window is shown.
#include "host/Host.h"

#include "host/Console.h"
#include "host/Files.h"
#include "host/PacketClasses.h"
#include "host/Screenshot.h"
#include "host/ScriptedInput.h"
#include "host/Services.h"
#include "host/StatusScript.h"
#include "win32/Cp936.h"
#include "win32/GdiHandles.h"
#include "win32/Variant.h"

namespace arhost {

namespace {

using topo::win32::ComPtr;
using topo::win32::Variant;

constexpr int kTopologyFunction = 3101;
constexpr UINT_PTR kStatusTimer = 1;
constexpr UINT_PTR kShotTimer = 2;
constexpr UINT_PTR kSeriesTimer = 5;
constexpr UINT_PTR kStatusOpenTimer = 3;
constexpr UINT_PTR kStatusRunTimer = 4;
constexpr UINT_PTR kStatusMenuTimer = 6;
constexpr UINT_PTR kFirstClickTimer = 100;
constexpr UINT_PTR kFirstKeyTimer = 1000;

// Used when no scenario file is given: two AR nodes and one server.
constexpr char kDefaultScenario[] =
    "ar root up=0\n"
    "ar edge parent=root up=0,1\n"
    "as gateway ar=edge up=0 password=start\n";

}  // namespace

Host::Host(Options options)
    : options_(std::move(options)),
      frame_([this](HWND w, UINT m, WPARAM wp, LPARAM lp) { return FrameMessage(w, m, wp, lp); }) {}

double Host::Seconds() const {
  if (!shown_) return 0;
  return std::chrono::duration<double>(std::chrono::steady_clock::now() - shownAt_).count();
}

bool Host::LoadScenario(Network* network) {
  std::string text = kDefaultScenario;
  if (!options_.scenario.empty()) {
    std::optional<std::string> file = ReadWholeFile(options_.scenario);
    if (!file) {
      Say(L"arhost: cannot open the scenario " + options_.scenario);
      return false;
    }
    text = std::move(*file);
    scenarioName_ = BaseName(options_.scenario);
  }
  try {
    *network = Network::Parse(text);
  } catch (const ScenarioError& e) {
    Say(L"arhost: scenario " + scenarioName_ + L", " + topo::win32::WideFromUtf8(e.what()));
    return false;
  }
  return true;
}

std::wstring Host::Title() const {
  return L"arhost - " + BaseName(options_.plugin) + L" - " + scenarioName_;
}

std::wstring Host::StatusText() {
  std::wstring text = L" 场景 " + scenarioName_;
  if (arcom_) {
    arcom_->Advance();
    const auto& requests = arcom_->Requests();
    text += L"   第 " + std::to_wstring(static_cast<int>(arcom_->Net().Now())) + L" 秒   请求 " +
            std::to_wstring(arcom_->RequestCount());
    if (!requests.empty()) text += L" (最后 " + std::to_wstring(requests.back().function) + L")";
    text += arcom_->Net().Reachable() ? L"   网络正常" : L"   网络不可达";
  }
  return text;
}

LRESULT Host::FrameMessage(HWND window, UINT message, WPARAM wp, LPARAM lp) {
  switch (message) {
    case WM_SIZE:
      if (window == frame_.Frame()) frame_.Layout(plugin_);
      return 0;
    case WM_PAINT: {
      topo::win32::PaintDc paint(window);
      frame_.Paint(paint.Get(), StatusText());
      return 0;
    }
    case WM_TIMER:
      if (wp == kStatusTimer) {
        frame_.InvalidateStatus();
      } else if (wp == kShotTimer) {
        KillTimer(window, kShotTimer);
        TakeScreenshot(options_.screenshot);
        DestroyWindow(window);
      } else if (wp == kSeriesTimer) {
        TakeScreenshot(SeriesPath(options_.screenshot, ++seriesShots_));
      } else if (wp == kStatusOpenTimer) {
        KillTimer(window, wp);
        if (OpenStatusQuery(plugin_, *options_.status))
          SetTimer(window, kStatusMenuTimer, 400, nullptr);
      } else if (wp == kStatusMenuTimer) {
        KillTimer(window, wp);
        ChooseStatusEntry(plugin_);
        SetTimer(window, kStatusRunTimer, 1000, nullptr);
      } else if (wp == kStatusRunTimer) {
        KillTimer(window, wp);
        RunStatusQuery(window, *options_.status);
      } else if (wp >= kFirstKeyTimer && wp < kFirstKeyTimer + options_.keys.size()) {
        KillTimer(window, wp);
        PostKeys(plugin_, options_.keys[wp - kFirstKeyTimer]);
      } else if (wp >= kFirstClickTimer && wp < kFirstClickTimer + options_.clicks.size()) {
        KillTimer(window, wp);
        PostClick(plugin_, options_.clicks[wp - kFirstClickTimer]);
      }
      return 0;
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

void Host::TakeScreenshot(const std::wstring& path) {
  const ShotWindows windows{frame_.Frame(), frame_.Client(), plugin_};
  if (!WriteScreenshot(path, windows, FrameWindow::kBackground,
                       arcom_ ? arcom_->RequestCount() : 0))
    exitCode_ = 1;
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
  // Who is logged in: the plug-in's history names the operator of each command.
  DataContainer::From(login.Get())->Put(L"LoginName", Variant::String(L"operator"));
  auto appFrame = AppFrame::Create();
  AppFrame* services = AppFrame::From(appFrame.Get());
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

  if (!options_.screenshot.empty()) {
    // A scripted run with its picture: the pointer waits in the screen's far
    // corner, off the frame, so no box under wherever it happened to be shows
    // its tooltip in the picture; --hover moves it where a run wants it.
    SetCursorPos(GetSystemMetrics(SM_CXSCREEN) - 1, GetSystemMetrics(SM_CYSCREEN) - 1);
  }
  if (!frame_.Create(Title(), options_.width, options_.height, !options_.screenshot.empty())) {
    Say(L"arhost: cannot create the frame window");
    return 2;
  }
  const HWND frame = frame_.Frame(), client = frame_.Client();
  std::wstring error;
  if (!module_.Load(options_.plugin, &error)) {
    Say(L"arhost: " + error);
    DestroyWindow(frame);
    return 3;
  }
  Say(L"arhost: " + BaseName(options_.plugin) + L" reports " + module_.DeviceInfo());

  module_.Init(options_.resource, appFrame.Get());
  plugin_ = module_.Entry(kTopologyFunction, client, frame, appFrame.Get(), 0);
  if (!plugin_) {
    Say(L"arhost: BizEntry(3101) returned no window");
    exitCode_ = 4;
  }
  module_.Entry(kTopologyFunction, client, frame, appFrame.Get(), 1);
  ShowWindow(frame, SW_SHOW);
  frame_.Layout(plugin_);
  UpdateWindow(frame);
  shown_ = true;
  shownAt_ = std::chrono::steady_clock::now();
  SetTimer(frame, kStatusTimer, 1000, nullptr);
  if (!options_.screenshot.empty()) {
    SetTimer(frame, kShotTimer, static_cast<UINT>(options_.after * 1000), nullptr);
    if (options_.every > 0)
      SetTimer(frame, kSeriesTimer, static_cast<UINT>(options_.every * 1000), nullptr);
  }
  if (options_.status)
    SetTimer(frame, kStatusOpenTimer, static_cast<UINT>(options_.status->at * 1000), nullptr);
  for (size_t i = 0; i < options_.clicks.size(); ++i)
    SetTimer(frame, kFirstClickTimer + i, static_cast<UINT>(options_.clicks[i].at * 1000), nullptr);
  for (size_t i = 0; i < options_.keys.size(); ++i)
    SetTimer(frame, kFirstKeyTimer + i, static_cast<UINT>(options_.keys[i].at * 1000), nullptr);

  MSG msg;
  while (GetMessageW(&msg, nullptr, 0, 0) > 0) {
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  // The frame and with it the plug-in window are destroyed; only then may the
  // plug-in's module state go. The services go when Run returns, the module
  // with the host after them.
  frame_.Forget();
  plugin_ = nullptr;
  module_.Uninit();
  return exitCode_;
}

}  // namespace arhost
