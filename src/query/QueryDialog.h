// TFormStatus: the modal dialog that sends one management status query to one
// server instance and shows the answer as a table. It is not an embedded host
// window: it borrows the host services of the window that opens it (HostForm),
// so it needs no attaching of its own and works for any such window.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "bridge/BizForm.h"
#include "query/QueryExchange.h"
#include "ui/Form.h"
#include "ui/StringGrid.h"

namespace topo::query {

class TFormStatus : public ui::Form, private TStatusView {
 public:
  // From the TFORMSTATUS layout of the module that answers lookups.
  explicit TFormStatus(HMODULE resourceSource);
  explicit TFormStatus(const ui::FormLayout& layout);

  // The window whose TempData, ARCom, packer and unpacker a query uses; the
  // status command sets it before each showing.
  bridge::TBizFormBase* HostForm = nullptr;

  // What the status command shows before it opens the dialog: the server's
  // name, and its active instance numbers as the items of cmbNo.
  void SetServerCaption(const std::string& name);
  void SetInstances(const std::vector<int>& numbers);

  // The query of one click of btnExec (see StatusQuery.h); a missing
  // instance or function is asked for and nothing is sent.
  void btnExecClick(HWND sender);

 protected:
  void FormShow() override;

 private:
  void SetColCount(int count) override;
  void SetRowCount(int count) override;
  void SetCell(int col, int row, const std::string& text) override;
  void SetServerName(const std::string& name) override { SetServerCaption(name); }
  void ShowMessage(const std::string& text) override;
  void Warn(const std::string& text, HWND list);
  ui::StringGrid& Grid() const;

  HWND lbSvr_, cmbNo_, cmbFunction_, btnExec_, sgResult_;
};

}  // namespace topo::query
