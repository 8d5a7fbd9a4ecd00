// Data containers, the memory configuration and the service directory of the
// host frame. PersonalData is written through to its file on every change, so
// a host that is killed still keeps what the plug-in stored.
#include "Services.h"

#include <shlobj.h>

#include <cstdio>
#include <stdexcept>

#include "model/TextFields.h"
#include "win32/Cp936.h"

namespace arhost {

using topo::win32::ComPtr;
using topo::win32::Utf8FromWide;
using topo::win32::Variant;
using topo::win32::WideFromUtf8;

namespace {

constexpr char kHeader[] = "# arhost PersonalData 1";

std::string Escape(const std::wstring& text) {
  std::string out;
  for (char c : Utf8FromWide(text)) {
    switch (c) {
      case '\\':
        out += "\\\\";
        break;
      case '\t':
        out += "\\t";
        break;
      case '\n':
        out += "\\n";
        break;
      case '\r':
        out += "\\r";
        break;
      default:
        out += c;
    }
  }
  return out;
}

bool Unescape(const std::string& text, std::wstring* out) {
  std::string raw;
  for (size_t i = 0; i < text.size(); ++i) {
    if (text[i] != '\\') {
      raw += text[i];
      continue;
    }
    if (++i == text.size()) return false;
    switch (text[i]) {
      case '\\':
        raw += '\\';
        break;
      case 't':
        raw += '\t';
        break;
      case 'n':
        raw += '\n';
        break;
      case 'r':
        raw += '\r';
        break;
      default:
        return false;
    }
  }
  *out = WideFromUtf8(raw);
  return true;
}

// The core's integer reader, within a range.
bool ParseLong(const std::string& text, long lo, long hi, long* value) {
  const std::optional<int32_t> v = topo::ParseInt32(text);
  if (!v || *v < lo || *v > hi) return false;
  *value = *v;
  return true;
}

}  // namespace

std::string SerializeValues(const ValueMap& values) {
  std::string out = std::string(kHeader) + "\n";
  for (const auto& [name, value] : values) {
    const VARIANT& v = value.Get();
    std::string line = Escape(name) + "\t";
    if (v.vt == VT_I2) {
      line += "I2\t" + std::to_string(v.iVal);
    } else if (v.vt == VT_I4) {
      line += "I4\t" + std::to_string(v.lVal);
    } else if (v.vt == VT_BSTR) {
      line += "STR\t" + Escape(std::wstring(v.bstrVal ? v.bstrVal : L"", SysStringLen(v.bstrVal)));
    } else {
      Variant text;
      if (v.vt == VT_EMPTY || v.vt == VT_DISPATCH || v.vt == VT_UNKNOWN ||
          FAILED(VariantChangeType(text.Put(), const_cast<VARIANT*>(&v), 0, VT_BSTR)))
        continue;
      BSTR s = text.Get().bstrVal;
      line += "STR\t" + Escape(std::wstring(s ? s : L"", SysStringLen(s)));
    }
    out += line + "\n";
  }
  return out;
}

ValueMap ParseValues(const std::string& text) {
  ValueMap values;
  size_t start = 0;
  while (start < text.size()) {
    size_t end = text.find('\n', start);
    std::string line =
        text.substr(start, end == std::string::npos ? std::string::npos : end - start);
    start = end == std::string::npos ? text.size() : end + 1;
    if (!line.empty() && line.back() == '\r') line.pop_back();
    if (line.empty() || line[0] == '#') continue;
    size_t t1 = line.find('\t');
    size_t t2 = t1 == std::string::npos ? t1 : line.find('\t', t1 + 1);
    if (t2 == std::string::npos) continue;
    std::wstring name;
    if (!Unescape(line.substr(0, t1), &name)) continue;
    std::string type = line.substr(t1 + 1, t2 - t1 - 1);
    std::string raw = line.substr(t2 + 1);
    long n = 0;
    std::wstring s;
    if (type == "I2" && ParseLong(raw, -32768, 32767, &n))
      values.insert_or_assign(name, Variant::Int16(static_cast<SHORT>(n)));
    else if (type == "I4" && ParseLong(raw, LONG_MIN, LONG_MAX, &n))
      values.insert_or_assign(name, Variant::Int32(n));
    else if (type == "STR" && Unescape(raw, &s))
      values.insert_or_assign(name, Variant::String(s));
  }
  return values;
}

DataContainer::DataContainer(std::wstring persistPath, topo::win32::FileStepHook hook)
    : path_(std::move(persistPath)), hook_(std::move(hook)) {
  if (path_.empty()) return;
  if (FILE* f = _wfopen(path_.c_str(), L"rb")) {
    std::string text;
    char buffer[4096];
    for (size_t n; (n = std::fread(buffer, 1, sizeof buffer, f)) > 0;) text.append(buffer, n);
    std::fclose(f);
    values_ = ParseValues(text);
  }
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
