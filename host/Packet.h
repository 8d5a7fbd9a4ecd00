// The simulated host's packet: what its packer builds, its ARCom carries and
// its unpacker reads. The plug-in never looks inside; it only moves the
// VARIANT from GetPacket to SendPacket and from ReceiveAnswer to Open.
//
// Inside the VARIANT (VT_ARRAY | VT_UI1, a one-dimensional SAFEARRAY of bytes)
// the packet is little-endian binary:
//   "ARPK"            4 bytes, magic
//   version           1 byte, 1
//   return code       int32
//   field count F     uint32, then F strings (the column names)
//   row count R       uint32, then R rows
//   row               uint32 value count V, then V values
//   value             1 byte tag: 0 empty, 1 int32 (4 bytes), 2 string
//   string            uint32 length in UTF-16 units, then the units
// Nothing may follow the last row. Rows may be shorter than F (a request
// packed without field names has one row and no fields).
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <variant>
#include <vector>

namespace arhost {

using Value = std::variant<std::monostate, int32_t, std::wstring>;

struct Packet {
  int32_t returnCode = 0;
  std::vector<std::wstring> fields;
  std::vector<std::vector<Value>> rows;

  bool operator==(const Packet& o) const {
    return returnCode == o.returnCode && fields == o.fields && rows == o.rows;
  }
};

std::vector<uint8_t> EncodePacket(const Packet& packet);
// Empty for anything that is not exactly one well-formed packet.
std::optional<Packet> DecodePacket(const uint8_t* data, size_t size);

// An answer that carries only a message: field "error_info", one row.
Packet MessageAnswer(int32_t returnCode, const std::wstring& text);
// A value as the log and the tables show it.
std::wstring ValueText(const Value& value);

}  // namespace arhost
