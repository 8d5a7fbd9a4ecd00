// What a window needs from the module that made it: where layouts and strings
// come from, the module itself (for the sounds), the host's top-level window,
// the error display and the sound player. Windows receive it when they are made and never
// reach for the module's global state, so the layers below the plug-in's top
// do not depend on it and a test can hand a window its own.
#pragma once

#include <windows.h>

#include <string>

namespace topo::bridge {

class ModuleServices {
 public:
  // The module that answers layout and string lookups: the resource file
  // while one is loaded, else the plug-in itself.
  virtual HMODULE ResourceSource() const = 0;
  // The module this code lives in (topo.dll, or a test executable).
  virtual HMODULE Self() const = 0;
  // The host's top-level window, adopted by the first attach; null before.
  virtual HWND ApplicationWindow() const = 0;
  virtual void AdoptApplicationWindow(HWND topLevel) = 0;
  // Shows text in a plain message box owned by the application window (or by
  // fallbackOwner's top-level window while there is none yet).
  virtual void ShowError(const std::wstring& text, HWND fallbackOwner = nullptr) const = 0;
  void ShowError(const char* cp936Text, HWND fallbackOwner = nullptr) const;
  // A string of the table: the resource file's, or the plug-in's own where a
  // resource file made before that text lacks it; empty when neither has it.
  std::wstring Text(UINT id) const;
  // Plays an alarm sound (a whole RIFF WAVE image in memory) without waiting
  // and without cutting off one already playing; null stops what plays.
  virtual void PlayAlarm(const void* wave) const = 0;

 protected:
  ~ModuleServices() = default;
};

}  // namespace topo::bridge
