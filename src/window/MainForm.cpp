// The topology window's lifecycle, mouse glue, refresh cycle and alarms. The
// mouse reaches the model in diagram coordinates through the view, so that
// hit testing and dragging follow the zoom.
#include "window/MainForm.h"

#include <commctrl.h>

#include <algorithm>
#include <chrono>
#include <optional>

#include "bridge/HostExchange.h"
#include "bridge/ResourceLookup.h"
#include "model/Boxes.h"
#include "model/TextFields.h"
#include "win32/Cp936.h"
#include "win32/GdiCanvas.h"
#include "win32/GdiHandles.h"
#include "win32/MsxmlDocument.h"
#include "win32/UnpackerReportReader.h"
#include "win32/Variant.h"
#include "window/DiagramAccessible.h"

namespace topo::window {

namespace {

// The toolbar in the order the window remembers it.
constexpr const wchar_t* kToolbarNames[TMainForm::kToolbarCount] = {
    L"lbTimer",      L"edTimer",       L"udTimer",     L"btnRefresh", L"lbWidth",
    L"edWidth",      L"udWidth",       L"lbHeight",    L"edHeight",   L"udHeight",
    L"btnSaveDatum", L"cbDisplayLine", L"btnReLocate", L"lbTimer2"};

// The client point of a mouse message (windowsx.h would bring macros that
// clash with the canvas's names).
int XOf(LPARAM lParam) { return static_cast<short>(LOWORD(lParam)); }
int YOf(LPARAM lParam) { return static_cast<short>(HIWORD(lParam)); }

TMouseButton ButtonOf(UINT message) {
  switch (message) {
    case WM_RBUTTONDOWN:
    case WM_RBUTTONUP:
      return TMouseButton::Right;
    case WM_MBUTTONDOWN:
    case WM_MBUTTONUP:
      return TMouseButton::Middle;
    default:
      return TMouseButton::Left;
  }
}

}  // namespace

TMainForm::TMainForm(bridge::ModuleServices& module)
    : TBizFormBase(bridge::LoadFormLayout(module.ResourceSource(), bridge::kMainFormLayout),
                   module),
      Model_(std::make_unique<TARNodeList>()),
      random_(static_cast<std::mt19937::result_type>(
          std::chrono::steady_clock::now().time_since_epoch().count())) {
  for (int i = 0; i < kToolbarCount; ++i) {
    HWND control = Control(kToolbarNames[i]);
    if (!control) throw std::runtime_error("the window layout lacks a toolbar control");
    ToolbarControls_[i] = control;
    GetWindowRect(control, &ToolbarBounds_[i]);
    MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&ToolbarBounds_[i]), 2);
  }
  SetClickHandler(Control(L"btnRefresh"), [this](HWND) { btnRefreshClick(); });
  SetClickHandler(Control(L"cbDisplayLine"), [this](HWND) { cbDisplayLineClick(); });
  SetChangeHandler(Control(L"edTimer"), [this](HWND) { edTimerChange(); });
  SetChangeHandler(Control(L"edWidth"), [this](HWND) { edWidthChange(); });
  SetChangeHandler(Control(L"edHeight"), [this](HWND) { edHeightChange(); });
  BindCommands();
  BindDiagramCommands();
  BindAwareness();
}

TMainForm::~TMainForm() = default;

void TMainForm::AfterAttach() {
  // Made once the window is the host's child, so that the tip's owner is the
  // host's top-level window, above which it must show.
  MakeTooltip();
  // The baseline's folder, from the host's memory configuration.
  const auto memConfig =
      bridge::HostService<host::IMemConfig>(AppFrame(), L"MemConfig", host::IID_IMemConfig);
  const std::string personalDir =
      win32::VariantText(bridge::ReadValue(memConfig.Get(), "MemConfig", L"PersonalDataDir").Get());
  DatumPath_ = personalDir + "DatumNode.xml";

  try {
    Model_->LoadFromFile(DatumPath_, win32::MsxmlDocument::Factory());
    Model_->ResolveLinks();
  } catch (const std::exception& e) {
    Services().ShowError(e.what(), Handle());
  }

  ReadSetting(L"TimerInterval", L"udTimer", 5);
  ReadSetting(L"ScrollWidth", L"udWidth", 800);
  ReadSetting(L"ScrollHeight", L"udHeight", 600);
  ReadZoomSetting();
  UpdateScrollRanges();
  ReadMute();
  settingsRead_ = true;
  StartHistory(personalDir);

  ErrorSound_ = LoadSound("ERROR_WAV");
  WarnSound_ = LoadSound("WARN_WAV");
  RefreshStatus();
  SetTimer(true, timerInterval_);
}

