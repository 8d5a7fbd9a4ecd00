// TMainForm: the topology window the host embeds. It owns the model, keeps
// the diagram current on a timer, draws it through a back buffer (so dragging
// and scrolling never flicker), keeps the toolbar row pinned at the top while
// the diagram scrolls beneath it, raises the error and warning alarms, and
// keeps its three view settings in the host's per-user data. Its commands on
// a node and on the whole diagram are in window/Commands.cpp; what helps the
// operator follow an outage (acknowledged alarms, mute, the event history,
// the details over a box) is in window/Awareness.cpp.
#pragma once

#include <windows.h>

#include <memory>
#include <random>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "bridge/BizForm.h"
#include "model/AlarmAcknowledgement.h"
#include "model/History.h"
#include "model/Nodes.h"
#include "query/QueryDialog.h"
#include "win32/Cp936.h"
#include "ui/AccessibleObject.h"
#include "win32/Secret.h"
#include "win32/Win32AppendStore.h"
#include "window/EventRecorder.h"
#include "window/HistoryForm.h"
#include "window/StatusRefresh.h"

namespace topo::window {

class TMainForm : public bridge::TBizFormBase, private PopupMenuHost {
 public:
  static constexpr int kToolbarCount = 14;
  static constexpr UINT_PTR kTimerId = 1;

  // FormCreate: the window, its toolbar remembered, an empty model, timer off.
  // The module's services outlive the window.
  explicit TMainForm(bridge::ModuleServices& module);
  ~TMainForm() override;

  // The refresh cycle.
  void RefreshStatus();
  void TimerTimer();
  void btnRefreshClick();

  // Toolbar and settings.
  void edTimerChange();
  void edWidthChange();
  void edHeightChange();
  void cbDisplayLineClick();
  void FormResize();

  // Mouse glue, in client coordinates.
  void FormMouseDown(TMouseButton button, int x, int y);
  void FormMouseMove(int x, int y);
  void FormMouseUp(TMouseButton button, int x, int y);

  // The node commands (the popup menu) and the two toolbar commands that act
  // on the whole diagram. A tag of 0 or more is one instance, -1 all of them.
  void BuildServerMenus() override;
  void muiStartClick(int tag);
  void muiStopClick(int tag);
  void muiRestartClick(int tag);
  void muiStatusClick();
  void muiRemoveClick();
  void btnSaveDatumClick();
  void btnReLocateClick();

  // The management requests, each sent to the administrative server named in
  // the host's login data; a refusal is shown with its "error_info" text.
  void SetAdminAddress();
  void StartServer(LONG kind, const std::string& name, LONG number,
                   const win32::SecretText& password);
  void StopServer(LONG kind, const std::string& name, LONG number);
  void RestartServer(LONG kind, const std::string& name, LONG number,
                     const win32::SecretText& password);

  TARNodeList& Model() { return *Model_; }
  const std::string& DatumPath() const { return DatumPath_; }
  bool InactiveLinkDrawn() const { return InactiveLinkDrawn_; }
  UINT TimerInterval() const { return timerInterval_; }
  bool TimerEnabled() const { return timerEnabled_; }
  int UpDownPosition(const wchar_t* name) const;
  // The canvas: (0, 0, horizontal scroll range, vertical scroll range).
  TRect CanvasRect() const;
  // Where a rectangle of the diagram shows in the client area: minus the
  // scroll position (and through the zoom, where there is one).
  TRect DiagramToClient(const TRect& box) const;
  // This window's own status dialog, made at its first use (a resource file
  // without the dialog's layout then fails only the query, not the window).
  query::TFormStatus& StatusDialog();

  // Operator awareness. F8 acknowledges every alarm picture shown, a click
  // on one acknowledges that one; Ctrl+H opens the history.
  static constexpr WORD kAcknowledgeKey = VK_F8;
  static constexpr WORD kHistoryKey = 'H';  // with Ctrl
  void AcknowledgeAlarms();
  // Acknowledges the shown alarm picture under a client point; false when none is there.
  bool AlarmClick(int x, int y);
  void cbMuteClick();
  // Shows this window's history window, made at its first use.
  void btnHistoryClick();
  const TAlarmAcknowledgement& Alarms() const { return alarms_; }
  // Null before the window attached; the history is then not kept.
  const EventRecorder* Recorder() const { return recorder_.get(); }
  void SetHistoryCapacity(size_t events);
  THistoryForm* HistoryWindow() const { return historyForm_.get(); }
  HWND Tooltip() const { return tooltip_.get(); }
  const std::wstring& TooltipText() const { return tooltipText_; }
  // The selected box (stacking position 0) by name.
  TBoxName SelectedBox() const;

