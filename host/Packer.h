// The host's packer: the plug-in adds field names, then values, and takes the
// packet to send. Registered in-process (PacketClasses.h) so that the
// plug-in's CoCreateInstance finds it.
#pragma once

#include <string>
#include <vector>

#include "abi/HostInterfaces.h"
#include "host/ComObject.h"
#include "host/Packet.h"
#include "win32/ComPtr.h"

namespace arhost {

class Packer : public ComObject<Packer, topo::host::IPackerDisp> {
 public:
  static const IID& Iid() { return topo::host::IID_IPackerDisp; }

  HRESULT STDMETHODCALLTYPE BeginPack() override;
  // Names come before the values: a name declared after values have been
  // added would shift every column of the rows already packed.
  HRESULT STDMETHODCALLTYPE AddField(BSTR name) override;
  HRESULT STDMETHODCALLTYPE AddValue(VARIANT value) override;
  HRESULT STDMETHODCALLTYPE EndPack() override;
  HRESULT STDMETHODCALLTYPE GetPacket(VARIANT* packet) override;

 private:
  enum class State { kIdle, kPacking, kDone };
  State state_ = State::kIdle;
  std::vector<std::wstring> fields_;
  std::vector<Value> values_;
  Packet packet_;
};

topo::win32::ComPtr<topo::host::IPackerDisp> CreatePacker();

}  // namespace arhost
