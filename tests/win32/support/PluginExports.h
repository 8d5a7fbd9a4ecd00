// The four exports of topo.dll as a host calls them, looked up by their
// undecorated names in a loaded module.
#pragma once

#include <windows.h>

namespace topo::test {

using GetDevInfoFn = void(__stdcall*)(char*, int*, int*);
using InitFn = void(__stdcall*)(int, const char*, IUnknown*, int);
using UninitFn = void(__stdcall*)();
using EntryFn = HWND(__stdcall*)(int, HWND, HWND, IUnknown*, int);

template <class F>
F Export(HMODULE module, const char* name) {
  // Through the generic function pointer type, which any function type casts to.
  return reinterpret_cast<F>(reinterpret_cast<void (*)()>(GetProcAddress(module, name)));
}

}  // namespace topo::test
