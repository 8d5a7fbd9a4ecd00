// Data containers, the memory configuration and the service directory of the
// host frame. PersonalData is written through to its file on every change, so
// a host that is killed still keeps what the plug-in stored.
#include "host/Services.h"

#include <shlobj.h>

#include <stdexcept>

#include "host/Files.h"

namespace arhost {

using topo::win32::ComPtr;
using topo::win32::Variant;

DataContainer::DataContainer(std::wstring persistPath, topo::win32::FileStepHook hook)
    : path_(std::move(persistPath)), hook_(std::move(hook)) {
  if (path_.empty()) return;
  if (const std::optional<std::string> text = ReadWholeFile(path_)) values_ = ParseValues(*text);
}

HRESULT DataContainer::GetValue(BSTR name, VARIANT* value) {
  return Guard([&]() -> HRESULT {
    if (!value) return E_POINTER;
    VariantInit(value);
    auto it = values_.find(std::wstring(name ? name : L"", SysStringLen(name)));
    if (it == values_.end()) return S_OK;
    return VariantCopy(value, const_cast<VARIANT*>(&it->second.Get()));
  });
}

HRESULT DataContainer::SetValue(BSTR name, VARIANT value) {
  return Guard([&]() -> HRESULT {
    Variant copy;
    HRESULT hr = VariantCopyInd(copy.Put(), &value);
    if (FAILED(hr)) return hr;
    const std::wstring key(name ? name : L"", SysStringLen(name));
    auto [it, added] = values_.try_emplace(key);
    std::swap(it->second, copy);  // copy now holds the previous value
    if (Save()) return S_OK;
    if (added)
      values_.erase(it);
    else
      std::swap(it->second, copy);
    return STG_E_WRITEFAULT;
  });
}

void DataContainer::Put(const std::wstring& name, Variant value) {
  values_.insert_or_assign(name, std::move(value));
}

bool DataContainer::Save() const {
  if (path_.empty()) return true;
  // Written beside the old file, flushed and moved over it, so a failed write
  // or a host killed part-way never leaves a half file in place of the settings.
  try {
    topo::win32::TemporaryFile file(path_, hook_);
    file.Write(SerializeValues(values_));
    file.MoveOverTarget();
    return true;
  } catch (const std::runtime_error&) {
    return false;
  }
}

HRESULT MemConfig::GetValue(BSTR name, VARIANT* value) {
  return Guard([&]() -> HRESULT {
    if (!value) return E_POINTER;
    VariantInit(value);
    if (std::wstring(name ? name : L"", SysStringLen(name)) == L"PersonalDataDir") {
      value->bstrVal = SysAllocStringLen(dir_.data(), static_cast<UINT>(dir_.size()));
      if (!value->bstrVal) return E_OUTOFMEMORY;
      value->vt = VT_BSTR;
    }
    return S_OK;
  });
}

void AppFrame::Register(const std::wstring& name, ComPtr<IUnknown> service) {
  services_[name] = std::move(service);
}

HRESULT AppFrame::GetService(BSTR name, IUnknown** service) {
  return Guard([&]() -> HRESULT {
    if (!service) return E_POINTER;
    *service = nullptr;
    std::wstring key(name ? name : L"", SysStringLen(name));
    asked_.push_back(key);
    auto it = services_.find(key);
    if (it == services_.end() || !it->second) return HRESULT_FROM_WIN32(ERROR_NOT_FOUND);
    *service = ComPtr<IUnknown>::Borrow(it->second.Get()).Detach();
    return S_OK;
  });
}

std::wstring PrepareDataDir(const std::wstring& requested) {
  std::wstring dir = requested;
  if (dir.empty()) {
    wchar_t appData[MAX_PATH] = {};
    if (FAILED(SHGetFolderPathW(nullptr, CSIDL_APPDATA, nullptr, 0, appData))) return {};
    dir = std::wstring(appData) + L"\\arhost";
  }
  for (auto& c : dir)
    if (c == L'/') c = L'\\';
  while (dir.size() > 3 && dir.back() == L'\\') dir.pop_back();
  wchar_t full[MAX_PATH] = {};
  if (!GetFullPathNameW(dir.c_str(), MAX_PATH, full, nullptr)) return {};
  dir = full;
  int rc = SHCreateDirectoryExW(nullptr, dir.c_str(), nullptr);
  if (rc != ERROR_SUCCESS && rc != ERROR_ALREADY_EXISTS && rc != ERROR_FILE_EXISTS) return {};
  if (dir.back() != L'\\') dir += L'\\';
  return dir;
}

}  // namespace arhost
