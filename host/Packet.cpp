// The packet's byte form. The decoder trusts no length: every count is
// checked against the bytes that are left before anything is allocated.
#include "host/Packet.h"

namespace arhost {

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

}  // namespace arhost
