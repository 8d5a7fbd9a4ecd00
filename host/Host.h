// One run of the simulated host: the scenario's network behind the services
// it offers, the frame window, the plug-in loaded into it, and the timers
// that script a headless run (screenshots, clicks, keys, the status query).
#pragma once

#include <windows.h>

#include <chrono>
#include <string>

#include "abi/HostInterfaces.h"
#include "host/ARCom.h"
#include "host/FrameWindow.h"
#include "host/Options.h"
#include "host/PluginModule.h"
#include "win32/ComPtr.h"

namespace arhost {

class Host {
 public:
  explicit Host(Options options);
  Host(const Host&) = delete;
  Host& operator=(const Host&) = delete;

  // The exit code: 0 success, 1 screenshot not written, 2 bad arguments or
  // scenario, 3 the plug-in could not be loaded, 4 BizEntry made no window.
  int Run();

 private:
  LRESULT FrameMessage(HWND window, UINT message, WPARAM wp, LPARAM lp);
  double Seconds() const;
  bool LoadScenario(Network* network);
  std::wstring Title() const;
  std::wstring StatusText();
  void TakeScreenshot(const std::wstring& path);

  // First, so that it goes last: the module is freed only after every COM
  // object of the plug-in that the services below or Run's locals may hold
  // has been released, or that release would call into unloaded code.
  PluginModule module_;
  Options options_;
  std::wstring scenarioName_ = L"(built in)";
  FrameWindow frame_;
  HWND plugin_ = nullptr;
  ARCom* arcom_ = nullptr;  // owned by the service directory below
  topo::win32::ComPtr<topo::host::IDataContainer> tempData_;
  bool shown_ = false;
  std::chrono::steady_clock::time_point shownAt_;
  int seriesShots_ = 0;
  int exitCode_ = 0;
};

}  // namespace arhost
