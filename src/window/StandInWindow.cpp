// The stand-in window and its way into the status dialog.
#include "window/StandInWindow.h"

#include "plugin/ResourceLookup.h"
#include "plugin/RiziZevEntry.h"
#include "win32/BStr.h"
#include "win32/CheckedCall.h"
#include "win32/UnpackerReportReader.h"
#include "win32/Variant.h"

namespace topo::window {
namespace {

win32::Variant ReadValue(host::IDataContainer* container, const wchar_t* name) {
  win32::BStr key(name);
  win32::Variant value;
  win32::Check(container->GetValue(key.Get(), value.Put()), "GetValue(TempData)");
  return value;
}

}  // namespace

TStandInWindow::TStandInWindow()
    : TBizFormBase(ui::ParseFormLayout(plugin::LoadLayoutText(plugin::kBizFormBaseLayout))),
      openStatusQuery_(RegisterWindowMessageW(kOpenStatusQueryMessage)) {}

LRESULT TStandInWindow::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == openStatusQuery_ && openStatusQuery_) {
    OpenStatusQuery();
    return 0;
  }
  return TBizFormBase::WindowProc(message, wParam, lParam);
}

void TStandInWindow::OpenStatusQuery() {
  if (!statusDialog_) statusDialog_ = std::make_unique<status::TFormStatus>();
  host::IDataContainer* temp = GetTempData();
  win32::Variant svrNo = ReadValue(temp, L"ClickedSvrNo");
  win32::Variant number;
  win32::Check(VariantChangeType(number.Put(), const_cast<VARIANT*>(&svrNo.Get()), 0, VT_I4),
               "ClickedSvrNo");
  status::TFormStatus& dialog = *statusDialog_;
  dialog.HostForm = this;
  dialog.SetServerCaption(win32::VariantText(ReadValue(temp, L"ClickedSvrName").Get()));
  dialog.SetInstances({static_cast<int>(number.Get().lVal)});
  // Modal to the host's whole window, as the plug-in's other dialogs are.
  HWND owner = plugin::Module().ApplicationWindow();
  dialog.ShowModal(owner ? owner : GetAncestor(Handle(), GA_ROOT));
}

}  // namespace topo::window
