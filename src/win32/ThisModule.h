// The module this code is linked into: topo.dll in the plug-in, the test
// executable in the Wine tests. Window classes are registered under it, so a
// plug-in never collides with, or depends on, the host's own classes.
#pragma once

#include <windows.h>

namespace topo::win32 {

inline HMODULE ThisModule() {
  static const char anchor = 0;
  HMODULE module = nullptr;
  GetModuleHandleExW(
      GET_MODULE_HANDLE_EX_FLAG_FROM_ADDRESS | GET_MODULE_HANDLE_EX_FLAG_UNCHANGED_REFCOUNT,
      reinterpret_cast<LPCWSTR>(&anchor), &module);
  return module;
}

}  // namespace topo::win32
