// TMainForm: the topology window the host embeds. It owns the model, keeps
// the diagram current on a timer, draws it through a back buffer (so dragging
// and scrolling never flicker), keeps the toolbar row pinned at the top while
// the diagram scrolls beneath it, raises the error and warning alarms, and
// keeps its view settings in the host's per-user data. Its commands on a node
// and on the whole diagram are in window/Commands.cpp; finding, zooming and
// working the diagram from the keyboard in window/DiagramNavigation.cpp; the
// diagram as a picture in window/DiagramPicture.cpp; what helps the operator
// follow an outage (acknowledged alarms, mute, the event history, the details
// over a box) in window/Awareness.cpp.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <random>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "bridge/BizForm.h"
#include "model/AlarmAcknowledgement.h"
#include "model/FindBoxes.h"
#include "model/History.h"
#include "model/KeyboardMoves.h"
#include "model/Nodes.h"
#include "model/PositionSnapshot.h"
#include "model/Zoom.h"
#include "query/QueryDialog.h"
#include "ui/AccessibleObject.h"
#include "win32/Cp936.h"
#include "win32/Secret.h"
#include "win32/Win32AppendStore.h"
#include "window/EventRecorder.h"
#include "window/HistoryForm.h"
#include "window/ProgressForm.h"
#include "window/StatusRefresh.h"

namespace topo::window {

class TMainForm : public bridge::TBizFormBase, private PopupMenuHost {
 public:
  static constexpr int kToolbarCount = 14;
  static constexpr UINT_PTR kTimerId = 1;
  static constexpr int kBandMargin = 3;  // kept free under the toolbar and the find box

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
  // on the whole diagram. A tag of 0 or more is one instance, -1 all of them:
  // those show the progress window, pump messages between two instances and
  // own the exchange meanwhile (no refresh runs, no second command starts).
  void BuildServerMenus() override;
  void muiStartClick(int tag);
  void muiStopClick(int tag);
  void muiRestartClick(int tag);
  void muiStatusClick();
  void muiRemoveClick();
  void btnSaveDatumClick();
  void btnReLocateClick();
  // The tidy layout; Ctrl+Z takes back the last tidy layout or re-arrangement.
  void btnTidyClick();
  void UndoArrangement();
  bool GroupCommandRunning() const { return groupRunning_; }
  // The progress window of the command on all instances that runs, or null.
  const TProgressForm* ProgressWindow() const { return progressForm_.get(); }

  // The diagram as the window shows it, zoomed and scrolled: whatever needs
  // a box's place on screen maps it through this view.
  TZoomView View() const;
  // Zooms to percent (clamped to the zoom's range) keeping the diagram point
  // under the client point where it is; fits the whole diagram in.
  void ZoomAbout(int percent, POINT client);
  void ZoomToFit();
  // The find box: opened by btnFind and Ctrl+F; a step selects the match
  // (so that the node menu acts on it) and scrolls it into view.
  void OpenFind();
  void CloseFind();
  void FindStep(TFindStep step);
  // Keyboard operation of the diagram.
  void SelectNearest(TDirection direction);
  void MoveSelection(int dx, int dy);
  void OpenNodeMenuAtSelection();
  bool KeyboardInUse() const { return keyboardInUse_; }
  // Asks for a file name and saves the whole canvas there as a PNG picture.
  void btnExportImageClick();
  // The whole canvas at 100%, whatever the zoom and scroll, as a PNG file;
  // throws on failure.
  void SaveDiagramPicture(const std::wstring& path);
  // The offered file name, from the string table's pattern and the time.
  std::wstring DefaultPictureName(const SYSTEMTIME& time) const;

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
  // Sets the width and height settings as the operator would (clamped to
  // their ranges): the canvas and scroll ranges follow.
  void SetCanvasSettings(int width, int height);
  // The canvas in diagram coordinates: (0, 0, width setting, height setting)
  // once the settings are read; the scroll ranges are it at the zoom.
  TRect CanvasRect() const { return canvas_; }
  // Where a rectangle of the diagram shows in the client area, through the
  // scroll position and the zoom.
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
  // The mute switch's and the history button's captions and handlers.
  void BindAwareness();
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
  void BindDiagramCommands();
  // The diagram onto a device context at a view; true when an inactive link
  // was drawn.
  bool PaintDiagram(HDC dc, const TZoomView& view);
  void DrawSelectionFocus(HDC dc);
  HFONT LabelFont(int percent);
  // The canvas from the settings, and the scroll ranges it makes at the zoom.
  void UpdateScrollRanges();
  void PinControls();
  // The client area the diagram shows in, below the toolbar (and find box);
  // the height of the toolbar's band, which the view keeps at every zoom.
  RECT DiagramArea() const;
  int ToolbarBand() const;
  void ScrollIntoView(const TRect& box);
  bool DiagramKey(WORD key, unsigned shift);
  // A key or a find chose another box: the history window's "selected node
  // only" filter and a screen reader follow it, as they follow a click.
  void SelectionChanged();
  bool FindBoxKey(WORD key, unsigned shift);
  void ReadZoomSetting();
  // Sends one start, stop or restart request; password only for start and restart.
  // The answer's return code, and its "error_info" when that is not 0.
  struct TRequestAnswer {
    LONG code = 0;
    std::string refusal;
  };
  TRequestAnswer ControlRequest(LONG function, LONG kind, const std::string& name, LONG number,
                                const win32::SecretText* password);
  // ControlRequest recorded in the history with its answer (or its failure),
  // under the node's AR node, then a refusal shown.
  void RecordedRequest(LONG function, LONG kind, const std::string& name, LONG number,
                       const win32::SecretText* password, const std::string& arNode);
  // The AR node a command's server stands under (the selected box's own when
  // it is that server); empty for an AR node.
  std::string CommandARNode(LONG kind, const std::string& name) const;
  // One request per instance, in order, with the progress window showing;
  // ends before the next instance once cancelled or the window is gone, and
  // refreshes at the end when a refresh was skipped meanwhile.
  void GroupCommand(LONG function, LONG kind, const std::string& name,
                    const std::vector<int>& instances, const win32::SecretText* password);
  // Lets the host paint and answer; false when the command is to end.
  bool PumpBetweenInstances(const std::weak_ptr<void>& alive);
  // True, with a beep, while a command on all instances runs.
  bool RefusedWhileGroupRuns() const;
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
  std::unique_ptr<TProgressForm> progressForm_;
  bool groupRunning_ = false;
  bool refreshSkipped_ = false;  // a tick or a refresh click came while a group command ran
  struct WindowDestroyer {
    void operator()(HWND window) const { DestroyWindow(window); }
  };
  std::unique_ptr<std::remove_pointer_t<HWND>, WindowDestroyer> tooltip_;
  std::wstring tooltipText_;
  ZOrderEntry hovered_{-1, -1};  // the box the tooltip is about
  bool trackingLeave_ = false;
  ui::AccessibleLink accessible_;  // the boxes for screen readers (WM_GETOBJECT)
  TRect canvas_{};
  int zoomPercent_ = 100;
  win32::Font labelFont_;
  int labelFontPercent_ = 0;
  bool keyboardInUse_ = false;  // the selected box shows a focus rectangle
  std::optional<TPositionSnapshot> undo_;
  // Controls kept at their place while the diagram scrolls, besides the
  // toolbar's fourteen: the later buttons, the mute switch and the find box.
  std::vector<std::pair<HWND, RECT>> pinned_;
};

}  // namespace topo::window
