// The bodies of the four exports: the topology window made and attached, or
// shown again, with every failure kept from crossing into the host.
#include "plugin/EntryPoints.h"

#include <cstring>
#include <exception>

#include "bridge/BizForm.h"
#include "plugin/WindowFactory.h"
#include "ui/ExceptionBoundary.h"

namespace topo::plugin {

HWND EntryUnguarded(TModuleState& module, int functionNo, HWND parentWindow, HWND notifyWindow,
                    IUnknown* host, int showExisting) {
  if (functionNo != kTopologyFunction) return nullptr;
  if (showExisting) {
    // The remembered window may have closed; then there is nothing to show.
    if (bridge::TBizFormBase* window = module.TopologyWindow()) window->Show();
    return nullptr;
  }
  bridge::TBizFormBase* window = bridge::TBizFormBase::GiveToWindow(CreateTopologyWindow(module));
  module.SetTopologyWindow(window);
  HWND handle = window->Handle();
  try {
    // The host passes its frame as IAppFrame; the export's type is only the ABI.
    window->AttachToHost(functionNo, parentWindow, notifyWindow,
                         static_cast<host::IAppFrame*>(static_cast<IUnknown*>(host)));
  } catch (...) {
    // The host gets 0 and so could never close a half-attached window itself.
    DestroyWindow(handle);
    throw;
  }
  return handle;
}

bool RunGuarded(const std::function<void()>& body, HWND fallbackOwner) noexcept {
  // Making the module state installs its reporter, so the failure reaches the
  // operator the plug-in's way even when nothing else has made it yet.
  return ui::RunGuarded(
      [&] {
        Module();
        body();
      },
      fallbackOwner);
}

HWND GuardedEntry(TModuleState& module, int functionNo, HWND parentWindow, HWND notifyWindow,
                  IUnknown* host, int showExisting) noexcept {
  HWND result = nullptr;
  if (!RunGuarded(
          [&] {
            result =
                EntryUnguarded(module, functionNo, parentWindow, notifyWindow, host, showExisting);
          },
          parentWindow))
    return nullptr;
  return result;
}

void GetDevInfo(char* buffer, int* info1, int* info2) noexcept {
  static const char kName[] = "Delphi";  // 6 characters and the zero: 7 bytes
  if (buffer) std::memcpy(buffer, kName, sizeof kName);
  if (info1) *info1 = (5 << 16) | 0;
  if (info2) *info2 = (6 << 16) | 18;
}

}  // namespace topo::plugin
