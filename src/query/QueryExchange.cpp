// The status query's exchange. The request carries no fields at all: the
// function number and the destination say everything, so the packer is only
// opened and closed.
#include "query/QueryExchange.h"

#include <exception>
#include <optional>

#include "bridge/HostExchange.h"
#include "bridge/ResourceLookup.h"
#include "query/QueryFunctions.h"
#include "win32/CheckedCall.h"
#include "win32/UnpackerReportReader.h"
#include "win32/Variant.h"

namespace topo::query {
namespace {

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
// The answer is opened before its error number is asked: an error answer's
// text is read from it.
std::optional<std::string> QueryStatus(bridge::TBizFormBase& host, const TStatusTarget& target,
                                       LONG functionNo, TStatusView& grid) {
  host::IARCom& arCom = bridge::RequireARCom(host);
  bridge::SetDestination(arCom, target.AddressKind, target.Address);
  bridge::TRequest request;
  request.function = functionNo;
  request.mode = kStatusRequestMode;
  request.kind = kStatusRequestKind;
  request.sendTimeout = kSendTimeout;
  request.answerTimeout = kAnswerTimeout;
  const win32::Variant answer = bridge::SendAndReceive(host, request);
  host::IUnpackerDisp* unpacker = bridge::OpenAnswer(host, answer);
  const LONG errorNo = bridge::ErrorNo(arCom);
  if (errorNo != 0) {
    win32::UnpackerReportReader error(unpacker);
    return bridge::LoadPluginStringCp936(host.Services().ResourceSource(),
                                         bridge::kStrErrorReturned) +
           std::to_string(errorNo) + "\r" + error.FieldText("error_info");
  }
  UnpackerAnswer table(unpacker);
  FillResultGrid(table, grid);
  return std::nullopt;
}

}  // namespace

TClickedServer ReadClickedServer(host::IDataContainer* tempData) {
  const auto read = [tempData](const wchar_t* key) {
    return bridge::ReadValue(tempData, "TempData", key);
  };
  TClickedServer s;
  s.SvrType = bridge::CheckedInt32(read(L"ClickedSvrType").Get(), "ClickedSvrType");
  s.SvrName = win32::VariantText(read(L"ClickedSvrName").Get());
  s.ParentARName = win32::VariantText(read(L"ClickedParentARName").Get());
  return s;
}

void ExecuteStatusQuery(bridge::TBizFormBase& host, const std::string& instanceText,
                        const std::string& functionItem, TStatusView& view) {
  TClickedServer server = ReadClickedServer(host.GetTempData());
  TStatusTarget target = StatusTarget(server, DecimalOrZero(instanceText));
  view.SetServerName(server.SvrName);
  // The grid shows this query's answer or nothing: were it left as it was, a
  // failed query would show the last answer under this server's name.
  ClearResultGrid(view);
  try {
    if (auto message = QueryStatus(host, target, FunctionNumberOf(functionItem), view))
      view.ShowMessage(*message);
  } catch (const std::exception&) {
    // The query's failures are not the operator's business: the grid keeps
    // what this query gave it until then.
  }
}

}  // namespace topo::query
