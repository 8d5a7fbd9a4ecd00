// The unpacker over a decoded packet, and the field objects it hands out. A
// field is a snapshot of one cell, so it stays valid whatever the unpacker
// does next.
#include "host/Unpacker.h"

#include <cwchar>
#include <string>

#include "host/PacketVariant.h"
#include "win32/Variant.h"

namespace arhost {

namespace {

class Field : public ComObject<Field, topo::host::IUnpackerField> {
 public:
  Field(std::wstring name, Value value) : name_(std::move(name)), value_(std::move(value)) {}
  static const IID& Iid() { return IID_IDispatch; }

  HRESULT STDMETHODCALLTYPE GetName(BSTR* name) override {
    if (!name) return E_POINTER;
    *name = SysAllocStringLen(name_.data(), static_cast<UINT>(name_.size()));
    return *name ? S_OK : E_OUTOFMEMORY;
  }
  HRESULT STDMETHODCALLTYPE GetValue(VARIANT* value) override {
    if (!value) return E_POINTER;
    return ValueToVariant(value_, value);
  }

 private:
  std::wstring name_;
  Value value_;
};

}  // namespace

HRESULT Unpacker::Open(VARIANT packet) {
  return Guard([&]() -> HRESULT {
    Packet p;
    HRESULT hr = PacketFromVariant(packet, &p);
    packet_ = SUCCEEDED(hr) ? std::move(p) : Packet{};
    opened_ = SUCCEEDED(hr);
    row_ = 0;
    return hr;
  });
}

HRESULT Unpacker::GetFieldCount(LONG* count) {
  if (!count) return E_POINTER;
  *count = static_cast<LONG>(packet_.fields.size());
  return S_OK;
}

HRESULT Unpacker::GetRowCount(LONG* count) {
  if (!count) return E_POINTER;
  *count = static_cast<LONG>(packet_.rows.size());
  return S_OK;
}

HRESULT Unpacker::GetReturnCode(LONG* code) {
  if (!code) return E_POINTER;
  *code = packet_.returnCode;
  return S_OK;
}

HRESULT Unpacker::GetField(VARIANT key, IDispatch** field) {
  return Guard([&]() -> HRESULT {
    if (!field) return E_POINTER;
    *field = nullptr;
    if (!opened_) return E_UNEXPECTED;
    size_t index = 0;
    HRESULT hr = FieldIndex(key, &index);
    if (FAILED(hr)) return hr;
    Value v;
    if (row_ < packet_.rows.size() && index < packet_.rows[row_].size())
      v = packet_.rows[row_][index];
    *field = Field::Create(packet_.fields[index], std::move(v)).Detach();
    return S_OK;
  });
}

HRESULT Unpacker::First() {
  row_ = 0;
  return S_OK;
}

HRESULT Unpacker::Next() {
  if (row_ < packet_.rows.size()) ++row_;
  return S_OK;
}

HRESULT Unpacker::GetEof(VARIANT_BOOL* eof) {
  if (!eof) return E_POINTER;
  *eof = row_ >= packet_.rows.size() ? VARIANT_TRUE : VARIANT_FALSE;
  return S_OK;
}

HRESULT Unpacker::FieldIndex(const VARIANT& key, size_t* index) const {
  topo::win32::Variant k;
  HRESULT hr = VariantCopyInd(k.Put(), const_cast<VARIANT*>(&key));
  if (FAILED(hr)) return hr;
  if (k.Type() == VT_BSTR) {
    BSTR name = k.Get().bstrVal;
    std::wstring wanted(name ? name : L"", name ? SysStringLen(name) : 0);
    for (size_t i = 0; i < packet_.fields.size(); ++i)
      if (packet_.fields[i] == wanted) return *index = i, S_OK;
    for (size_t i = 0; i < packet_.fields.size(); ++i)
      if (_wcsicmp(packet_.fields[i].c_str(), wanted.c_str()) == 0) return *index = i, S_OK;
    return DISP_E_UNKNOWNNAME;
  }
  topo::win32::Variant number;
  hr = VariantChangeType(number.Put(), const_cast<VARIANT*>(&k.Get()), 0, VT_I4);
  if (FAILED(hr)) return DISP_E_TYPEMISMATCH;
  LONG i = number.Get().lVal;
  if (i < 0 || static_cast<size_t>(i) >= packet_.fields.size()) return DISP_E_BADINDEX;
  *index = static_cast<size_t>(i);
  return S_OK;
}

topo::win32::ComPtr<topo::host::IUnpackerDisp> CreateUnpacker() { return Unpacker::Create(); }

}  // namespace arhost
