// One way to talk to the host: a service by name, a data container's value, a
// VARIANT as an integer, and one request sent with its answer received. The
// refresh, the commands, the status query and the window all go through
// these, so each host call is made and checked in one place, and a failing
// call becomes an EHostCallError that names it. The helpers make exactly the
// calls their callers made before (tests/win32/data/host-calls.txt holds the
// sequence), so moving code onto them changes nothing the host sees.
#pragma once

#include <windows.h>

#include <functional>
#include <optional>
#include <string>

#include "abi/HostInterfaces.h"
#include "win32/ComPtr.h"
#include "win32/Variant.h"

namespace topo::bridge {

// Where an exchange finds the host's objects. Each is asked for at the step
// that first needs it, so a missing one ends the exchange at that step.
class ExchangeServices {
 public:
  virtual host::IARCom* ARCom() = 0;  // null when the host has none
  virtual host::IPackerDisp* Packer() = 0;
  virtual host::IUnpackerDisp* Unpacker() = 0;

 protected:
  ~ExchangeServices() = default;
};

// The host frame's service name, queried for the interface iid into *out.
// Throws EHostCallError "GetService(name)" when there is no frame, the call
// fails or gives nothing, or the service lacks the interface.
void GetHostService(host::IAppFrame* frame, const wchar_t* name, const IID& iid, void** out);

template <class I>
win32::ComPtr<I> HostService(host::IAppFrame* frame, const wchar_t* name, const IID& iid) {
  win32::ComPtr<I> service;
  GetHostService(frame, name, iid, service.PutVoid());
  return service;
}

// The value stored under key (empty when none was). Throws EHostCallError
// "CONTAINER.GetValue(KEY)", container naming the service for the message.
win32::Variant ReadValue(host::IDataContainer* data, const char* container, const wchar_t* key);
win32::Variant ReadValue(host::IMemConfig* config, const char* container, const wchar_t* key);
// Stores value under key. Throws EHostCallError "CONTAINER.SetValue(KEY)".
void WriteValue(host::IDataContainer* data, const char* container, const wchar_t* key,
                const VARIANT& value);

// A value as a 32-bit integer, as VariantChangeType to VT_I4 gives it: none
// when it does not convert; the throwing form names operation.
std::optional<LONG> Int32Of(const VARIANT& value);
LONG CheckedInt32(const VARIANT& value, const char* operation);

// The ARCom of services. Throws EHostCallError "GetService(ARCom)" when the
// host has none.
host::IARCom& RequireARCom(ExchangeServices& services);

// Where the next request goes: an address (code page 936) of its kind.
void SetDestination(host::IARCom& arCom, LONG kind, const std::string& address);

// One request. A request that names its packer in SetFunction (the commands)
// has it opened by the host; the others open it with BeginPack.
struct TRequest {
  LONG function = 0;
  bool namesPacker = false;
  std::optional<LONG> mode;  // SetRequestMode, when set
  std::optional<LONG> kind;  // SetRequestKind, when set
  // Adds the request's fields and values; none when empty.
  std::function<void(host::IPackerDisp& packer)> pack;
  // The packet carries a password: it is overwritten before it is freed.
  bool secret = false;
  LONG sendTimeout = 0;    // ms
  LONG answerTimeout = 0;  // ms
};

// Sends one request and waits for its answer: SetFunction, the request mode
// and kind, the packing (EndPack, GetPacket), SendPacket, the packet id as an
// integer and ReceiveAnswer. Every failing call throws, named by the call.
win32::Variant SendAndReceive(ExchangeServices& services, const TRequest& request);

// The answer opened in the host's unpacker, which then reads it.
host::IUnpackerDisp* OpenAnswer(ExchangeServices& services, const win32::Variant& answer);

// The network's error number for the last answer (0: none).
LONG ErrorNo(host::IARCom& arCom);

}  // namespace topo::bridge
