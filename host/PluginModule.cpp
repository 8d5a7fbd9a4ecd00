// Loading the plug-in and calling its exports. Every export is looked up
// before any is called, so a DLL that lacks one is refused before it runs.
#include "host/PluginModule.h"

#include "win32/Cp936.h"

namespace arhost {

namespace {

// GetProcAddress gives a FARPROC; going through void* says the cast is meant.
template <class Function>
Function Export(HMODULE module, const char* name) {
  return reinterpret_cast<Function>(reinterpret_cast<void*>(GetProcAddress(module, name)));
}

}  // namespace

PluginModule::~PluginModule() {
  if (module_) FreeLibrary(module_);
}

bool PluginModule::Load(const std::wstring& path, std::wstring* error) {
  module_ = LoadLibraryW(path.c_str());
  if (!module_) {
    *error = L"cannot load " + path + L" (error " + std::to_wstring(GetLastError()) + L")";
    return false;
  }
  init_ = Export<BizInitFn>(module_, "BizInit");
  uninit_ = Export<BizUninitFn>(module_, "BizUninit");
  entry_ = Export<BizEntryFn>(module_, "BizEntry");
  devInfo_ = Export<BizGetDevInfoFn>(module_, "BizGetDevInfo");
  if (!init_ || !uninit_ || !entry_ || !devInfo_) {
    *error = path + L" lacks one of BizInit, BizUninit, BizEntry, BizGetDevInfo";
    return false;
  }
  return true;
}

std::wstring PluginModule::DeviceInfo() const {
  char dev[64] = {};
  int info1 = 0, info2 = 0;
  devInfo_(dev, &info1, &info2);
  return L"\"" + topo::win32::WideFromUtf8(dev) + L"\" " + std::to_wstring(info1) + L" " +
         std::to_wstring(info2);
}

void PluginModule::Init(const std::wstring& resource, IUnknown* appFrame) const {
  const std::string bytes = topo::win32::Cp936FromWide(resource);
  init_(0, bytes.c_str(), appFrame, 0);
}

HWND PluginModule::Entry(int function, HWND parent, HWND frame, IUnknown* appFrame,
                         int show) const {
  return entry_(function, parent, frame, appFrame, show);
}

void PluginModule::Uninit() const { uninit_(); }

}  // namespace arhost