 protected:
  void AfterAttach() override;
  void KeyDown(WORD key, unsigned shift) override;
  void FormPaint(HDC dc, const RECT& update) override;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  // PopupMenuHost: a right click on a box opens the node's menu.
  TPoint ClientToScreen(TPoint client) override;
  void Popup(TPoint screen) override;

  void FormDestroy();
  void BindCommands();
  // Sends one start, stop or restart request; password only for start and restart.
  // The answer's return code, and its "error_info" when that is not 0.
  struct TRequestAnswer {
    LONG code = 0;
    std::string refusal;
  };
  TRequestAnswer ControlRequest(LONG function, LONG kind, const std::string& name, LONG number,
                                const win32::SecretText* password);
  // ControlRequest recorded in the history with its answer (or its failure),
  // then a refusal shown.
  void RecordedRequest(LONG function, LONG kind, const std::string& name, LONG number,
                       const win32::SecretText* password);
  // Asks for the selected node's startup password; false when cancelled.
  bool AskStartupPassword(win32::SecretText& password);
  // The owner of the plug-in's modal dialogs and boxes: the host's whole window.
  HWND DialogOwner() const;
  void ShowStatusDialog(const std::string& name, const std::vector<int>& instances);
  void SetTimer(bool enabled, UINT interval);
  void AlarmPlacement(const wchar_t* image);
  // Whether the layout has the picture and it is shown.
  bool ImageShown(const wchar_t* image) const;
  // Awareness.cpp: the mute setting, the events of a refresh and of the
  // operator's actions, and the tooltip.
  void ReadMute();
  void StartHistory(const std::string& personalDir);
  void RecordRefresh(bool ok);
  void RecordAction(TEventKind kind, bool isAS, const std::string& node, const std::string& arNode,
                    LONG instance = -1, const std::string& answer = {},
                    const std::string& actor = {});
  void MakeTooltip();
  void HoverAt(int x, int y);
  void HideTooltip();
  void RefreshTooltip();
  void ReadSetting(const wchar_t* key, const wchar_t* upDown, int otherwise);
  void SetUpDown(const wchar_t* name, int position);
  const void* LoadSound(const char* name) const;
  bool DisplayLinks() const;

  std::unique_ptr<TARNodeList> Model_;
  std::string DatumPath_;
  HWND ToolbarControls_[kToolbarCount] = {};
  RECT ToolbarBounds_[kToolbarCount] = {};
  std::vector<std::pair<HWND, RECT>> pinnedExtras_;  // the controls right of the row
  const void* ErrorSound_ = nullptr;
  const void* WarnSound_ = nullptr;
  bool InactiveLinkDrawn_ = false;
  std::mt19937 random_;
  UINT timerInterval_ = 2000;
  bool timerEnabled_ = false;
  bool destroyed_ = false;
  bool settingsRead_ = false;
  // The settings whose stored value could not be used, with the position the
  // window then started from: written back only once the operator changed it.
  std::vector<std::pair<std::wstring, int>> unreadSettings_;
  std::unique_ptr<query::TFormStatus> statusDialog_;

  TAlarmAcknowledgement alarms_;
  win32::Win32AppendStore historyStore_;
  win32::Cp936Codec historyCodec_;
  std::unique_ptr<EventRecorder> recorder_;
  std::string loginName_;  // "LoginName" of the host's login data, read with the admin address
  std::unique_ptr<THistoryForm> historyForm_;
  struct WindowDestroyer {
    void operator()(HWND window) const { DestroyWindow(window); }
  };
  std::unique_ptr<std::remove_pointer_t<HWND>, WindowDestroyer> tooltip_;
  std::wstring tooltipText_;
  ZOrderEntry hovered_{-1, -1};  // the box the tooltip is about
  bool trackingLeave_ = false;
  ui::AccessibleLink accessible_;  // the boxes for screen readers (WM_GETOBJECT)
};

}  // namespace topo::window
