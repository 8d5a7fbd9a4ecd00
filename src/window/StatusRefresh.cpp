// The request carries one field, "i" = 0, under the topology report function
// and names no destination; the answer's rows are read by the merge.
#include "window/StatusRefresh.h"

#include "win32/BStr.h"
#include "win32/CheckedCall.h"
#include "win32/UnpackerReportReader.h"
#include "win32/Variant.h"

namespace topo::window {

using win32::Check;

std::optional<win32::Variant> RequestTopologyReport(RefreshServices& services) {
  host::IARCom* arCom = services.ARCom();
  if (!arCom) throw win32::EHostCallError("GetService(ARCom)", E_NOINTERFACE);
  Check(arCom->SetFunction(kTopologyReportFunction, nullptr), "SetFunction");
  Check(arCom->SetRequestMode(kTopologyRequestMode), "SetRequestMode");

  host::IPackerDisp* packer = services.Packer();
  Check(packer->BeginPack(), "BeginPack");
  win32::BStr field(L"i");
  Check(packer->AddField(field.Get()), "AddField");
  Check(packer->AddValue(win32::Variant::Int32(0).Get()), "AddValue");
  Check(packer->EndPack(), "EndPack");
  win32::Variant packet;
  Check(packer->GetPacket(packet.Put()), "GetPacket");

  win32::Variant packetId;
  Check(arCom->SendPacket(packet.Get(), kRefreshTimeout, packetId.Put()), "SendPacket");
  win32::Variant id;
  Check(VariantChangeType(id.Put(), const_cast<VARIANT*>(&packetId.Get()), 0, VT_I4),
        "SendPacket (packet id)");
  win32::Variant answer;
  Check(arCom->ReceiveAnswer(id.Get().lVal, kRefreshTimeout, answer.Put()), "ReceiveAnswer");
  LONG errorNo = 0;
  Check(arCom->GetErrorNo(&errorNo), "GetErrorNo");
  if (errorNo != 0) return std::nullopt;
  return answer;
}

bool RequestAndMerge(RefreshServices& services, TARNodeList& model, const TRect& canvas) {
  const std::optional<win32::Variant> answer = RequestTopologyReport(services);
  if (!answer) return false;
  host::IUnpackerDisp* unpacker = services.Unpacker();
  Check(unpacker->Open(answer->Get()), "Open");
  win32::UnpackerReportReader report(unpacker);
  model.MergeStatus(report);
  model.ResolveLinks();
  model.PlaceOutsideNodes(canvas);
  return true;
}

}  // namespace topo::window
