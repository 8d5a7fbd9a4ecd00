// The module state and the services it gives the windows.
#include "plugin/ModuleState.h"

#include <mmsystem.h>

#include <cstring>
#include <exception>

#include "bridge/BizForm.h"
#include "ui/ExceptionBoundary.h"
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

void DefaultSoundPlayer(const void* wave) {
  // SND_ASYNC | SND_MEMORY | SND_NOSTOP: no wait, from memory, and a sound
  // already playing is not cut off.
  if (wave)
    sndPlaySoundA(static_cast<const char*>(wave), SND_ASYNC | SND_MEMORY | SND_NOSTOP);
  else
    sndPlaySoundA(nullptr, 0);
}

HWND TopLevelAncestor(HWND window) {
  HWND last = window;
  for (HWND w = window; w; w = GetParent(w)) last = w;
  return last;
}

}  // namespace

TModuleState::TModuleState()
    : self_(win32::ThisModule()),
      loader_(DefaultLoader()),
      errorDisplay_(DefaultErrorDisplay),
      soundPlayer_(DefaultSoundPlayer) {
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

void TModuleState::SetTopologyWindow(bridge::TBizFormBase* window) {
  topologyWindow_ = window;
  topologyWindowAlive_ = window ? window->Liveness() : std::weak_ptr<void>();
}

bridge::TBizFormBase* TModuleState::TopologyWindow() const {
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

TModuleState::Loader TModuleState::SetLoader(Loader loader) {
  std::swap(loader, loader_);
  return loader;
}

TModuleState::ErrorDisplay TModuleState::SetErrorDisplay(ErrorDisplay display) {
  std::swap(display, errorDisplay_);
  return display;
}

TModuleState::SoundPlayer TModuleState::SetSoundPlayer(SoundPlayer player) {
  std::swap(player, soundPlayer_);
  return player;
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

}  // namespace topo::plugin
