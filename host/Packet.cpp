// Encoding of the host's packet, and the packer, unpacker and field COM
// objects over it. The decoder trusts no length: every count is checked
// against the bytes that are left before anything is allocated.
#include "Packet.h"

#include <algorithm>
#include <cstring>
#include <cwchar>

#include "ComObject.h"
#include "win32/Variant.h"

namespace arhost {

using topo::win32::ComPtr;
namespace host = topo::host;

namespace {

constexpr uint8_t kMagic[4] = {'A', 'R', 'P', 'K'};
constexpr uint8_t kVersion = 1;
enum Tag : uint8_t { kEmpty = 0, kInt = 1, kString = 2 };

class Writer {
 public:
  void U8(uint8_t v) { bytes.push_back(v); }
  void U32(uint32_t v) {
    for (int i = 0; i < 4; ++i) bytes.push_back(static_cast<uint8_t>(v >> (8 * i)));
  }
  void Str(const std::wstring& s) {
    U32(static_cast<uint32_t>(s.size()));
    for (wchar_t c : s) {
      bytes.push_back(static_cast<uint8_t>(c & 0xFF));
      bytes.push_back(static_cast<uint8_t>((c >> 8) & 0xFF));
    }
  }
  std::vector<uint8_t> bytes;
};

class Reader {
 public:
  Reader(const uint8_t* data, size_t size) : p_(data), left_(size) {}
  bool U8(uint8_t* v) {
    if (left_ < 1) return false;
    *v = *p_++;
    --left_;
    return true;
  }
  bool U32(uint32_t* v) {
    if (left_ < 4) return false;
    *v = uint32_t(p_[0]) | uint32_t(p_[1]) << 8 | uint32_t(p_[2]) << 16 | uint32_t(p_[3]) << 24;
    p_ += 4;
    left_ -= 4;
    return true;
  }
  bool Str(std::wstring* s) {
    uint32_t n = 0;
    if (!U32(&n) || n > left_ / 2) return false;
    s->resize(n);
    for (uint32_t i = 0; i < n; ++i) (*s)[i] = static_cast<wchar_t>(p_[2 * i] | p_[2 * i + 1] << 8);
    p_ += 2 * size_t(n);
    left_ -= 2 * size_t(n);
    return true;
  }
  bool Bytes(const uint8_t* expected, size_t n) {
    if (left_ < n) return false;
    for (size_t i = 0; i < n; ++i)
      if (p_[i] != expected[i]) return false;
    p_ += n;
    left_ -= n;
    return true;
  }
  // A count of items that take at least min_bytes each cannot exceed what is left.
  bool Count(uint32_t* n, size_t min_bytes) { return U32(n) && *n <= left_ / min_bytes; }
  size_t Left() const { return left_; }

