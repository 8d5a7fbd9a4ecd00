// Packets and values in and out of VARIANTs. Whatever the plug-in hands over
// is copied and checked before it is read, so a wrong type is an error code.
#include "host/PacketVariant.h"

#include <cstring>

#include "win32/Variant.h"

namespace arhost {

HRESULT PacketToVariant(const Packet& packet, VARIANT* out) {
  return EncodedPacketToVariant(EncodePacket(packet), out);
}

HRESULT EncodedPacketToVariant(const std::vector<uint8_t>& bytes, VARIANT* out) {
  if (!out) return E_POINTER;
  VariantInit(out);
  SAFEARRAY* array = SafeArrayCreateVector(VT_UI1, 0, static_cast<ULONG>(bytes.size()));
  if (!array) return E_OUTOFMEMORY;
  void* data = nullptr;
  HRESULT hr = SafeArrayAccessData(array, &data);
  if (FAILED(hr)) {
    SafeArrayDestroy(array);
    return hr;
  }
  if (!bytes.empty()) std::memcpy(data, bytes.data(), bytes.size());
  SafeArrayUnaccessData(array);
  out->vt = VT_ARRAY | VT_UI1;
  out->parray = array;
  return S_OK;
}

HRESULT PacketFromVariant(const VARIANT& in, Packet* out) {
  if (!out) return E_POINTER;
  const VARIANT* v = &in;
  if (v->vt == (VT_BYREF | VT_VARIANT)) {
    if (!v->pvarVal) return E_INVALIDARG;
    v = v->pvarVal;
  }
  SAFEARRAY* array = nullptr;
  if (v->vt == (VT_ARRAY | VT_UI1))
    array = v->parray;
  else if (v->vt == (VT_BYREF | VT_ARRAY | VT_UI1) && v->pparray)
    array = *v->pparray;
  else
    return DISP_E_TYPEMISMATCH;
  if (!array || SafeArrayGetDim(array) != 1 || SafeArrayGetElemsize(array) != 1)
    return E_INVALIDARG;
  LONG lower = 0, upper = -1;
  if (FAILED(SafeArrayGetLBound(array, 1, &lower)) || FAILED(SafeArrayGetUBound(array, 1, &upper)))
    return E_INVALIDARG;
  size_t size = upper >= lower ? static_cast<size_t>(upper - lower) + 1 : 0;
  void* data = nullptr;
  HRESULT hr = SafeArrayAccessData(array, &data);
  if (FAILED(hr)) return hr;
  auto packet = DecodePacket(static_cast<const uint8_t*>(data), size);
  SafeArrayUnaccessData(array);
  if (!packet) return E_INVALIDARG;
  *out = std::move(*packet);
  return S_OK;
}

HRESULT ValueFromVariant(const VARIANT& in, Value* out) {
  topo::win32::Variant v;
  HRESULT hr = VariantCopyInd(v.Put(), const_cast<VARIANT*>(&in));
  if (FAILED(hr)) return hr;
  switch (v.Type()) {
    case VT_EMPTY:
    case VT_NULL:
      *out = std::monostate{};
      return S_OK;
    case VT_BSTR: {
      BSTR s = v.Get().bstrVal;
      *out = std::wstring(s ? s : L"", s ? SysStringLen(s) : 0);
      return S_OK;
    }
    case VT_I1:
    case VT_I2:
    case VT_I4:
    case VT_INT:
    case VT_UI1:
    case VT_UI2:
    case VT_UI4:
    case VT_UINT:
    case VT_BOOL: {
      topo::win32::Variant i;
      hr = VariantChangeType(i.Put(), const_cast<VARIANT*>(&v.Get()), 0, VT_I4);
      if (FAILED(hr)) return hr;
      *out = static_cast<int32_t>(i.Get().lVal);
      return S_OK;
    }
    default:
      return DISP_E_TYPEMISMATCH;
  }
}

HRESULT ValueToVariant(const Value& v, VARIANT* out) {
  VariantInit(out);
  if (auto i = std::get_if<int32_t>(&v)) {
    out->vt = VT_I4;
    out->lVal = *i;
  } else if (auto s = std::get_if<std::wstring>(&v)) {
    out->bstrVal = SysAllocStringLen(s->data(), static_cast<UINT>(s->size()));
    if (!out->bstrVal) return E_OUTOFMEMORY;
    out->vt = VT_BSTR;
  }
  return S_OK;
}

}  // namespace arhost
