// The four functions a host calls, exported by undecorated name (the link
// uses --kill-at). Nothing may throw past them: a C++ exception crossing into
// the host is undefined behaviour and ends the host, so each body is guarded.
#include <windows.h>

#include "plugin/EntryPoints.h"
#include "ui/WindowClasses.h"
#include "win32/ComPtr.h"

using topo::plugin::Module;

extern "C" {

// On FreeLibrary (reserved is null) the window classes go with the module. At
// process exit (reserved set) Windows discards them anyway, and the DLLs the
// call would need may already be gone.
BOOL WINAPI DllMain(HINSTANCE, DWORD reason, LPVOID reserved) {
  if (reason == DLL_PROCESS_DETACH && !reserved) topo::ui::UnregisterWindowClasses();
  return TRUE;
}

__declspec(dllexport) void __stdcall BizGetDevInfo(char* Buffer, int* Info1, int* Info2) {
  topo::plugin::GetDevInfo(Buffer, Info1, Info2);
}

__declspec(dllexport) void __stdcall BizInit(int, const char* ResourcePath, IUnknown* Host, int) {
  // The host's interface is not used, only held for the duration of the call.
  auto held = topo::win32::ComPtr<IUnknown>::Borrow(Host);
  topo::plugin::RunGuarded([&] { Module().Init(ResourcePath); });
}

__declspec(dllexport) void __stdcall BizUninit() {
  topo::plugin::RunGuarded([] { Module().Uninit(); });
}

__declspec(dllexport) HWND __stdcall BizEntry(int FunctionNo, HWND ParentWindow, HWND NotifyWindow,
                                              IUnknown* Host, int ShowExisting) {
  return topo::plugin::GuardedEntry(Module(), FunctionNo, ParentWindow, NotifyWindow, Host,
                                    ShowExisting);
}

}  // extern "C"