 private:
  const uint8_t* p_;
  size_t left_;
};

void WriteValue(Writer& w, const Value& v) {
  if (auto i = std::get_if<int32_t>(&v)) {
    w.U8(kInt);
    w.U32(static_cast<uint32_t>(*i));
  } else if (auto s = std::get_if<std::wstring>(&v)) {
    w.U8(kString);
    w.Str(*s);
  } else {
    w.U8(kEmpty);
  }
}

bool ReadValue(Reader& r, Value* v) {
  uint8_t tag = 0;
  if (!r.U8(&tag)) return false;
  switch (tag) {
    case kEmpty:
      *v = std::monostate{};
      return true;
    case kInt: {
      uint32_t u = 0;
      if (!r.U32(&u)) return false;
      *v = static_cast<int32_t>(u);
      return true;
    }
    case kString: {
      std::wstring s;
      if (!r.Str(&s)) return false;
      *v = std::move(s);
      return true;
    }
    default:
      return false;
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

// The field object: a snapshot of one cell, so it stays valid whatever the
// unpacker does next.
class Field : public ComObject<Field, host::IUnpackerField> {
 public:
  Field(std::wstring name, Value value) : name_(std::move(name)), value_(std::move(value)) {}
  static const IID& Iid() { return IID_IDispatch; }

  HRESULT STDMETHODCALLTYPE GetName(BSTR* name) override {
    if (!name) return E_POINTER;
    *name = SysAllocStringLen(name_.data(), static_cast<UINT>(name_.size()));
    return *name ? S_OK : E_OUTOFMEMORY;
  }
  ARHOST_RESERVED(8)
  ARHOST_RESERVED(9)
  ARHOST_RESERVED(10)
  HRESULT STDMETHODCALLTYPE GetValue(VARIANT* value) override {
    if (!value) return E_POINTER;
    return ValueToVariant(value_, value);
  }

 private:
  std::wstring name_;
  Value value_;
};

class Packer : public ComObject<Packer, host::IPackerDisp> {
 public:
  static const IID& Iid() { return host::IID_IPackerDisp; }

  HRESULT STDMETHODCALLTYPE BeginPack() override {
    fields_.clear();
    values_.clear();
    state_ = State::kPacking;
    return S_OK;
  }
  ARHOST_RESERVED(8)
  ARHOST_RESERVED(9)
  ARHOST_RESERVED(10)
  ARHOST_RESERVED(11)
  // Names come before the values: a name declared after values have been
  // added would shift every column of the rows already packed.
  HRESULT STDMETHODCALLTYPE AddField(BSTR name) override {
    return Guard([&]() -> HRESULT {
      if (state_ != State::kPacking || !values_.empty()) return E_UNEXPECTED;
      fields_.emplace_back(name ? std::wstring(name, SysStringLen(name)) : std::wstring());
      return S_OK;
    });
  }
  ARHOST_RESERVED(13)
  ARHOST_RESERVED(14)
  ARHOST_RESERVED(15)
  ARHOST_RESERVED(16)
  HRESULT STDMETHODCALLTYPE AddValue(VARIANT value) override {
    return Guard([&]() -> HRESULT {
      if (state_ != State::kPacking) return E_UNEXPECTED;
      Value v;
      HRESULT hr = ValueFromVariant(value, &v);
      if (FAILED(hr)) return hr;
      values_.push_back(std::move(v));
      return S_OK;
    });
  }
  HRESULT STDMETHODCALLTYPE EndPack() override {
    return Guard([&]() -> HRESULT {
      if (state_ != State::kPacking) return E_UNEXPECTED;
      packet_ = Packet{};
      packet_.fields = fields_;
      size_t width = fields_.empty() ? values_.size() : fields_.size();
      for (size_t i = 0; i < values_.size(); i += width)
        packet_.rows.emplace_back(values_.begin() + i,
                                  values_.begin() + std::min(values_.size(), i + width));
      state_ = State::kDone;
      return S_OK;
    });
  }
  ARHOST_RESERVED(19)
  HRESULT STDMETHODCALLTYPE GetPacket(VARIANT* packet) override {
    return Guard([&]() -> HRESULT {
      if (!packet) return E_POINTER;
      if (state_ != State::kDone) return E_UNEXPECTED;
      return PacketToVariant(packet_, packet);
    });
  }

 private:
  enum class State { kIdle, kPacking, kDone };
  State state_ = State::kIdle;
  std::vector<std::wstring> fields_;
  std::vector<Value> values_;
  Packet packet_;
};

class Unpacker : public ComObject<Unpacker, host::IUnpackerDisp> {
 public:
  static const IID& Iid() { return host::IID_IUnpackerDisp; }

  HRESULT STDMETHODCALLTYPE Open(VARIANT packet) override {
    return Guard([&]() -> HRESULT {
      Packet p;
      HRESULT hr = PacketFromVariant(packet, &p);
      packet_ = SUCCEEDED(hr) ? std::move(p) : Packet{};
      opened_ = SUCCEEDED(hr);
      row_ = 0;
      return hr;
    });
  }
  ARHOST_RESERVED(8)
  ARHOST_RESERVED(9)
  ARHOST_RESERVED(10)
  ARHOST_RESERVED(11)
  ARHOST_RESERVED(12)
  HRESULT STDMETHODCALLTYPE GetFieldCount(LONG* count) override {
    if (!count) return E_POINTER;
    *count = static_cast<LONG>(packet_.fields.size());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetRowCount(LONG* count) override {
    if (!count) return E_POINTER;
    *count = static_cast<LONG>(packet_.rows.size());
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetReturnCode(LONG* code) override {
    if (!code) return E_POINTER;
    *code = packet_.returnCode;
    return S_OK;
  }
  ARHOST_RESERVED(16)
  // Past the last row a field still has its name (a table with no rows still
  // shows its column names); its value is then empty.
  HRESULT STDMETHODCALLTYPE GetField(VARIANT key, IDispatch** field) override {
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
  ARHOST_RESERVED(18)
  ARHOST_RESERVED(19)
  HRESULT STDMETHODCALLTYPE First() override {
    row_ = 0;
    return S_OK;
  }
  ARHOST_RESERVED(21)
  HRESULT STDMETHODCALLTYPE Next() override {
    if (row_ < packet_.rows.size()) ++row_;
    return S_OK;
  }
  ARHOST_RESERVED(23)
  ARHOST_RESERVED(24)
  HRESULT STDMETHODCALLTYPE GetEof(VARIANT_BOOL* eof) override {
    if (!eof) return E_POINTER;
    *eof = row_ >= packet_.rows.size() ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
  }

 private:
  HRESULT FieldIndex(const VARIANT& key, size_t* index) const {
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

  Packet packet_;
  bool opened_ = false;
  size_t row_ = 0;
};

}  // namespace

std::vector<uint8_t> EncodePacket(const Packet& packet) {
  Writer w;
  for (uint8_t b : kMagic) w.U8(b);
  w.U8(kVersion);
  w.U32(static_cast<uint32_t>(packet.returnCode));
  w.U32(static_cast<uint32_t>(packet.fields.size()));
  for (const auto& f : packet.fields) w.Str(f);
  w.U32(static_cast<uint32_t>(packet.rows.size()));
  for (const auto& row : packet.rows) {
    w.U32(static_cast<uint32_t>(row.size()));
    for (const auto& v : row) WriteValue(w, v);
  }
  return std::move(w.bytes);
}

std::optional<Packet> DecodePacket(const uint8_t* data, size_t size) {
  if (!data && size) return std::nullopt;
  Reader r(data, size);
  Packet p;
  uint8_t version = 0;
  uint32_t code = 0, fields = 0, rows = 0;
  if (!r.Bytes(kMagic, 4) || !r.U8(&version) || version != kVersion || !r.U32(&code))
    return std::nullopt;
  p.returnCode = static_cast<int32_t>(code);
  if (!r.Count(&fields, 4)) return std::nullopt;
  p.fields.resize(fields);
  for (auto& f : p.fields)
    if (!r.Str(&f)) return std::nullopt;
  if (!r.Count(&rows, 4)) return std::nullopt;
  p.rows.resize(rows);
  for (auto& row : p.rows) {
    uint32_t n = 0;
    if (!r.Count(&n, 1)) return std::nullopt;
    row.resize(n);
    for (auto& v : row)
      if (!ReadValue(r, &v)) return std::nullopt;
  }
  if (r.Left() != 0) return std::nullopt;
  return p;
}

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

Packet MessageAnswer(int32_t returnCode, const std::wstring& text) {
  Packet p;
  p.returnCode = returnCode;
  p.fields = {L"error_info"};
  p.rows = {{Value(text)}};
  return p;
}

std::wstring ValueText(const Value& value) {
  if (auto i = std::get_if<int32_t>(&value)) return std::to_wstring(*i);
  if (auto s = std::get_if<std::wstring>(&value)) return *s;
  return {};
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

ComPtr<host::IPackerDisp> CreatePacker() { return Packer::Create(); }
ComPtr<host::IUnpackerDisp> CreateUnpacker() { return Unpacker::Create(); }

PacketClassRegistration::PacketClassRegistration() {
  auto packer = ClassFactory<Packer>::Create();
  auto unpacker = ClassFactory<Unpacker>::Create();
  result_ = CoRegisterClassObject(host::CLSID_Packer, packer.Get(), CLSCTX_INPROC_SERVER,
                                  REGCLS_MULTIPLEUSE, &packerCookie_);
  if (SUCCEEDED(result_))
    result_ = CoRegisterClassObject(host::CLSID_Unpacker, unpacker.Get(), CLSCTX_INPROC_SERVER,
                                    REGCLS_MULTIPLEUSE, &unpackerCookie_);
}

PacketClassRegistration::~PacketClassRegistration() {
  if (packerCookie_) CoRevokeClassObject(packerCookie_);
  if (unpackerCookie_) CoRevokeClassObject(unpackerCookie_);
}

}  // namespace arhost
