// Working a large diagram: the zoom (Ctrl+wheel about the mouse, Ctrl+0 to
// fit, Ctrl+1 for 100%), the find box, and the keyboard (Ctrl+arrows to
// select, Ctrl+Shift+arrows to move by 10 pixels and with Alt by 1, Shift+F10
// or the menu key for the node menu, Ctrl+Z to take back a re-arrangement).
// The form's key preview hands every key here first and then still to the
// focused control, so keys that belong to a control (the find box's own
// editing keys) are left alone.
// The system header needs windows.h before it.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <algorithm>
#include <string>

#include "bridge/ResourceLookup.h"
#include "model/Boxes.h"
#include "win32/Cp936.h"
#include "window/DiagramAccessible.h"
#include "window/MainForm.h"
#include "window/TextPattern.h"

namespace topo::window {

namespace {

constexpr UINT_PTR kFindBoxSubclass = 0x66696E64;
constexpr int kLargeStep = 10;

// Enter and Escape are the find box's commands: the edit must not also take
// them as characters (a single-line edit beeps at them).
LRESULT CALLBACK FindBoxProc(HWND edit, UINT message, WPARAM wParam, LPARAM lParam, UINT_PTR,
                             DWORD_PTR) {
  if (message == WM_CHAR && (wParam == L'\r' || wParam == L'\n' || wParam == 0x1B)) return 0;
  if (message == WM_NCDESTROY) RemoveWindowSubclass(edit, FindBoxProc, kFindBoxSubclass);
  return DefSubclassProc(edit, message, wParam, lParam);
}

}  // namespace

void TMainForm::BindDiagramCommands() {
  for (auto [name, caption] :
       {std::pair{L"btnTidy", bridge::kStrTidy}, std::pair{L"btnFind", bridge::kStrFind},
        std::pair{L"btnExportImage", bridge::kStrExportImage}}) {
    HWND control = Control(name);
    if (control) SetWindowTextW(control, Services().Text(caption).c_str());
  }
  // A resource file's older layout may lack any of these: what it lacks is
  // simply not offered (the keys still work).
  if (HWND b = Control(L"btnTidy")) SetClickHandler(b, [this](HWND) { btnTidyClick(); });
  if (HWND b = Control(L"btnFind")) SetClickHandler(b, [this](HWND) { OpenFind(); });
  if (HWND b = Control(L"btnExportImage"))
    SetClickHandler(b, [this](HWND) { btnExportImageClick(); });
  if (HWND edit = Control(L"edFind")) {
    SetChangeHandler(edit, [this](HWND) { FindStep(TFindStep::Here); });
    SetWindowSubclass(edit, FindBoxProc, kFindBoxSubclass, 0);
  }
  for (const wchar_t* name : {L"btnTidy", L"btnFind", L"btnExportImage", L"pnFind"}) {
    HWND control = Control(name);
    if (!control) continue;
    RECT bounds;
    GetWindowRect(control, &bounds);
    MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&bounds), 2);
    pinned_.push_back({control, bounds});
  }
}

// ---- zoom -----------------------------------------------------------------

void TMainForm::ZoomAbout(int percent, POINT client) {
  const TZoomView next = View().ZoomedAbout(percent, {client.x, client.y});
  zoomPercent_ = next.Percent();
  UpdateScrollRanges();
  SetScrollPosition(SB_HORZ, next.Scroll().x);
  SetScrollPosition(SB_VERT, next.Scroll().y);
  InvalidateRect(Handle(), nullptr, FALSE);
}

void TMainForm::ZoomToFit() {
  bool any = false;
  TRect content{};
  for (int32_t k = 0; k < Model_->ZOrder.Count(); ++k) {
    const TRect* box = BoxOf(*Model_, Model_->ZOrder.Items(k));
    if (!box) continue;
    // With the status bar row under each box.
    const TRect r{box->Left, box->Top, box->Right, WrapAdd(box->Bottom, 1)};
    content = any ? TRect{std::min(content.Left, r.Left), std::min(content.Top, r.Top),
                          std::max(content.Right, r.Right), std::max(content.Bottom, r.Bottom)}
                  : r;
    any = true;
  }
  const RECT area = DiagramArea();
  const TZoomView fit = FitView(
      content,
      {area.left + kBandMargin, area.top, area.right - kBandMargin, area.bottom - kBandMargin},
      ToolbarBand());
  zoomPercent_ = fit.Percent();
  UpdateScrollRanges();
  SetScrollPosition(SB_HORZ, fit.Scroll().x);
  SetScrollPosition(SB_VERT, fit.Scroll().y);
  InvalidateRect(Handle(), nullptr, FALSE);
}

