// The module state behind the four exports (the unit once called RiziZevEntry):
// the BizInit count, the resource module, the window BizEntry made last, and
// the application window that owns the plug-in's message boxes. One copy per
// loaded module; it is the services every window of the module is given.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>

#include "bridge/ModuleServices.h"

namespace topo::bridge {
class TBizFormBase;
}

namespace topo::plugin {

class TModuleState final : public bridge::ModuleServices {
 public:
  // How the resource file is loaded and released; replaceable so tests can
  // count loads and releases.
  struct Loader {
    std::function<HMODULE(const char* path)> load;
    std::function<void(HMODULE module)> release;
  };
  // Shows an error text to the operator (owner may be 0).
  using ErrorDisplay = std::function<void(HWND owner, const std::wstring& text)>;
  // Plays an alarm sound (null: stops it).
  using SoundPlayer = std::function<void(const void* wave)>;

  TModuleState();
  TModuleState(const TModuleState&) = delete;
  TModuleState& operator=(const TModuleState&) = delete;

  void Init(const char* resourcePath);
  void Uninit();
  LONG InitCount() const { return initCount_; }
  HMODULE ResourceModule() const { return resourceModule_; }
  // Where layouts and strings are looked up.
  HMODULE ResourceSource() const override { return redirected_ ? resourceModule_ : self_; }
  // The module this code lives in (topo.dll, or a test executable).
  HMODULE Self() const override { return self_; }

  // The window the last creating BizEntry call made. The reference outlives
  // the window; TopologyWindow() is null once the window is destroyed.
  void SetTopologyWindow(bridge::TBizFormBase* window);
  bridge::TBizFormBase* TopologyWindow() const;

  // The process's application window: set once, by the first attach.
  HWND ApplicationWindow() const override { return applicationWindow_; }
  void AdoptApplicationWindow(HWND topLevel) override;

  // Shows text in a plain message box owned by the application window (or by
  // fallbackOwner while there is none yet).
  void ShowError(const std::wstring& text, HWND fallbackOwner = nullptr) const override;
  using ModuleServices::ShowError;
  void PlayAlarm(const void* wave) const override { soundPlayer_(wave); }

  // For tests: replace the loader or the error display; returns the old one.
  Loader SetLoader(Loader loader);
  ErrorDisplay SetErrorDisplay(ErrorDisplay display);
  SoundPlayer SetSoundPlayer(SoundPlayer player);
  // For tests of the static library: back to the state at load (releases a
  // loaded resource module through the current loader).
  void ResetForTest();

 private:
  HMODULE self_ = nullptr;
  LONG initCount_ = 0;
  HMODULE resourceModule_ = nullptr;
  bool redirected_ = false;
  bridge::TBizFormBase* topologyWindow_ = nullptr;
  std::weak_ptr<void> topologyWindowAlive_;
  HWND applicationWindow_ = nullptr;
  Loader loader_;
  ErrorDisplay errorDisplay_;
  SoundPlayer soundPlayer_;
};

// The one module state of this module.
TModuleState& Module();

}  // namespace topo::plugin
