// The request carries one field, "i" = 0, under the topology report function
// and names no destination; the answer's rows are read by the merge. The
// error number is asked before the answer is opened: an answer with one is
// never read.
#include "window/StatusRefresh.h"

#include "win32/BStr.h"
#include "win32/CheckedCall.h"
#include "win32/UnpackerReportReader.h"

namespace topo::window {

std::optional<win32::Variant> RequestTopologyReport(RefreshServices& services) {
  bridge::TRequest request;
  request.function = kTopologyReportFunction;
  request.mode = kTopologyRequestMode;
  request.pack = [](host::IPackerDisp& packer) {
    win32::BStr field(L"i");
    win32::Check(packer.AddField(field.Get()), "AddField");
    win32::Check(packer.AddValue(win32::Variant::Int32(0).Get()), "AddValue");
  };
  request.sendTimeout = kRefreshTimeout;
  request.answerTimeout = kRefreshTimeout;
  win32::Variant answer = bridge::SendAndReceive(services, request);
  if (bridge::ErrorNo(bridge::RequireARCom(services)) != 0) return std::nullopt;
  return answer;
}

bool RequestAndMerge(RefreshServices& services, TARNodeList& model, const TRect& canvas) {
  const std::optional<win32::Variant> answer = RequestTopologyReport(services);
  if (!answer) return false;
  win32::UnpackerReportReader report(bridge::OpenAnswer(services, *answer));
  model.MergeStatus(report);
  model.ResolveLinks();
  model.PlaceOutsideNodes(canvas);
  return true;
}

}  // namespace topo::window
