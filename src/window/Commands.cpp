// The topology window's commands: the node menu and its instance entries,
// start, stop and restart through the administrative server, the status
// dialog, removal, saving the baseline, re-arranging the diagram in a grid or
// in the tidy layout, and taking the last re-arrangement back.
//
// Every command acts on the box the operator clicked: names are not unique
// across AR nodes (two AR nodes may each hold a server "quote"), so the status
// query and removal take the selected entry's own AR node rather than the
// first one holding that name.
//
// A command on all instances pumps messages between two instances, so that
// the host paints and answers; the node menu, the refresh button and the
// timer could then start a request of their own on the one ARCom, packer and
// unpacker every request shares, so while it runs they wait (the menu does
// not open, refreshes are skipped and made up for once at the end).
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "bridge/HostExchange.h"
#include "bridge/ResourceLookup.h"
#include "model/ServerCommands.h"
#include "model/StatusAnswer.h"
#include "model/TidyLayout.h"
#include "win32/CheckedCall.h"
#include "win32/Cp936.h"
#include "win32/MsxmlDocument.h"
#include "win32/UnpackerReportReader.h"
#include "win32/Variant.h"
#include "win32/Win32FileStore.h"
#include "window/MainForm.h"
#include "window/PasswordQuery.h"
#include "window/TextPattern.h"

