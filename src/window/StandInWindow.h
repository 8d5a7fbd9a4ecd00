// The window BizEntry embeds until the topology window exists: the base form
// with the one status dialog. Without a diagram there is no popup menu to open
// the dialog from, so the host opens it with the registered message
// "topo.OpenStatusQuery" on the node it has written to TempData, the keys the
// status command writes ("ClickedSvrName", "ClickedSvrNo", ...).
#pragma once

#include <windows.h>

#include <memory>

#include "plugin/BizForm.h"
#include "status/Status.h"

namespace topo::window {

inline constexpr wchar_t kOpenStatusQueryMessage[] = L"topo.OpenStatusQuery";

class TStandInWindow : public plugin::TBizFormBase {
 public:
  TStandInWindow();

 protected:
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  // Opens the status dialog modally on the node TempData names, with its one
  // instance in the instance list. The window may be gone when this returns.
  void OpenStatusQuery();

  const UINT openStatusQuery_;
  // Made at its first use: a resource file without the dialog's layout only
  // fails the query, not the window.
  std::unique_ptr<status::TFormStatus> statusDialog_;
};

}  // namespace topo::window
