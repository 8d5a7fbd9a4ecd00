// A resource file or the plug-in loaded as data only, to read its resources
// the way the plug-in does, and freed at the end of the test.
#pragma once

#include <windows.h>

namespace topo::test {

class DataModule {
 public:
  explicit DataModule(const wchar_t* path = L"topo.dll")
      : module_(LoadLibraryExW(path, nullptr, LOAD_LIBRARY_AS_DATAFILE)) {}
  DataModule(const DataModule&) = delete;
  DataModule& operator=(const DataModule&) = delete;
  ~DataModule() {
    if (module_) FreeLibrary(module_);
  }
  HMODULE Get() const { return module_; }

 private:
  HMODULE module_;
};

}  // namespace topo::test
