// The host exchange helpers. Every host call here is checked: a failure
// throws an EHostCallError whose operation is what an error box shows.
#include "bridge/HostExchange.h"

#include "win32/BStr.h"
#include "win32/CheckedCall.h"
#include "win32/Cp936.h"
#include "win32/Secret.h"

namespace topo::bridge {
namespace {

// "NAME(DETAIL)", built only for a failure.
std::string Operation(const char* name, const wchar_t* detail) {
  return std::string(name) + "(" + win32::Cp936FromWide(detail) + ")";
}

[[noreturn]] void Fail(const std::string& operation, HRESULT result) {
  throw win32::EHostCallError(operation.c_str(), result);
}

win32::BStr Name(const wchar_t* text) {
  win32::BStr name(text);
  // Asking the host for a null name would ask for something else.
  if (!name.Get()) throw std::bad_alloc();
  return name;
}

template <class Container>
win32::Variant Read(Container* container, const char* label, const wchar_t* key) {
  const std::string call = std::string(label) + ".GetValue";
  if (!container) Fail(Operation(call.c_str(), key), E_POINTER);
  const win32::BStr name = Name(key);
  win32::Variant value;
  const HRESULT result = container->GetValue(name.Get(), value.Put());
  if (FAILED(result)) Fail(Operation(call.c_str(), key), result);
  return value;
}

}  // namespace

void GetHostService(host::IAppFrame* frame, const wchar_t* name, const IID& iid, void** out) {
  *out = nullptr;
  if (!frame) Fail(Operation("GetService", name), E_POINTER);
  const win32::BStr bname = Name(name);
  win32::ComPtr<IUnknown> service;
  HRESULT result = frame->GetService(bname.Get(), service.Put());
  if (SUCCEEDED(result)) result = service ? service->QueryInterface(iid, out) : E_POINTER;
  if (FAILED(result)) {
    *out = nullptr;
    Fail(Operation("GetService", name), result);
  }
}

win32::Variant ReadValue(host::IDataContainer* data, const char* container, const wchar_t* key) {
  return Read(data, container, key);
}

win32::Variant ReadValue(host::IMemConfig* config, const char* container, const wchar_t* key) {
  return Read(config, container, key);
}

void WriteValue(host::IDataContainer* data, const char* container, const wchar_t* key,
                const VARIANT& value) {
  const std::string call = std::string(container) + ".SetValue";
  if (!data) Fail(Operation(call.c_str(), key), E_POINTER);
  const win32::BStr name = Name(key);
  const HRESULT result = data->SetValue(name.Get(), value);
  if (FAILED(result)) Fail(Operation(call.c_str(), key), result);
}

namespace {

HRESULT ToInt32(const VARIANT& value, LONG* out) {
  win32::Variant number;
  const HRESULT result = VariantChangeType(number.Put(), const_cast<VARIANT*>(&value), 0, VT_I4);
  if (SUCCEEDED(result)) *out = number.Get().lVal;
  return result;
}

}  // namespace

std::optional<LONG> Int32Of(const VARIANT& value) {
  LONG number = 0;
  if (FAILED(ToInt32(value, &number))) return std::nullopt;
  return number;
}

LONG CheckedInt32(const VARIANT& value, const char* operation) {
  LONG number = 0;
  win32::Check(ToInt32(value, &number), operation);
  return number;
}

host::IARCom& RequireARCom(ExchangeServices& services) {
  host::IARCom* arCom = services.ARCom();
  if (!arCom) throw win32::EHostCallError("GetService(ARCom)", E_NOINTERFACE);
  return *arCom;
}

void SetDestination(host::IARCom& arCom, LONG kind, const std::string& address) {
  win32::Check(
      arCom.SetDestination(kind, win32::Variant::String(win32::WideFromCp936(address)).Get()),
      "SetDestination");
}

win32::Variant SendAndReceive(ExchangeServices& services, const TRequest& request) {
  using win32::Check;
  host::IARCom& arCom = RequireARCom(services);
  // A packer the request names must exist before SetFunction; any other is
  // made only once the request is set up, as the host has always seen it.
  host::IPackerDisp* packer = request.namesPacker ? services.Packer() : nullptr;
  Check(arCom.SetFunction(request.function, packer), "SetFunction");
  if (request.mode) Check(arCom.SetRequestMode(*request.mode), "SetRequestMode");
  if (request.kind) Check(arCom.SetRequestKind(*request.kind), "SetRequestKind");
  if (!packer) {
    packer = services.Packer();
    Check(packer->BeginPack(), "BeginPack");
  }
  if (request.pack) request.pack(*packer);
  Check(packer->EndPack(), "EndPack");
  win32::Variant packet;
  Check(packer->GetPacket(packet.Put()), "GetPacket");
  std::optional<win32::VariantWiper> wipePacket;
  if (request.secret) wipePacket.emplace(const_cast<VARIANT&>(packet.Get()));

  win32::Variant packetId;
  Check(arCom.SendPacket(packet.Get(), request.sendTimeout, packetId.Put()), "SendPacket");
  const LONG id = CheckedInt32(packetId.Get(), "SendPacket (packet id)");
  win32::Variant answer;
  Check(arCom.ReceiveAnswer(id, request.answerTimeout, answer.Put()), "ReceiveAnswer");
  return answer;
}

host::IUnpackerDisp* OpenAnswer(ExchangeServices& services, const win32::Variant& answer) {
  host::IUnpackerDisp* unpacker = services.Unpacker();
  win32::Check(unpacker->Open(answer.Get()), "Open");
  return unpacker;
}

LONG ErrorNo(host::IARCom& arCom) {
  LONG errorNo = 0;
  win32::Check(arCom.GetErrorNo(&errorNo), "GetErrorNo");
  return errorNo;
}

}  // namespace topo::bridge