namespace topo::window {

namespace {

using win32::Check;

constexpr LONG kStopFunction = 51210;
constexpr LONG kStartFunction = 51211;
constexpr LONG kRestartFunction = 51212;
constexpr LONG kSendTimeout = 2000;
constexpr LONG kAnswerTimeout = 3000;
constexpr char kEnabledListFile[] = "ARASList.xml";

// Entries before the instance entries of a sub-menu: "全部" and a separator.
constexpr int kFixedEntries = 2;

// How long one pump between two instances may take at most: a window that
// keeps asking to be painted must not hold the command.
constexpr DWORD kPumpLimitMs = 100;

}  // namespace

void TMainForm::BindCommands() {
  SetMenuHandler(L"muiStatus", [this](int) { muiStatusClick(); });
  SetMenuHandler(L"muiRemove", [this](int) { muiRemoveClick(); });
  SetMenuHandler(L"muiStartAll", [this](int tag) { muiStartClick(tag); });
  SetMenuHandler(L"muiStopAll", [this](int tag) { muiStopClick(tag); });
  SetMenuHandler(L"muiRestartAll", [this](int tag) { muiRestartClick(tag); });
  SetClickHandler(Control(L"btnSaveDatum"), [this](HWND) { btnSaveDatumClick(); });
  SetClickHandler(Control(L"btnReLocate"), [this](HWND) { btnReLocateClick(); });
}

void TMainForm::BuildServerMenus() {
  ui::PopupMenu* start = Menu(L"muiStart");
  ui::PopupMenu* stop = Menu(L"muiStop");
  ui::PopupMenu* restart = Menu(L"muiRestart");
  if (!start || !stop || !restart)
    throw std::runtime_error("the window layout lacks the node menu");
  for (ui::PopupMenu* menu : {start, stop, restart}) menu->Truncate(kFixedEntries);
  for (int n : StoppedInstances(*Model_))
    start->Add(std::to_wstring(n), n, [this](int tag) { muiStartClick(tag); });
  for (int k : RunningInstances(*Model_)) {
    stop->Add(std::to_wstring(k), k, [this](int tag) { muiStopClick(tag); });
    restart->Add(std::to_wstring(k), k, [this](int tag) { muiRestartClick(tag); });
  }
}

void TMainForm::Popup(TPoint screen) {
  if (RefusedWhileGroupRuns()) return;
  ui::PopupMenu* menu = Menu(L"PopupMenu");
  if (menu) menu->Popup(Handle(), {screen.x, screen.y});
}

HWND TMainForm::DialogOwner() const {
  HWND owner = Services().ApplicationWindow();
  return owner ? owner : GetAncestor(Handle(), GA_ROOT);
}

void TMainForm::SetAdminAddress() {
  const auto login =
      bridge::HostService<host::IDataContainer>(AppFrame(), L"LoginInfo", host::IID_IDataContainer);
  const auto read = [&login](const wchar_t* key) {
    return win32::VariantText(bridge::ReadValue(login.Get(), "LoginInfo", key).Get());
  };
  const std::string adminAR = read(L"AdminAR");
  const std::string adminAS = read(L"AdminAS");
  // Who sends the request, for the history: the host need not say, so a read
  // that fails leaves the actor out rather than the request.
  loginName_.clear();
  try {
    const win32::Variant name = bridge::ReadValue(login.Get(), "LoginInfo", L"LoginName");
    if (name.Type() == VT_BSTR) loginName_ = win32::VariantText(name.Get());
  } catch (const win32::EHostCallError&) {
  }
  bridge::SetDestination(bridge::RequireARCom(*this), kAddressServer,
                         AdminAddress(adminAR, adminAS));
}

TMainForm::TRequestAnswer TMainForm::ControlRequest(LONG function, LONG kind,
                                                    const std::string& name, LONG number,
                                                    const win32::SecretText* password) {
  SetAdminAddress();
  bridge::TRequest request;
  request.function = function;
  request.namesPacker = true;
  request.pack = [&](host::IPackerDisp& packer) {
    Check(packer.AddValue(win32::Variant::Int32(kind).Get()), "AddValue");
    Check(packer.AddValue(win32::Variant::String(win32::WideFromCp936(name)).Get()), "AddValue");
    Check(packer.AddValue(win32::Variant::Int32(number).Get()), "AddValue");
    if (!password) return;
    // The VARIANT only borrows the BSTR, which wipes itself when freed.
    win32::SecretBStr secret(*password);
    VARIANT value;
    VariantInit(&value);
    value.vt = VT_BSTR;
    value.bstrVal = secret.Get();
    Check(packer.AddValue(value), "AddValue");
  };
  // The packet carries the password too.
  request.secret = password != nullptr;
  request.sendTimeout = kSendTimeout;
  request.answerTimeout = kAnswerTimeout;
  const win32::Variant answer = bridge::SendAndReceive(*this, request);
  host::IUnpackerDisp* unpacker = bridge::OpenAnswer(*this, answer);
  TRequestAnswer result;
  Check(unpacker->GetReturnCode(&result.code), "GetReturnCode");
  if (result.code == 0) return result;
  win32::UnpackerReportReader reader(unpacker);
  result.refusal = reader.FieldText("error_info");
  return result;
}

std::string TMainForm::CommandARNode(LONG kind, const std::string& name) const {
  if (!kind) return {};
  return Model_->SelectedIsAS() && Model_->SelectedName() == name ? Model_->SelectedParentARName()
                                                                  : Model_->FindParentARName(name);
}

void TMainForm::RecordedRequest(LONG function, LONG kind, const std::string& name, LONG number,
                                const win32::SecretText* password, const std::string& arNode) {
  const TEventKind event = function == kStartFunction  ? TEventKind::StartSent
                           : function == kStopFunction ? TEventKind::StopSent
                                                       : TEventKind::RestartSent;
  loginName_.clear();
  TRequestAnswer answer;
  try {
    answer = ControlRequest(function, kind, name, number, password);
  } catch (const std::exception& failure) {
    RecordAction(event, kind != 0, name, arNode, number, failure.what(), loginName_);
    throw;
  }
  // Recorded before the box, whose message loop may see the window closed.
  RecordAction(event, kind != 0, name, arNode, number,
               answer.code == 0         ? std::string()
               : answer.refusal.empty() ? std::to_string(answer.code)
                                        : answer.refusal,
               loginName_);
  if (answer.code != 0) Services().ShowError(answer.refusal.c_str(), Handle());
}

void TMainForm::StartServer(LONG kind, const std::string& name, LONG number,
                            const win32::SecretText& password) {
  RecordedRequest(kStartFunction, kind, name, number, &password, CommandARNode(kind, name));
}

void TMainForm::StopServer(LONG kind, const std::string& name, LONG number) {
  RecordedRequest(kStopFunction, kind, name, number, nullptr, CommandARNode(kind, name));
}

void TMainForm::RestartServer(LONG kind, const std::string& name, LONG number,
                              const win32::SecretText& password) {
  RecordedRequest(kRestartFunction, kind, name, number, &password, CommandARNode(kind, name));
}

bool TMainForm::RefusedWhileGroupRuns() const {
  if (groupRunning_) MessageBeep(MB_OK);
  return groupRunning_;
}

void TMainForm::GroupCommand(LONG function, LONG kind, const std::string& name,
                             const std::vector<int>& instances, const win32::SecretText* password) {
  if (instances.empty()) return;
  const std::weak_ptr<void> alive = Liveness();
  // Taken now: the operator may select another box while the command runs.
  const std::string arNode = CommandARNode(kind, name);
  const std::wstring pattern =
      Services().Text(function == kStartFunction  ? bridge::kStrProgressStart
                      : function == kStopFunction ? bridge::kStrProgressStop
                                                  : bridge::kStrProgressRestart);
  const HMODULE source = bridge::LayoutSource(Services().ResourceSource(), Services().Self(),
                                              bridge::kProgressFormLayout);
  progressForm_ = std::make_unique<TProgressForm>(
      bridge::LoadFormLayout(source, bridge::kProgressFormLayout), source,
      Services().Text(bridge::kStrProgress), Services().Text(bridge::kStrCancel));
  // Above the host's window, as the history window is.
  progressForm_->SetOwner(GetAncestor(Handle(), GA_ROOT));
  // However the command ends (a failed request throws), but nothing of a
  // window that has gone.
  struct EndGroup {
    TMainForm& form;
    const std::weak_ptr<void>& alive;
    void operator()() const {
      if (alive.expired()) return;
      form.groupRunning_ = false;
      form.progressForm_.reset();
    }
    ~EndGroup() { (*this)(); }
  } endGroup{*this, alive};
  groupRunning_ = true;
  refreshSkipped_ = false;
  progressForm_->ShowOver(Handle());
  const int total = static_cast<int>(instances.size());
  for (int i = 0; i < total; ++i) {
    progressForm_->SetStep(FillPattern(pattern, {i + 1, total}, win32::WideFromCp936(name)));
    if (!PumpBetweenInstances(alive)) break;
    RecordedRequest(function, kind, name, instances[static_cast<size_t>(i)], password, arNode);
    if (alive.expired()) return;
  }
  if (alive.expired()) return;
  const bool catchUp = refreshSkipped_;
  endGroup();
  if (catchUp && !Closing()) TimerTimer();
}

bool TMainForm::PumpBetweenInstances(const std::weak_ptr<void>& alive) {
  const DWORD start = GetTickCount();
  MSG msg;
  while (!alive.expired() && GetTickCount() - start < kPumpLimitMs &&
         PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
    if (msg.message == WM_QUIT) {
      // The host is ending: its own loop must see the quit too.
      PostQuitMessage(static_cast<int>(msg.wParam));
      return false;
    }
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  // A window whose close was asked for sends nothing more, though it may
  // still live when the pump's time ran out before its last message.
  return !alive.expired() && !Closing() && progressForm_ && !progressForm_->Cancelled();
}

bool TMainForm::AskStartupPassword(win32::SecretText& password) {
  const HMODULE strings = Services().ResourceSource();
  const std::string prompt = StartupPrompt(
      bridge::LoadPluginStringCp936(strings, bridge::kStrStartupPassword), Model_->SelectedName());
  return PasswordQuery(bridge::LoadPluginStringCp936(strings, bridge::kStrPleaseEnter), prompt,
                       password, DialogOwner(), strings);
}

// The timer keeps refreshing while the password dialog is open, so the
// selection is read again once it has closed. The host may close the window
// inside any modal loop of a command (the password dialog, a refusal's box):
// the window is then gone when the loop returns, and the command goes on
// only while its window lives.
void TMainForm::muiStartClick(int tag) {
  if (RefusedWhileGroupRuns()) return;
  const std::weak_ptr<void> alive = Liveness();
  win32::SecretText password;
  if (!AskStartupPassword(password) || alive.expired()) return;
  const LONG kind = Model_->SelectedIsAS();
  const std::string name = Model_->SelectedName();
  if (tag >= 0) {
    StartServer(kind, name, tag, password);
    return;
  }
  // "全部" under "启动" starts what the menu offers: the instances not running.
  GroupCommand(kStartFunction, kind, name, StoppedInstances(*Model_), &password);
}

void TMainForm::muiStopClick(int tag) {
  if (RefusedWhileGroupRuns()) return;
  const LONG kind = Model_->SelectedIsAS();
  const std::string name = Model_->SelectedName();
  if (tag >= 0) {
    StopServer(kind, name, tag);
    return;
  }
  GroupCommand(kStopFunction, kind, name, RunningInstances(*Model_), nullptr);
}

void TMainForm::muiRestartClick(int tag) {
  if (RefusedWhileGroupRuns()) return;
  const std::weak_ptr<void> alive = Liveness();
  win32::SecretText password;
  if (!AskStartupPassword(password) || alive.expired()) return;
  const LONG kind = Model_->SelectedIsAS();
  const std::string name = Model_->SelectedName();
  if (tag >= 0) {
    RestartServer(kind, name, tag, password);
    return;
  }
  GroupCommand(kRestartFunction, kind, name, RunningInstances(*Model_), &password);
}

void TMainForm::muiStatusClick() {
  if (RefusedWhileGroupRuns()) return;
  const LONG kind = Model_->SelectedIsAS();
  const std::string name = Model_->SelectedName();
  const std::string parent = Model_->SelectedParentARName();
  host::IDataContainer* temp = GetTempData();
  const auto write = [temp](const wchar_t* key, const win32::Variant& value) {
    bridge::WriteValue(temp, "TempData", key, value.Get());
  };
  write(L"ClickedSvrType", win32::Variant::Int32(kind));
  write(L"ClickedSvrName", win32::Variant::String(win32::WideFromCp936(name)));
  write(L"ClickedSvrNo", win32::Variant::Int32(Model_->SelectedActiveNo(0)));
  write(L"ClickedParentARName", win32::Variant::String(win32::WideFromCp936(parent)));
  // The last step: nothing of the window is touched after the dialog.
  ShowStatusDialog(name, RunningInstances(*Model_));
}

void TMainForm::ShowStatusDialog(const std::string& name, const std::vector<int>& instances) {
  query::TFormStatus& dialog = StatusDialog();
  dialog.HostForm = this;
  dialog.SetServerCaption(name);
  dialog.SetInstances(instances);
  dialog.ShowModal(DialogOwner());
}

void TMainForm::muiRemoveClick() {
  if (RefusedWhileGroupRuns()) return;
  TARNodeList::RemoveResult result = TARNodeList::RemoveResult::NotFound;
  const TBoxName box = SelectedBox();
  try {
    result = Model_->RemoveSelected();
    if (result == TARNodeList::RemoveResult::Removed) {
      HideTooltip();
      const bool server = !box.Server.empty();
      RecordAction(TEventKind::NodeRemoved, server, server ? box.Server : box.ARNode,
                   server ? box.ARNode : std::string());
    }
    Model_->ResolveLinks();
    InvalidateRect(Handle(), nullptr, FALSE);
  } catch (...) {
    // Removal reports nothing but its refusal.
  }
  if (result == TARNodeList::RemoveResult::RefusedActive) {
    const std::wstring caption =
        bridge::LoadPluginString(Services().ResourceSource(), bridge::kStrPrompt);
    const std::wstring text =
        bridge::LoadPluginString(Services().ResourceSource(), bridge::kStrRefusedRemoval);
    // The last step: nothing of the window is touched after the box.
    MessageBoxW(DialogOwner(), text.c_str(), caption.c_str(), MB_OK | MB_ICONINFORMATION);
  }
}

void TMainForm::btnSaveDatumClick() {
  Model_->SaveToFile(DatumPath_, win32::MsxmlDocument::Factory());
  win32::Win32FileStore files;
  Model_->ExportEnabledList(kEnabledListFile, files);
  RecordAction(TEventKind::BaselineSaved, false, {}, {});
}

void TMainForm::btnReLocateClick() {
  undo_ = TPositionSnapshot::Take(*Model_);
  const std::wstring height = ui::WindowText(Control(L"edHeight"));
  if (const std::optional<int32_t> needed =
          Model_->ReLocate(CanvasRect(), win32::Cp936FromWide(height)))
    SetUpDown(L"udHeight", *needed);
  InvalidateRect(Handle(), nullptr, FALSE);
}

void TMainForm::btnTidyClick() {
  undo_ = TPositionSnapshot::Take(*Model_);
  const int32_t needed = TidyLayout(*Model_, CanvasRect());
  // As for the grid: the height setting grows to the layout, up to its limit.
  if (needed > UpDownPosition(L"udHeight")) SetUpDown(L"udHeight", needed);
  InvalidateRect(Handle(), nullptr, FALSE);
}

// The baseline file is not touched: it changes only through "save as baseline".
void TMainForm::UndoArrangement() {
  if (!undo_) {
    MessageBeep(MB_OK);
    return;
  }
  undo_->Restore(*Model_);
  undo_.reset();
  InvalidateRect(Handle(), nullptr, FALSE);
}

}  // namespace topo::window
