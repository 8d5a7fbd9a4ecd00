// The packet and its values as the VARIANTs that cross the host's COM
// interfaces: a packet is a byte array, a value an integer or a string.
#pragma once

#include <oaidl.h>
#include <windows.h>

#include <vector>

#include "host/Packet.h"

namespace arhost {

// PacketFromVariant accepts the byte array directly or by reference.
HRESULT PacketToVariant(const Packet& packet, VARIANT* out);
// The VARIANT form of a packet already encoded by EncodePacket.
HRESULT EncodedPacketToVariant(const std::vector<uint8_t>& bytes, VARIANT* out);
HRESULT PacketFromVariant(const VARIANT& in, Packet* out);

// A VARIANT argument as a packet value: integers of any width become int32,
// strings stay strings; other kinds are refused.
HRESULT ValueFromVariant(const VARIANT& in, Value* out);
// VT_I4, VT_BSTR, or VT_EMPTY for an empty value.
HRESULT ValueToVariant(const Value& value, VARIANT* out);

}  // namespace arhost
