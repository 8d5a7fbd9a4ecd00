// The topology window's view settings (the refresh interval, the canvas size
// and the zoom) as the toolbar shows them and the host's per-user data keeps
// them, and the view they make: the canvas, the scroll ranges and where a
// diagram rectangle shows.
#include <windows.h>
// after windows.h
#include <commctrl.h>

#include <algorithm>
#include <optional>
#include <string>

#include "bridge/HostExchange.h"
#include "model/TextFields.h"
#include "win32/Cp936.h"
#include "win32/Variant.h"
#include "window/MainForm.h"

namespace topo::window {

void TMainForm::ReadSetting(const wchar_t* key, const wchar_t* upDown, int otherwise) {
  const win32::Variant value = bridge::ReadValue(GetPersonalData(), "PersonalData", key);
  // A stored value that is no integer (another program's, or a damaged file)
  // counts as none, rather than keeping the window from opening. It is not
  // replaced on close unless the operator sets the value meanwhile: what was
  // stored may still be good, and only this reading of it failed.
  const std::optional<LONG> number = value.IsEmpty() ? std::nullopt : bridge::Int32Of(value.Get());
  SetUpDown(upDown, number ? static_cast<int>(*number) : otherwise);
  if (!value.IsEmpty() && !number) unreadSettings_.emplace_back(key, UpDownPosition(upDown));
}

int TMainForm::UpDownPosition(const wchar_t* name) const {
  return static_cast<int>(SendMessageW(Control(name), UDM_GETPOS32, 0, 0));
}

void TMainForm::SetCanvasSettings(int width, int height) {
  SetUpDown(L"udWidth", width);
  SetUpDown(L"udHeight", height);
}

void TMainForm::SetUpDown(const wchar_t* name, int position) {
  HWND upDown = Control(name);
  int low = 0, high = 0;
  SendMessageW(upDown, UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low),
               reinterpret_cast<LPARAM>(&high));
  position = std::clamp(position, low, high);
  SendMessageW(upDown, UDM_SETPOS32, 0, position);
  // The buddy shows the position, and its change handler runs, also when the
  // position was already there (the up-down then leaves the buddy alone).
  HWND buddy = reinterpret_cast<HWND>(SendMessageW(upDown, UDM_GETBUDDY, 0, 0));
  if (buddy) SetWindowTextW(buddy, std::to_wstring(position).c_str());
}

void TMainForm::ReadZoomSetting() {
  const win32::Variant value = bridge::ReadValue(GetPersonalData(), "PersonalData", L"Zoom");
  // As with the other settings, a stored value that is no integer counts as
  // none and is kept unless the operator zooms.
  if (value.IsEmpty()) return;
  const std::optional<LONG> number = bridge::Int32Of(value.Get());
  if (!number) {
    unreadSettings_.emplace_back(L"Zoom", zoomPercent_);
    return;
  }
  zoomPercent_ = TZoomView(static_cast<int32_t>(*number), {}).Percent();
}

TZoomView TMainForm::View() const {
  return TZoomView(zoomPercent_, {ScrollPosition(SB_HORZ), ScrollPosition(SB_VERT)}, ToolbarBand());
}

int TMainForm::ToolbarBand() const {
  LONG band = 0;
  for (const RECT& bounds : ToolbarBounds_) band = std::max(band, bounds.bottom);
  return static_cast<int>(band) + kBandMargin;
}

void TMainForm::UpdateScrollRanges() {
  canvas_ = {0, 0, UpDownPosition(L"udWidth"), UpDownPosition(L"udHeight")};
  const TPoint ranges = View().Ranges({canvas_.Right, canvas_.Bottom});
  SetScrollRange(SB_HORZ, ranges.x);
  SetScrollRange(SB_VERT, ranges.y);
}

TRect TMainForm::DiagramToClient(const TRect& box) const { return View().ToClient(box); }

void TMainForm::SetTimer(bool enabled, UINT interval) {
  timerEnabled_ = enabled;
  timerInterval_ = interval;
  if (!Handle()) return;
  if (enabled)
    ::SetTimer(Handle(), kTimerId, interval, nullptr);
  else
    KillTimer(Handle(), kTimerId);
}

void TMainForm::edTimerChange() {
  const int seconds =
      ParseInt32(win32::Cp936FromWide(ui::WindowText(Control(L"edTimer")))).value_or(2);
  SetTimer(timerEnabled_, static_cast<UINT>(seconds) * 1000u);
}

void TMainForm::edWidthChange() {
  UpdateScrollRanges();
  Model_->PlaceOutsideNodes(CanvasRect());
}

void TMainForm::edHeightChange() {
  UpdateScrollRanges();
  Model_->PlaceOutsideNodes(CanvasRect());
}

void TMainForm::FormResize() {
  RECT client;
  GetClientRect(Handle(), &client);
  if (client.right > UpDownPosition(L"udWidth")) SetUpDown(L"udWidth", client.right);
  if (client.bottom > UpDownPosition(L"udHeight")) SetUpDown(L"udHeight", client.bottom);
  UpdateScrollRanges();
  Model_->PlaceOutsideNodes(CanvasRect());
}

}  // namespace topo::window
