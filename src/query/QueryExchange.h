// One management status query, apart from the dialog's window: where it goes,
// the exchange with the host's ARCom, packer and unpacker, and how the answer
// becomes a table. Kept apart from the window so the exchange can be checked
// against fake host objects call by call, whatever control shows the answer.
#pragma once

#include <windows.h>

#include <string>

#include "abi/HostInterfaces.h"
#include "bridge/BizForm.h"
#include "model/StatusAnswer.h"

namespace topo::query {

inline constexpr LONG kSendTimeout = 2000;
inline constexpr LONG kAnswerTimeout = 5000;
inline constexpr LONG kStatusRequestMode = 2;
inline constexpr LONG kStatusRequestKind = 13;

// Reads "ClickedSvrType", "ClickedSvrName" and "ClickedParentARName". Throws
// when the container fails or a value does not convert.
TClickedServer ReadClickedServer(host::IDataContainer* tempData);

// What a query shows: the answer in a grid (see StatusAnswer.h), the queried
// server's name and the message of an error answer, all in code page 936.
class TStatusView : public StatusGrid {
 public:
  virtual void SetServerName(const std::string& name) = 0;
  virtual void ShowMessage(const std::string& text) = 0;

 protected:
  ~TStatusView() = default;
};

// The query once an instance and a function are chosen: reads the clicked
// node from host's TempData (a failure there is thrown), names it in the view,
// empties the grid (2 x 2, "#" in the corner), sends the function to that
// instance and shows the answer: the grid is filled ("#" in the corner, field names in row 0, row
// numbers in column 0, each value cut at its first zero character), or an
// error number gives "返回错误", the number, a carriage return and the
// answer's "error_info" as a message. Any failure from the name on ends the
// query silently, leaving the cells written until then.
void ExecuteStatusQuery(bridge::TBizFormBase& host, const std::string& instanceText,
                        const std::string& functionItem, TStatusView& view);

}  // namespace topo::query
