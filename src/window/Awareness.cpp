// What helps the operator follow an outage in the topology window: alarm
// pictures that can be acknowledged, the mute switch kept in the host's
// per-user data, the event history (recorded here, shown by THistoryForm)
// and the details of a box in a tooltip.
//
// The tooltip is a tracking tooltip placed by the window: the standard
// placement under the pointer would cover a box being dragged, so while a
// drag lasts it stands beside the box and moves with it.
#include <windows.h>
// after windows.h
#include <commctrl.h>

#include <exception>
#include <optional>

#include "bridge/HostExchange.h"
#include "bridge/ResourceLookup.h"
#include "model/Boxes.h"
#include "model/NodeDetails.h"
#include "win32/Variant.h"
#include "window/MainForm.h"

namespace topo::window {

namespace {

constexpr wchar_t kMuteSetting[] = L"AlarmMute";
constexpr wchar_t kAlarmPictures[][9] = {L"ImgError", L"imgWarn"};
// Where the tooltip stands: below right of the pointer, or beside a dragged box.
constexpr POINT kPointerGap{12, 20};
constexpr int kBoxGap = 8;

}  // namespace

TBoxName TMainForm::SelectedBox() const {
  if (Model_->ZOrder.Count() == 0) return {};
  const ZOrderEntry& entry = Model_->ZOrder.Items(0);
  const TARNode& node = Model_->Items(entry.ARIndex);
  if (entry.ASIndex < 0) return {node.Name(), {}};
  return {node.Name(), node.SubASs.Items(entry.ASIndex).Name()};
}

// ---- Acknowledge and mute ---------------------------------------------------

void TMainForm::AcknowledgeAlarms() {
  bool acknowledged = false;
  if (ImageShown(L"ImgError")) {
    alarms_.AcknowledgeError();
    MarkImage(L"ImgError", true);
    acknowledged = true;
  }
  if (ImageShown(L"imgWarn")) {
    alarms_.AcknowledgeWarning(DownLinks(*Model_));
    MarkImage(L"imgWarn", true);
    acknowledged = true;
  }
  if (acknowledged) Services().PlayAlarm(nullptr);  // its sound stops
}

bool TMainForm::AlarmClick(int x, int y) {
  const POINT at{x + ScrollPosition(SB_HORZ), y + ScrollPosition(SB_VERT)};
  for (const wchar_t* name : kAlarmPictures) {
    const ui::FormImage* image = Image(name);
    if (!image || !image->Visible() || !PtInRect(&image->Bounds(), at)) continue;
    if (image->Name() == L"ImgError")
      alarms_.AcknowledgeError();
    else
      alarms_.AcknowledgeWarning(DownLinks(*Model_));
    MarkImage(name, true);
    Services().PlayAlarm(nullptr);
    return true;
  }
  return false;
}

void TMainForm::ReadMute() {
  const win32::Variant value = bridge::ReadValue(GetPersonalData(), "PersonalData", kMuteSetting);
  // As with the view settings, what is no integer counts as none.
  const std::optional<LONG> number = value.IsEmpty() ? std::nullopt : bridge::Int32Of(value.Get());
  alarms_.Muted = number.value_or(0) != 0;
  if (HWND mute = Control(L"cbMute"))
    SendMessageW(mute, BM_SETCHECK, alarms_.Muted ? BST_CHECKED : BST_UNCHECKED, 0);
}

void TMainForm::BindAwareness() {
  // A resource file's older layout may lack them: what it lacks is not offered
  // (F8 and Ctrl+H still work).
  if (HWND mute = Control(L"cbMute")) {
    SetWindowTextW(mute, Services().Text(bridge::kStrMute).c_str());
    SetClickHandler(mute, [this](HWND) { cbMuteClick(); });
  }
  if (HWND history = Control(L"btnHistory")) {
    SetWindowTextW(history, Services().Text(bridge::kStrHistory).c_str());
    SetClickHandler(history, [this](HWND) { btnHistoryClick(); });
  }
}

void TMainForm::cbMuteClick() {
  HWND mute = Control(L"cbMute");
  alarms_.Muted = SendMessageW(mute, BM_GETCHECK, 0, 0) == BST_CHECKED;
  if (alarms_.Muted) Services().PlayAlarm(nullptr);
  bridge::WriteValue(GetPersonalData(), "PersonalData", kMuteSetting,
                     win32::Variant::Int16(alarms_.Muted).Get());
}

// ---- The history ------------------------------------------------------------

void TMainForm::StartHistory(const std::string& personalDir) {
  recorder_ = std::make_unique<EventRecorder>(historyStore_, historyCodec_, personalDir);
  recorder_->LoadDay(LocalNow());
}

void TMainForm::SetHistoryCapacity(size_t events) {
  if (recorder_) recorder_->SetCapacity(events);
}

void TMainForm::RecordRefresh(bool ok) {
  if (!recorder_) return;
  recorder_->Refreshed(*Model_, ok, LocalNow());
  if (historyForm_) historyForm_->Update();
}

void TMainForm::RecordAction(TEventKind kind, bool isAS, const std::string& node,
                             const std::string& arNode, LONG instance, const std::string& answer,
                             const std::string& actor) {
  if (!recorder_) return;
  THistoryEvent e;
  e.Time = LocalNow();
  e.Kind = kind;
  e.IsAS = isAS;
  e.Node = node;
  e.ARNode = arNode;
  e.Instance = instance;
  e.Text = answer;
  e.Actor = actor;
  recorder_->Record(std::move(e));
  if (historyForm_) historyForm_->Update();
}

void TMainForm::btnHistoryClick() {
  if (!recorder_) return;
  if (!historyForm_) {
    const HMODULE source = bridge::LayoutSource(Services().ResourceSource(), Services().Self(),
                                                bridge::kHistoryFormLayout);
    historyForm_ = std::make_unique<THistoryForm>(source, recorder_->History(),
                                                  [this] { return SelectedBox(); });
    // Above the host's window while it is open, and minimized with it.
    historyForm_->SetOwner(GetAncestor(Handle(), GA_ROOT));
  }
  historyForm_->Show();
}

// ---- The tooltip ------------------------------------------------------------

void TMainForm::MakeTooltip() {
  INITCOMMONCONTROLSEX classes{sizeof classes, ICC_BAR_CLASSES};
  InitCommonControlsEx(&classes);
  HWND tip = CreateWindowExW(WS_EX_TOPMOST, TOOLTIPS_CLASSW, nullptr,
                             WS_POPUP | TTS_NOPREFIX | TTS_ALWAYSTIP, CW_USEDEFAULT, CW_USEDEFAULT,
                             CW_USEDEFAULT, CW_USEDEFAULT, Handle(), nullptr, nullptr, nullptr);
  if (!tip) return;  // the details are a help, not a need
  tooltip_.reset(tip);
  TTTOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;  // also understood by the older common controls
  tool.uFlags = TTF_TRACK | TTF_ABSOLUTE;
  tool.hwnd = Handle();
  tool.uId = 1;
  tool.lpszText = const_cast<wchar_t*>(L"");
  SendMessageW(tip, TTM_ADDTOOLW, 0, reinterpret_cast<LPARAM>(&tool));
  SendMessageW(tip, TTM_SETMAXTIPWIDTH, 0, 480);
}

void TMainForm::RefreshTooltip() {
  if (!tooltip_ || hovered_.ARIndex < 0) return;
  const HMODULE strings = Services().ResourceSource();
  const auto label = [strings](UINT id) { return bridge::LoadPluginStringCp936(strings, id); };
  TDetailLabels labels;
  labels.ARNode = label(bridge::kStrARNode);
  labels.Running = label(bridge::kStrRunning);
  labels.NoneRunning = label(bridge::kStrNoneRunning);
  labels.Links = label(bridge::kStrLinks);
  labels.Up = label(bridge::kStrLinkUp);
  labels.Down = label(bridge::kStrLinkDown);
  labels.LastChange = label(bridge::kStrLastChange);
  std::optional<TLocalTime> changed;
  if (recorder_ && hovered_.ARIndex < Model_->Count()) {
    const TARNode& node = Model_->Items(hovered_.ARIndex);
    const bool server = hovered_.ASIndex >= 0 && hovered_.ASIndex < node.SubASs.Count();
    changed = LastChange(recorder_->History(), node.Name(),
                         server ? node.SubASs.Items(hovered_.ASIndex).Name() : std::string());
  }
  const std::string text = NodeDetails(*Model_, hovered_, labels, changed);
  if (text.empty()) {
    HideTooltip();
    return;
  }
  tooltipText_ = win32::WideFromCp936(text);
  TTTOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.hwnd = Handle();
  tool.uId = 1;
  tool.lpszText = tooltipText_.data();
  SendMessageW(tooltip_.get(), TTM_UPDATETIPTEXTW, 0, reinterpret_cast<LPARAM>(&tool));
}

void TMainForm::HoverAt(int x, int y) {
  if (!tooltip_ || Model_->ZOrder.Count() == 0) return;
  POINT at{};
  ZOrderEntry box{};
  if (Model_->Dragging) {
    box = Model_->ZOrder.Items(0);
    const TRect* shown = BoxOf(*Model_, box);
    if (!shown) return;
    const TRect r = DiagramToClient(*shown);
    at = {r.Right + kBoxGap, r.Top};
    RECT client;
    GetClientRect(Handle(), &client);
    if (at.x + 200 > client.right) at.x = r.Left - kBoxGap - 200;
  } else {
    const std::optional<TPoint> point = View().ToDiagram({x, y});
    const int32_t k = point ? Model_->NodeAt(point->x, point->y) : -1;
    if (k < 0) {
      HideTooltip();
      return;
    }
    box = Model_->ZOrder.Items(k);
    // Over the same box the tip stays where it came up.
    if (box == hovered_) return;
    at = {x + kPointerGap.x, y + kPointerGap.y};
  }
  if (!(box == hovered_)) {
    hovered_ = box;
    RefreshTooltip();
    if (hovered_.ARIndex < 0) return;
  }
  ::ClientToScreen(Handle(), &at);
  SendMessageW(tooltip_.get(), TTM_TRACKPOSITION, 0, MAKELPARAM(at.x, at.y));
  TTTOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.hwnd = Handle();
  tool.uId = 1;
  SendMessageW(tooltip_.get(), TTM_TRACKACTIVATE, TRUE, reinterpret_cast<LPARAM>(&tool));
  if (!trackingLeave_) {
    TRACKMOUSEEVENT leave{sizeof leave, TME_LEAVE, Handle(), 0};
    trackingLeave_ = TrackMouseEvent(&leave) != FALSE;
  }
}

void TMainForm::HideTooltip() {
  hovered_ = {-1, -1};
  if (!tooltip_) return;
  TTTOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.hwnd = Handle();
  tool.uId = 1;
  SendMessageW(tooltip_.get(), TTM_TRACKACTIVATE, FALSE, reinterpret_cast<LPARAM>(&tool));
}

}  // namespace topo::window
