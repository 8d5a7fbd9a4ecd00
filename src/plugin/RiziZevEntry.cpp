// Module state and the bodies of the four exports.
#include "plugin/RiziZevEntry.h"

#include <cstring>
#include <exception>

#include "plugin/BizForm.h"
#include "ui/Guard.h"
#include "win32/ComPtr.h"
#include "win32/Cp936.h"
#include "win32/ThisModule.h"

namespace topo::plugin {
namespace {

TModuleState::Loader DefaultLoader() {
  return {[](const char* path) -> HMODULE {
            // As a data file: none of its code runs, only its resources are read.
            return path ? LoadLibraryExA(path, nullptr, LOAD_LIBRARY_AS_DATAFILE) : nullptr;
          },
          [](HMODULE module) { FreeLibrary(module); }};
}

void DefaultErrorDisplay(HWND owner, const std::wstring& text) {
  // Like the host's own error display: the owner's title as caption, one OK button.
  wchar_t caption[256] = L"";
  if (owner) GetWindowTextW(owner, caption, 256);
  MessageBoxW(owner, text.c_str(), caption[0] ? caption : L"topo", MB_OK);
}

HWND TopLevelAncestor(HWND window) {
  HWND last = window;
  for (HWND w = window; w; w = GetParent(w)) last = w;
  return last;
}

}  // namespace

TModuleState::TModuleState()
    : self_(win32::ThisModule()), loader_(DefaultLoader()), errorDisplay_(DefaultErrorDisplay) {
  // The toolkit's windows report their failures the plug-in's way.
  ui::SetErrorReporter(
      [](HWND window, const std::wstring& text) { Module().ShowError(text, window); });
}

void TModuleState::Init(const char* resourcePath) {
  if (initCount_ == 0) {
    if (!resourceModule_) resourceModule_ = loader_.load(resourcePath);
    if (resourceModule_) redirected_ = true;
  }
  ++initCount_;
}

void TModuleState::Uninit() {
  --initCount_;
  if (initCount_ < 0) {
    initCount_ = 0;
    return;
  }
  if (initCount_ == 0 && resourceModule_) {
    redirected_ = false;
    loader_.release(resourceModule_);
    resourceModule_ = nullptr;
  }
}

void TModuleState::SetTopologyWindow(TBizFormBase* window) {
  topologyWindow_ = window;
  topologyWindowAlive_ = window ? window->Liveness() : std::weak_ptr<void>();
}

TBizFormBase* TModuleState::TopologyWindow() const {
  return topologyWindowAlive_.expired() ? nullptr : topologyWindow_;
}

void TModuleState::AdoptApplicationWindow(HWND topLevel) {
  if (!applicationWindow_) applicationWindow_ = topLevel;
}

void TModuleState::ShowError(const std::wstring& text, HWND fallbackOwner) const {
  HWND owner = applicationWindow_ && IsWindow(applicationWindow_) ? applicationWindow_
                                                                  : TopLevelAncestor(fallbackOwner);
  errorDisplay_(owner, text);
}

void TModuleState::ShowError(const char* cp936Text, HWND fallbackOwner) const {
  ShowError(win32::WideFromCp936(cp936Text ? cp936Text : ""), fallbackOwner);
}

TModuleState::Loader TModuleState::SetLoader(Loader loader) {
  std::swap(loader, loader_);
  return loader;
}

TModuleState::ErrorDisplay TModuleState::SetErrorDisplay(ErrorDisplay display) {
  std::swap(display, errorDisplay_);
  return display;
}

void TModuleState::ResetForTest() {
  if (resourceModule_) loader_.release(resourceModule_);
  initCount_ = 0;
  resourceModule_ = nullptr;
  redirected_ = false;
  SetTopologyWindow(nullptr);
  applicationWindow_ = nullptr;
}

TModuleState& Module() {
  static TModuleState state;
  return state;
}

HWND EntryUnguarded(TModuleState& module, int functionNo, HWND parentWindow, HWND notifyWindow,
                    IUnknown* host, int showExisting) {
  if (functionNo != kTopologyFunction) return nullptr;
  if (showExisting) {
    // The remembered window may have closed; then there is nothing to show.
    if (TBizFormBase* window = module.TopologyWindow()) window->Show();
    return nullptr;
  }
  TBizFormBase* window = TBizFormBase::GiveToWindow(CreateTopologyWindow());
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
