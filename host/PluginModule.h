// The plug-in DLL as a host loads it: by path, through its four stdcall
// exports found by name. The module is freed only when this object goes, so
// the host keeps it until every window and COM object of the plug-in is gone.
#pragma once

#include <oaidl.h>
#include <windows.h>

#include <string>

namespace arhost {

class PluginModule {
 public:
  PluginModule() = default;
  PluginModule(const PluginModule&) = delete;
  PluginModule& operator=(const PluginModule&) = delete;
  ~PluginModule();

  // False, with *error saying why, when the DLL does not load or lacks an export.
  bool Load(const std::wstring& path, std::wstring* error);
  // What BizGetDevInfo reports: the device text and its two numbers.
  std::wstring DeviceInfo() const;
  // BizInit; the resource path travels as code page 936 bytes, empty for none.
  void Init(const std::wstring& resource, IUnknown* appFrame) const;
  HWND Entry(int function, HWND parent, HWND frame, IUnknown* appFrame, int show) const;
  void Uninit() const;

 private:
  using BizGetDevInfoFn = void(__stdcall*)(char*, int*, int*);
  using BizInitFn = void(__stdcall*)(int, const char*, IUnknown*, int);
  using BizUninitFn = void(__stdcall*)();
  using BizEntryFn = HWND(__stdcall*)(int, HWND, HWND, IUnknown*, int);

  HMODULE module_ = nullptr;
  BizGetDevInfoFn devInfo_ = nullptr;
  BizInitFn init_ = nullptr;
  BizUninitFn uninit_ = nullptr;
  BizEntryFn entry_ = nullptr;
};

}  // namespace arhost
