// The module around a topology window in the window, command, fault and soak
// tests: reset before and after, failures shown to the test instead of a box
// where it asks, a host window to attach to, and every window made as the
// plug-in makes it closed again at the end, so no test leaves one behind for
// the next. The host's services are the caller's: fakes, or the simulated host's.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "FakeHost.h"
#include "plugin/ModuleState.h"
#include "window/MainForm.h"

namespace topo::test {

class WindowSession {
 public:
  // Without a display, failures reach the module's own message box.
  explicit WindowSession(const wchar_t* hostTitle,
                         plugin::TModuleState::ErrorDisplay display = nullptr);
  WindowSession(const WindowSession&) = delete;
  WindowSession& operator=(const WindowSession&) = delete;
  ~WindowSession();

  // A topology window attached under the host window as BizEntry(3101) does,
  // and shown; an attach that throws leaves its window to the session.
  window::TMainForm& Open(host::IAppFrame* frame);
  HWND Host() const { return hostWindow_.Handle(); }

 private:
  bool displayReplaced_;
  plugin::TModuleState::ErrorDisplay oldDisplay_;
  TestWindow hostWindow_;
  std::vector<HWND> opened_;
};

}  // namespace topo::test
