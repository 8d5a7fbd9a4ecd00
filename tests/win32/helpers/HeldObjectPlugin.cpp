// A plug-in that leaves one object of its own with the host: its window's
// creation stores the object in TempData. The host has to release it before
// it frees this module, or the release jumps into unmapped code and the host
// dies. The final release writes the file that TOPO_HELD_OBJECT_MARK names.
#include <windows.h>

#include "abi/HostInterfaces.h"
#include "win32/BStr.h"
#include "win32/ComPtr.h"

namespace {

using topo::win32::ComPtr;

class HeldObject : public IUnknown {
 public:
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = IsEqualIID(iid, IID_IUnknown) ? this : nullptr;
    if (!*out) return E_NOINTERFACE;
    AddRef();
    return S_OK;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++refs_); }
  ULONG STDMETHODCALLTYPE Release() override {
    if (--refs_ == 0) Mark();
    return static_cast<ULONG>(refs_);
  }

 private:
  static void Mark() {
    wchar_t path[MAX_PATH] = {};
    if (!GetEnvironmentVariableW(L"TOPO_HELD_OBJECT_MARK", path, MAX_PATH)) return;
    HANDLE file = CreateFileW(path, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, 0, nullptr);
    if (file != INVALID_HANDLE_VALUE) CloseHandle(file);
  }
  long refs_ = 0;
};

HeldObject held;  // module state: the object's code is this module's

}  // namespace

extern "C" {

__declspec(dllexport) void __stdcall BizGetDevInfo(char* buffer, int* info1, int* info2) {
  lstrcpyA(buffer, "held object");
  *info1 = *info2 = 0;
}

__declspec(dllexport) void __stdcall BizInit(int, const char*, IUnknown*, int) {}

__declspec(dllexport) void __stdcall BizUninit() {}

__declspec(dllexport) HWND __stdcall BizEntry(int, HWND parent, HWND, IUnknown* host, int show) {
  if (show || !host) return nullptr;
  ComPtr<topo::host::IAppFrame> frame;
  ComPtr<IUnknown> service;
  ComPtr<topo::host::IDataContainer> temp;
  topo::win32::BStr name(L"TempData"), key(L"HeldObject");
  if (SUCCEEDED(host->QueryInterface(topo::host::IID_IAppFrame, frame.PutVoid())) &&
      SUCCEEDED(frame->GetService(name.Get(), service.Put())) &&
      SUCCEEDED(service->QueryInterface(topo::host::IID_IDataContainer, temp.PutVoid()))) {
    VARIANT value;
    value.vt = VT_UNKNOWN;
    value.punkVal = &held;  // lent: the container takes its own reference
    temp->SetValue(key.Get(), value);
  }
  return CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 100, 100, parent, nullptr,
                         nullptr, nullptr);
}

}  // extern "C"
