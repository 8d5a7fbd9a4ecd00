// The module state behind the four exports: the BizInit count, the resource
// module, the window BizEntry made last, and the application window that owns
// the plug-in's message boxes. One copy per loaded module; the exports in
// dll/Exports.cpp are thin guarded wrappers around the functions here.
#pragma once

#include <unknwn.h>
#include <windows.h>

#include <functional>
#include <memory>
#include <string>

namespace topo::plugin {

class TBizFormBase;

inline constexpr int kTopologyFunction = 3101;

class TModuleState {
 public:
  // How the resource file is loaded and released; replaceable so tests can
  // count loads and releases.
  struct Loader {
    std::function<HMODULE(const char* path)> load;
    std::function<void(HMODULE module)> release;
  };
  // Shows an error text to the operator (owner may be 0).
  using ErrorDisplay = std::function<void(HWND owner, const std::wstring& text)>;

  TModuleState();
  TModuleState(const TModuleState&) = delete;
  TModuleState& operator=(const TModuleState&) = delete;

  void Init(const char* resourcePath);
  void Uninit();
  LONG InitCount() const { return initCount_; }
  HMODULE ResourceModule() const { return resourceModule_; }
  // Where layouts and strings are looked up.
  HMODULE ResourceSource() const { return redirected_ ? resourceModule_ : self_; }
  // The module this code lives in (topo.dll, or a test executable).
  HMODULE Self() const { return self_; }

  // The window the last creating BizEntry call made. The reference outlives
  // the window; TopologyWindow() is null once the window is destroyed.
  void SetTopologyWindow(TBizFormBase* window);
  TBizFormBase* TopologyWindow() const;

  // The process's application window: set once, by the first attach.
  HWND ApplicationWindow() const { return applicationWindow_; }
  void AdoptApplicationWindow(HWND topLevel);

  // Shows text in a plain message box owned by the application window (or by
  // fallbackOwner while there is none yet).
  void ShowError(const std::wstring& text, HWND fallbackOwner = nullptr) const;
  void ShowError(const char* cp936Text, HWND fallbackOwner = nullptr) const;

  // For tests: replace the loader or the error display; returns the old one.
  Loader SetLoader(Loader loader);
  ErrorDisplay SetErrorDisplay(ErrorDisplay display);
  // For tests of the static library: back to the state at load (releases a
  // loaded resource module through the current loader).
  void ResetForTest();

 private:
  HMODULE self_ = nullptr;
  LONG initCount_ = 0;
  HMODULE resourceModule_ = nullptr;
  bool redirected_ = false;
  TBizFormBase* topologyWindow_ = nullptr;
  std::weak_ptr<void> topologyWindowAlive_;
  HWND applicationWindow_ = nullptr;
  Loader loader_;
  ErrorDisplay errorDisplay_;
};

// The one module state of this module.
TModuleState& Module();

// Creates the window that BizEntry(3101) embeds. Throws on failure.
std::unique_ptr<TBizFormBase> CreateTopologyWindow();

// BizEntry without the exception guard: lets failures out as exceptions.
HWND EntryUnguarded(TModuleState& module, int functionNo, HWND parentWindow, HWND notifyWindow,
                    IUnknown* host, int showExisting);

// BizEntry's body with the boundary guard: any exception is shown to the
// operator and gives 0.
HWND GuardedEntry(TModuleState& module, int functionNo, HWND parentWindow, HWND notifyWindow,
                  IUnknown* host, int showExisting) noexcept;

// Runs body; an exception that escapes it is shown to the operator instead of
// crossing the boundary. Returns false when that happened.
bool RunGuarded(const std::function<void()>& body, HWND fallbackOwner = nullptr) noexcept;

// The identification the host asks for: "Delphi" with its zero, 327680, 393234.
void GetDevInfo(char* buffer, int* info1, int* info2) noexcept;

}  // namespace topo::plugin