RECT TMainForm::DiagramArea() const {
  RECT area;
  GetClientRect(Handle(), &area);
  LONG band = ToolbarBand();
  for (const auto& [control, bounds] : pinned_)
    if (IsWindowVisible(control)) band = std::max(band, bounds.bottom + kBandMargin);
  area.top = std::min(area.bottom, band);
  return area;
}

void TMainForm::ScrollIntoView(const TRect& box) {
  const RECT area = DiagramArea();
  const TRect shown = View().ToClient(box);
  // A box partly out of sight comes to the middle of the diagram's area.
  if (shown.Left < area.left || shown.Right > area.right)
    SetScrollPosition(SB_HORZ, ScrollPosition(SB_HORZ) + (shown.Left + shown.Right) / 2 -
                                   static_cast<int>(area.left + area.right) / 2);
  if (shown.Top < area.top || shown.Bottom + 1 > area.bottom)
    SetScrollPosition(SB_VERT, ScrollPosition(SB_VERT) + (shown.Top + shown.Bottom) / 2 -
                                   static_cast<int>(area.top + area.bottom) / 2);
}

// ---- find -----------------------------------------------------------------

void TMainForm::OpenFind() {
  HWND panel = Control(L"pnFind");
  HWND edit = Control(L"edFind");
  if (!panel || !edit) return;
  // Under its button, or as far right as the window allows.
  RECT client;
  GetClientRect(Handle(), &client);
  for (auto& [control, bounds] : pinned_) {
    if (control != panel) continue;
    const LONG width = bounds.right - bounds.left;
    const ui::ControlLayout* laid = Layout().Find(L"pnFind");
    const LONG left = std::max(
        0L, std::min<LONG>(laid ? laid->left : bounds.left, client.right - width - kBandMargin));
    OffsetRect(&bounds, left - bounds.left, 0);
    SetWindowPos(panel, HWND_TOP, bounds.left, bounds.top, 0, 0, SWP_NOSIZE | SWP_NOACTIVATE);
  }
  ShowWindow(panel, SW_SHOW);
  SetFocus(edit);
  SendMessageW(edit, EM_SETSEL, 0, -1);
}

void TMainForm::CloseFind() {
  if (HWND panel = Control(L"pnFind")) ShowWindow(panel, SW_HIDE);
  // The diagram keeps the keyboard.
  SetFocus(Handle());
  InvalidateRect(Handle(), nullptr, FALSE);
}

void TMainForm::FindStep(TFindStep step) {
  HWND edit = Control(L"edFind");
  if (!edit) return;
  const std::string needle = win32::Cp936FromWide(ui::WindowText(edit));
  std::optional<ZOrderEntry> from;
  if (Model_->ZOrder.Count() > 0) from = Model_->ZOrder.Items(0);
  const std::optional<TFindResult> found = FindBox(*Model_, needle, from, step);
  std::wstring status;
  if (found) {
    SelectBox(*Model_, found->Box);
    keyboardInUse_ = true;
    if (const TRect* box = BoxOf(*Model_, found->Box)) ScrollIntoView(*box);
    status = FillPattern(Services().Text(bridge::kStrMatchOf), {found->Number, found->Total});
    InvalidateRect(Handle(), nullptr, FALSE);
    SelectionChanged();
  } else if (!needle.empty()) {
    status = Services().Text(bridge::kStrNoMatch);
  }
  if (HWND label = Control(L"lbFindStatus")) SetWindowTextW(label, status.c_str());
}

// ---- keyboard -------------------------------------------------------------

