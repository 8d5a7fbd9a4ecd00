// The packer and unpacker classes, registered in this process for the
// lifetime of the object, so that CoCreateInstance in the plug-in finds them
// as it would find a real host's.
#pragma once

#include <windows.h>

namespace arhost {

class PacketClassRegistration {
 public:
  PacketClassRegistration();
  PacketClassRegistration(const PacketClassRegistration&) = delete;
  PacketClassRegistration& operator=(const PacketClassRegistration&) = delete;
  ~PacketClassRegistration();
  HRESULT Result() const { return result_; }

 private:
  DWORD packerCookie_ = 0;
  DWORD unpackerCookie_ = 0;
  HRESULT result_ = E_FAIL;
};

}  // namespace arhost
