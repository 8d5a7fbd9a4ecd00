// The status query's exchange. The request carries no fields at all: the
// function number and the destination say everything, so the packer is only
// opened and closed.
#include "query/QueryExchange.h"

#include <exception>
#include <optional>

#include "query/QueryFunctions.h"
#include "win32/BStr.h"
#include "win32/CheckedCall.h"
#include "win32/Cp936.h"
#include "win32/UnpackerReportReader.h"
#include "win32/Variant.h"

namespace topo::query {
namespace {

// "返回错误" in code page 936.
constexpr char kErrorReturned[] = "\xB7\xB5\xBB\xD8\xB4\xED\xCE\xF3";

win32::Variant ReadValue(host::IDataContainer* container, const wchar_t* name) {
  win32::BStr key(name);
  win32::Variant value;
  win32::Check(container->GetValue(key.Get(), value.Put()), "GetValue(TempData)");
  return value;
}

LONG Int32Of(const win32::Variant& value, const char* operation) {
  win32::Variant number;
  win32::Check(VariantChangeType(number.Put(), const_cast<VARIANT*>(&value.Get()), 0, VT_I4),
               operation);
  return number.Get().lVal;
}

// The opened answer, read through the host's unpacker; every failing call
// throws.
class UnpackerAnswer final : public StatusAnswer {
 public:
  explicit UnpackerAnswer(host::IUnpackerDisp* unpacker) : unpacker_(unpacker) {}
  int32_t FieldCount() override {
    LONG n = 0;
    win32::Check(unpacker_->GetFieldCount(&n), "GetFieldCount");
    return n;
  }
  int32_t RowCount() override {
    LONG n = 0;
    win32::Check(unpacker_->GetRowCount(&n), "GetRowCount");
    return n;
  }
  std::string FieldName(int32_t field) override {
    return win32::UnpackerFieldName(unpacker_, win32::Variant::Int32(field).Get());
  }
  std::string FieldValue(int32_t field) override {
    return win32::UnpackerFieldValue(unpacker_, win32::Variant::Int32(field).Get());
  }
  void First() override { win32::Check(unpacker_->First(), "First"); }
  void Next() override { win32::Check(unpacker_->Next(), "Next"); }

 private:
  host::IUnpackerDisp* unpacker_;
};

// Sends one query; returns the message of an error answer, or fills the grid.
std::optional<std::string> QueryStatus(bridge::TBizFormBase& host, const TStatusTarget& target,
                                       LONG functionNo, TStatusView& grid) {
  host::IARCom* arCom = host.GetARCom();
  if (!arCom) throw win32::EHostCallError("GetARCom", E_NOINTERFACE);
  win32::Variant address = win32::Variant::String(win32::WideFromCp936(target.Address));
  win32::Check(arCom->SetDestination(target.AddressKind, address.Get()), "SetDestination");
  win32::Check(arCom->SetFunction(functionNo, nullptr), "SetFunction");
  win32::Check(arCom->SetRequestMode(kStatusRequestMode), "SetRequestMode");
  win32::Check(arCom->SetRequestKind(kStatusRequestKind), "SetRequestKind");

  host::IPackerDisp* packer = host.GetPacker();
  win32::Check(packer->BeginPack(), "BeginPack");
  win32::Check(packer->EndPack(), "EndPack");
  win32::Variant packet;
  win32::Check(packer->GetPacket(packet.Put()), "GetPacket");

  win32::Variant packetId;
  win32::Check(arCom->SendPacket(packet.Get(), kSendTimeout, packetId.Put()), "SendPacket");
  win32::Variant answer;
  win32::Check(arCom->ReceiveAnswer(Int32Of(packetId, "PacketID"), kAnswerTimeout, answer.Put()),
               "ReceiveAnswer");
  host::IUnpackerDisp* unpacker = host.GetUnpacker();
  win32::Check(unpacker->Open(answer.Get()), "Open");
  LONG errorNo = 0;
  win32::Check(arCom->GetErrorNo(&errorNo), "GetErrorNo");

  if (errorNo != 0) {
    win32::UnpackerReportReader answer(unpacker);
    return kErrorReturned + std::to_string(errorNo) + "\r" + answer.FieldText("error_info");
  }
  UnpackerAnswer table(unpacker);
  FillResultGrid(table, grid);
  return std::nullopt;
}

}  // namespace

TClickedServer ReadClickedServer(host::IDataContainer* tempData) {
  if (!tempData) throw win32::EHostCallError("GetTempData", E_POINTER);
  TClickedServer s;
  s.SvrType = Int32Of(ReadValue(tempData, L"ClickedSvrType"), "ClickedSvrType");
  s.SvrName = win32::VariantText(ReadValue(tempData, L"ClickedSvrName").Get());
  s.ParentARName = win32::VariantText(ReadValue(tempData, L"ClickedParentARName").Get());
  return s;
}

void ExecuteStatusQuery(bridge::TBizFormBase& host, const std::string& instanceText,
                        const std::string& functionItem, TStatusView& view) {
  TClickedServer server = ReadClickedServer(host.GetTempData());
  TStatusTarget target = StatusTarget(server, DecimalOrZero(instanceText));
  view.SetServerName(server.SvrName);
  try {
    if (auto message = QueryStatus(host, target, FunctionNumberOf(functionItem), view))
      view.ShowMessage(*message);
  } catch (const std::exception&) {
    // The query's failures are not the operator's business: the grid keeps
    // what it was given until then.
  }
}

}  // namespace topo::query
