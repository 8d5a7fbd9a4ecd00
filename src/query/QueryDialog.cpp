// The status dialog's window: controls from its layout, the function items,
// and the handlers. The query itself is in StatusQuery.cpp.
#include "query/QueryDialog.h"

#include <stdexcept>

#include "bridge/ResourceLookup.h"
#include "query/QueryFunctions.h"
#include "ui/StringGrid.h"
#include "win32/Cp936.h"

namespace topo::query {
namespace {

std::wstring ItemText(HWND list, LRESULT index) {
  LRESULT n = SendMessageW(list, CB_GETLBTEXTLEN, static_cast<WPARAM>(index), 0);
  if (n == CB_ERR) return {};
  std::wstring text(static_cast<size_t>(n) + 1, L'\0');
  n = SendMessageW(list, CB_GETLBTEXT, static_cast<WPARAM>(index),
                   reinterpret_cast<LPARAM>(text.data()));
  text.resize(n == CB_ERR ? 0 : static_cast<size_t>(n));
  return text;
}

}  // namespace

TFormStatus::TFormStatus(HMODULE resourceSource)
    : TFormStatus(bridge::LoadFormLayout(resourceSource, bridge::kFormStatusLayout)) {
  // The grid never paints its window text: it is the table's name for screen readers.
  SetWindowTextW(sgResult_,
                 bridge::LoadPluginString(resourceSource, bridge::kStrAccResultTable).c_str());
}

TFormStatus::TFormStatus(const ui::FormLayout& layout)
    : Form(layout),
      lbSvr_(Control(L"lbSvr")),
      cmbNo_(Control(L"cmbNo")),
      cmbFunction_(Control(L"cmbFunction")),
      btnExec_(Control(L"btnExec")),
      sgResult_(Control(L"sgResult")) {
  if (!lbSvr_ || !cmbNo_ || !cmbFunction_ || !btnExec_ || !ui::StringGrid::From(sgResult_))
    throw std::runtime_error("the status dialog's layout lacks one of its controls");
  for (const char* item : StatusFunctionItems())
    SendMessageW(cmbFunction_, CB_ADDSTRING, 0,
                 reinterpret_cast<LPARAM>(win32::WideFromCp936(item).c_str()));
  SetClickHandler(btnExec_, [this](HWND sender) { btnExecClick(sender); });
}

void TFormStatus::SetServerCaption(const std::string& name) {
  SetWindowTextW(lbSvr_, win32::WideFromCp936(name).c_str());
}

void TFormStatus::SetInstances(const std::vector<int>& numbers) {
  SendMessageW(cmbNo_, CB_RESETCONTENT, 0, 0);
  for (int n : numbers)
    if (n >= 0)
      SendMessageW(cmbNo_, CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(std::to_wstring(n).c_str()));
}

void TFormStatus::FormShow() {
  if (SendMessageW(cmbNo_, CB_GETCOUNT, 0, 0) > 0) SendMessageW(cmbNo_, CB_SETCURSEL, 0, 0);
  if (SendMessageW(cmbFunction_, CB_GETCOUNT, 0, 0) > 0)
    SendMessageW(cmbFunction_, CB_SETCURSEL, 0, 0);
  ClearResultGrid(*this);
}

void TFormStatus::Warn(const std::string& text, HWND list) {
  MessageBoxW(Handle(), win32::WideFromCp936(text).c_str(), ui::WindowText(Handle()).c_str(),
              MB_OK | MB_ICONWARNING);
  SendMessageW(list, CB_SHOWDROPDOWN, TRUE, 0);
}

void TFormStatus::ShowMessage(const std::string& text) {
  MessageBoxW(Handle(), win32::WideFromCp936(text).c_str(), ui::WindowText(Handle()).c_str(),
              MB_OK);
}

void TFormStatus::btnExecClick(HWND) {
  // The warnings' texts, too, come from the host window's resource source.
  if (!HostForm) throw std::logic_error("the status dialog has no host window");
  const HMODULE texts = HostForm->Services().ResourceSource();
  if (SendMessageW(cmbNo_, CB_GETCURSEL, 0, 0) == CB_ERR)
    return Warn(bridge::LoadPluginStringCp936(texts, bridge::kStrChooseInstance), cmbNo_);
  LRESULT function = SendMessageW(cmbFunction_, CB_GETCURSEL, 0, 0);
  if (function == CB_ERR)
    return Warn(bridge::LoadPluginStringCp936(texts, bridge::kStrChooseFunction), cmbFunction_);
  ExecuteStatusQuery(*HostForm, win32::Cp936FromWide(ui::WindowText(cmbNo_)),
                     win32::Cp936FromWide(ItemText(cmbFunction_, function)), *this);
}

ui::StringGrid& TFormStatus::Grid() const { return *ui::StringGrid::From(sgResult_); }

void TFormStatus::SetColCount(int count) { Grid().SetColCount(count); }

void TFormStatus::SetRowCount(int count) { Grid().SetRowCount(count); }

void TFormStatus::SetCell(int col, int row, const std::string& text) {
  Grid().SetCell(col, row, win32::WideFromCp936(text));
}

}  // namespace topo::query