const void* TMainForm::LoadSound(const char* name) const {
  // From this module itself: the sounds are not part of a resource file.
  HMODULE self = Services().Self();
  HRSRC found = FindResourceA(self, name, MAKEINTRESOURCEA(10));
  if (!found) return nullptr;
  HGLOBAL loaded = LoadResource(self, found);
  return loaded ? LockResource(loaded) : nullptr;
}

void TMainForm::cbDisplayLineClick() { btnRefreshClick(); }

void TMainForm::btnRefreshClick() {
  if (groupRunning_) {
    refreshSkipped_ = true;
    return;
  }
  RefreshStatus();
  InvalidateRect(Handle(), nullptr, FALSE);
}

void TMainForm::RefreshStatus() {
  bool ok = false;
  try {
    ok = RequestAndMerge(*this, *Model_, CanvasRect());
  } catch (...) {
    // A failed refresh is reported by the error picture and sound only.
  }
  ShowImage(L"ImgError", !ok);
  RecordRefresh(ok);
  // An acknowledged outage keeps its picture where the operator clicked it, silent.
  const TAlarmTick tick = alarms_.ErrorTick(!ok);
  MarkImage(L"ImgError", tick.Acknowledged);
  if (!ok && !tick.Acknowledged) AlarmPlacement(L"ImgError");
  if (tick.Sound && ErrorSound_) Services().PlayAlarm(ErrorSound_);
}

void TMainForm::TimerTimer() {
  // The exchange carries one request at a time: a command on all instances
  // keeps it until it ends, and then refreshes once in the skipped ticks' place.
  if (groupRunning_) {
    refreshSkipped_ = true;
    return;
  }
  RefreshStatus();
  InvalidateRect(Handle(), nullptr, FALSE);
  RefreshTooltip();
  // A layout may lack either picture (a resource file of the operator's):
  // a missing one counts as not shown, and its sound still plays.
  const bool error = ImageShown(L"ImgError");
  const bool warn = InactiveLinkDrawn_ && !error;
  ShowImage(L"imgWarn", warn);
  // While the network cannot be reached the model is not current: the
  // warning's acknowledgement waits for the next answer.
  TAlarmTick tick;
  if (!error) {
    const TLinkSet down = warn ? DownLinks(*Model_) : TLinkSet();
    tick = alarms_.WarningTick(down);
    // A picture drawn from the paint before this refresh, whose links have
    // mended since, still sounds as it always did.
    if (warn && down.empty()) tick = {false, !alarms_.Muted};
  }
  MarkImage(L"imgWarn", tick.Acknowledged);
  if (warn) {
    InactiveLinkDrawn_ = false;
    if (!tick.Acknowledged) AlarmPlacement(L"imgWarn");
    if (tick.Sound && WarnSound_) Services().PlayAlarm(WarnSound_);
  }
}

bool TMainForm::ImageShown(const wchar_t* image) const {
  const ui::FormImage* picture = Image(image);
  return picture && picture->Visible();
}

void TMainForm::AlarmPlacement(const wchar_t* image) {
  const ui::FormImage* picture = Image(image);
  if (!picture) return;
  RECT client;
  GetClientRect(Handle(), &client);
  const RECT& bounds = picture->Bounds();
  const SIZE size{bounds.right - bounds.left, bounds.bottom - bounds.top};
  // A client area no larger than the picture leaves it at 0 on that axis.
  const auto draw = [this](LONG range) {
    return range > 0 ? std::uniform_int_distribution<LONG>(0, range - 1)(random_) : 0L;
  };
  const LONG x = draw(client.right - size.cx);
  const LONG y = draw(client.bottom - size.cy);
  MoveImage(image, x + ScrollPosition(SB_HORZ), y + ScrollPosition(SB_VERT));
}

TPoint TMainForm::ClientToScreen(TPoint client) {
  POINT p{client.x, client.y};
  ::ClientToScreen(Handle(), &p);
  return {p.x, p.y};
}

// The model is given diagram points with no scroll, so that a drag moves a
// box by diagram units at any zoom; at 100% the point is client + scroll, as
// the model would make it. The button-up call keeps the client point, which
// the node menu opens at, and passes the rest of the diagram point as scroll.
void TMainForm::FormMouseDown(TMouseButton button, int x, int y) {
  HideTooltip();
  if (keyboardInUse_) {
    keyboardInUse_ = false;
    InvalidateRect(Handle(), nullptr, FALSE);
  }
  if (const std::optional<TPoint> at = View().ToDiagram({x, y}))
    Model_->MouseDown(button, at->x, at->y, 0, 0);
  if (historyForm_) historyForm_->SelectionChanged();
  if (Model_->Dragging) AnnounceSelectedBox(Handle(), *Model_);  // a box was picked
}

void TMainForm::FormMouseMove(int x, int y) {
  const std::optional<TPoint> at = View().ToDiagram({x, y});
  if (!at) return;
  Model_->MouseMove(at->x, at->y, CanvasRect(), 0, 0);
  if (Model_->Dragging) InvalidateRect(Handle(), nullptr, FALSE);
  HoverAt(x, y);
}

