// The session's windows are remembered by handle, not by object: a window
// frees its TMainForm when it is destroyed, which a test may do itself.
#include "WindowSession.h"

#include <memory>

#include "plugin/ModuleState.h"

namespace topo::test {

WindowSession::WindowSession(const wchar_t* hostTitle, plugin::TModuleState::ErrorDisplay display)
    : displayReplaced_(display != nullptr), hostWindow_(true, hostTitle) {
  plugin::Module().ResetForTest();
  if (displayReplaced_) oldDisplay_ = plugin::Module().SetErrorDisplay(std::move(display));
}

WindowSession::~WindowSession() {
  for (HWND w : opened_)
    if (IsWindow(w)) DestroyWindow(w);
  PumpMessages();
  if (displayReplaced_) plugin::Module().SetErrorDisplay(oldDisplay_);
  plugin::Module().ResetForTest();
}

window::TMainForm& WindowSession::Open(host::IAppFrame* frame) {
  auto* form =
      bridge::TBizFormBase::GiveToWindow(std::make_unique<window::TMainForm>(plugin::Module()));
  opened_.push_back(form->Handle());
  form->AttachToHost(3101, hostWindow_.Handle(), nullptr, frame);
  form->Show();
  return *form;
}

}  // namespace topo::test