void TMainForm::KeyDown(WORD key, unsigned shift) {
  if (FindBoxKey(key, shift) || DiagramKey(key, shift)) return;
  TBizFormBase::KeyDown(key, shift);
  if (key == kAcknowledgeKey && shift == ui::ssNone)
    AcknowledgeAlarms();
  else if (key == kHistoryKey && shift == ui::ssCtrl)
    btnHistoryClick();
}

bool TMainForm::FindBoxKey(WORD key, unsigned shift) {
  HWND edit = Control(L"edFind");
  if (!edit || GetFocus() != edit) return false;
  if (key == VK_RETURN && (shift == ui::ssNone || shift == ui::ssShift)) {
    FindStep(shift == ui::ssShift ? TFindStep::Previous : TFindStep::Next);
    return true;
  }
  if (key == VK_ESCAPE && shift == ui::ssNone) {
    CloseFind();
    return true;
  }
  // Ctrl with a key is the edit's own (word moves, undo of typing).
  return (shift & ui::ssCtrl) != 0;
}

bool TMainForm::DiagramKey(WORD key, unsigned shift) {
  if (!(shift & ui::ssCtrl)) return false;
  const unsigned more = shift & ~static_cast<unsigned>(ui::ssCtrl);
  if (more == 0) {
    switch (key) {
      case 'F':
        OpenFind();
        return true;
      case '0':
      case VK_NUMPAD0:
        ZoomToFit();
        return true;
      case '1':
      case VK_NUMPAD1: {
        const RECT area = DiagramArea();
        ZoomAbout(100, {area.left, area.top});
        return true;
      }
      case 'Z':
        UndoArrangement();
        return true;
      default:
        break;
    }
  }
  TDirection direction;
  switch (key) {
    case VK_LEFT:
      direction = TDirection::Left;
      break;
    case VK_UP:
      direction = TDirection::Up;
      break;
    case VK_RIGHT:
      direction = TDirection::Right;
      break;
    case VK_DOWN:
      direction = TDirection::Down;
      break;
    default:
      return false;
  }
  if (more == 0) {
    SelectNearest(direction);
    return true;
  }
  const int step = more == ui::ssShift ? kLargeStep : more == (ui::ssShift | ui::ssAlt) ? 1 : 0;
  if (step == 0) return false;
  const int dx = direction == TDirection::Left ? -step : direction == TDirection::Right ? step : 0;
  const int dy = direction == TDirection::Up ? -step : direction == TDirection::Down ? step : 0;
  MoveSelection(dx, dy);
  return true;
}

void TMainForm::SelectNearest(TDirection direction) {
  keyboardInUse_ = true;
  const int32_t k = NearestBox(*Model_, direction);
  if (k > 0) Model_->ZOrder.BringToFront(k);
  if (Model_->ZOrder.Count() > 0)
    if (const TRect* box = BoxOf(*Model_, Model_->ZOrder.Items(0))) ScrollIntoView(*box);
  InvalidateRect(Handle(), nullptr, FALSE);
  SelectionChanged();
}

void TMainForm::SelectionChanged() {
  if (historyForm_) historyForm_->SelectionChanged();
  AnnounceSelectedBox(Handle(), *Model_);
}

void TMainForm::MoveSelection(int dx, int dy) {
  keyboardInUse_ = true;
  if (MoveSelected(*Model_, dx, dy, CanvasRect()))
    ScrollIntoView(*BoxOf(*Model_, Model_->ZOrder.Items(0)));
  InvalidateRect(Handle(), nullptr, FALSE);
}

void TMainForm::OpenNodeMenuAtSelection() {
  if (Model_->ZOrder.Count() == 0) return;
  const TRect* box = BoxOf(*Model_, Model_->ZOrder.Items(0));
  if (!box) return;
  keyboardInUse_ = true;
  ScrollIntoView(*box);
  InvalidateRect(Handle(), nullptr, FALSE);
  UpdateWindow(Handle());
  // At the box's lower left corner, as the mouse would open it on the box.
  const TRect shown = View().ToClient(*box);
  const TPoint screen = ClientToScreen({shown.Left, shown.Bottom});
  BuildServerMenus();
  Popup(screen);
}

}  // namespace topo::window