void TMainForm::FormMouseUp(TMouseButton button, int x, int y) {
  const std::weak_ptr<void> alive = Liveness();
  const std::optional<TPoint> at = View().ToDiagram({x, y});
  if (at) {
    Model_->MouseUp(button, x, y, WrapSub(at->x, x), WrapSub(at->y, y), *this);
  } else {
    Model_->Dragging = 0;
  }
  // The node menu's command may have ended with the window closed.
  if (!alive.expired()) InvalidateRect(Handle(), nullptr, FALSE);
}

void TMainForm::FormDestroy() {
  if (destroyed_) return;
  destroyed_ = true;
  KillTimer(Handle(), kTimerId);
  // The history window belongs to this window and closes with it.
  historyForm_.reset();
  progressForm_.reset();
  tooltip_.reset();
  // A window whose attaching failed before the settings were read would write
  // its defaults over the operator's settings: it writes nothing.
  if (!settingsRead_) return;
  host::IDataContainer* personal = GetPersonalData();
  for (auto [key, upDown] :
       {std::pair{L"TimerInterval", L"udTimer"}, std::pair{L"ScrollWidth", L"udWidth"},
        std::pair{L"ScrollHeight", L"udHeight"}}) {
    const std::pair<std::wstring, int> untouched(key, UpDownPosition(upDown));
    if (std::find(unreadSettings_.begin(), unreadSettings_.end(), untouched) !=
        unreadSettings_.end())
      continue;
    bridge::WriteValue(personal, "PersonalData", key,
                       win32::Variant::Int16(static_cast<SHORT>(UpDownPosition(upDown))).Get());
  }
  const std::pair<std::wstring, int> untouchedZoom(L"Zoom", zoomPercent_);
  if (std::find(unreadSettings_.begin(), unreadSettings_.end(), untouchedZoom) ==
      unreadSettings_.end())
    bridge::WriteValue(personal, "PersonalData", L"Zoom",
                       win32::Variant::Int16(static_cast<SHORT>(zoomPercent_)).Get());
}

query::TFormStatus& TMainForm::StatusDialog() {
  if (!statusDialog_)
    statusDialog_ = std::make_unique<query::TFormStatus>(Services().ResourceSource());
  return *statusDialog_;
}

LRESULT TMainForm::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_TIMER:
      if (wParam == kTimerId) {
        TimerTimer();
        return 0;
      }
      break;
    case WM_SIZE: {
      LRESULT r = TBizFormBase::WindowProc(message, wParam, lParam);
      FormResize();
      return r;
    }
    case WM_ERASEBKGND:
      return 1;  // the paint fills its own background, in the back buffer
    case WM_MOUSEWHEEL:
      if (GET_KEYSTATE_WPARAM(wParam) & MK_CONTROL) {
        POINT at{XOf(lParam), YOf(lParam)};
        ScreenToClient(Handle(), &at);
        const int notches = GET_WHEEL_DELTA_WPARAM(wParam) / WHEEL_DELTA;
        if (notches != 0) ZoomAbout(ZoomStep(zoomPercent_, notches), at);
        return 0;
      }
      break;
    case WM_CONTEXTMENU:
      // Shift+F10 and the menu key (a mouse's right click opens the node
      // menu on its own, on the box it hit).
      if (lParam == -1) {
        OpenNodeMenuAtSelection();
        return 0;
      }
      break;
    case WM_LBUTTONDOWN:
      if (AlarmClick(XOf(lParam), YOf(lParam))) return 0;
      [[fallthrough]];
    case WM_RBUTTONDOWN:
    case WM_MBUTTONDOWN:
      SetCapture(Handle());
      FormMouseDown(ButtonOf(message), XOf(lParam), YOf(lParam));
      return 0;
    case WM_MOUSEMOVE:
      FormMouseMove(XOf(lParam), YOf(lParam));
      return 0;
    case WM_MOUSELEAVE:
      trackingLeave_ = false;
      if (!Model_->Dragging) HideTooltip();
      return 0;
    case WM_LBUTTONUP:
    case WM_RBUTTONUP:
    case WM_MBUTTONUP:
      if (GetCapture() == Handle()) ReleaseCapture();
      FormMouseUp(ButtonOf(message), XOf(lParam), YOf(lParam));
      return 0;
    case WM_GETOBJECT:
      if (LRESULT answer =
              accessible_.Answer(wParam, lParam, [this] { return MakeDiagramAccessible(*this); }))
        return answer;
      break;
    case WM_DESTROY:
      accessible_.Disconnect();
      FormDestroy();
      break;
  }
  return TBizFormBase::WindowProc(message, wParam, lParam);
}

}  // namespace topo::window
