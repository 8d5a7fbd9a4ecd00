// The named services the host frame hands out through IAppFrame::GetService,
// and the per-user data folder behind "PersonalData" (PersonalDataFile.h)
// and "MemConfig".
#pragma once

#include <map>
#include <string>
#include <vector>

#include "abi/HostInterfaces.h"
#include "host/ComObject.h"
#include "host/PersonalDataFile.h"
#include "win32/Variant.h"
#include "win32/Win32FileStore.h"

namespace arhost {

class DataContainer : public ComObject<DataContainer, topo::host::IDataContainer> {
 public:
  // persistPath: file that holds the values across runs; empty keeps them in
  // memory. hook: told of each step of every save (the crash tests stop there).
  explicit DataContainer(std::wstring persistPath = {}, topo::win32::FileStepHook hook = {});
  static const IID& Iid() { return topo::host::IID_IDataContainer; }

  HRESULT STDMETHODCALLTYPE GetValue(BSTR name, VARIANT* value) override;
  HRESULT STDMETHODCALLTYPE SetValue(BSTR name, VARIANT value) override;

  // A value that cannot be saved is not kept either: the caller is told the
  // write failed and the container still holds what its file holds.
  // For the host itself (login data), bypassing COM.
  void Put(const std::wstring& name, topo::win32::Variant value);

 private:
  bool Save() const;
  ValueMap values_;
  std::wstring path_;
  topo::win32::FileStepHook hook_;
};

class MemConfig : public ComObject<MemConfig, topo::host::IMemConfig> {
 public:
  explicit MemConfig(std::wstring personalDataDir) : dir_(std::move(personalDataDir)) {}
  static const IID& Iid() { return topo::host::IID_IMemConfig; }
  HRESULT STDMETHODCALLTYPE GetValue(BSTR name, VARIANT* value) override;

 private:
  std::wstring dir_;
};

class AppFrame : public ComObject<AppFrame, topo::host::IAppFrame> {
 public:
  static const IID& Iid() { return topo::host::IID_IAppFrame; }
  void Register(const std::wstring& name, topo::win32::ComPtr<IUnknown> service);
  HRESULT STDMETHODCALLTYPE GetService(BSTR name, IUnknown** service) override;
  const std::vector<std::wstring>& Asked() const { return asked_; }

 private:
  std::map<std::wstring, topo::win32::ComPtr<IUnknown>> services_;
  std::vector<std::wstring> asked_;
};

// The per-user data folder, created if missing, always ending in "\":
// `requested` when given, else %APPDATA%\arhost\. Empty when it cannot be made.
std::wstring PrepareDataDir(const std::wstring& requested);

}  // namespace arhost
