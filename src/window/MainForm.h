// TMainForm: the topology window the host embeds. It owns the model, keeps
// the diagram current on a timer, draws it through a back buffer (so dragging
// and scrolling never flicker), keeps the toolbar row pinned at the top while
// the diagram scrolls beneath it, raises the error and warning alarms, and
// keeps its view settings in the host's per-user data. Its commands on a node
// and on the whole diagram are in window/Commands.cpp; finding, zooming and
// working the diagram from the keyboard in window/DiagramNavigation.cpp; the
// diagram as a picture in window/DiagramPicture.cpp.
#pragma once

#include <windows.h>

#include <memory>
#include <optional>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "bridge/BizForm.h"
#include "model/FindBoxes.h"
#include "model/KeyboardMoves.h"
#include "model/Nodes.h"
#include "model/PositionSnapshot.h"
#include "model/Zoom.h"
#include "query/QueryDialog.h"
#include "win32/Secret.h"
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
  // on the whole diagram. A tag of 0 or more is one instance, -1 all of them.
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
  // This window's own status dialog, made at its first use (a resource file
  // without the dialog's layout then fails only the query, not the window).
  query::TFormStatus& StatusDialog();

 protected:
  void AfterAttach() override;
  void FormPaint(HDC dc, const RECT& update) override;
  void KeyDown(WORD key, unsigned shift) override;
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
  bool FindBoxKey(WORD key, unsigned shift);
  void ReadZoomSetting();
  // A string of the table, the plug-in's own where the resource file lacks it.
  std::wstring Text(UINT id) const;
  // Sends one start, stop or restart request; password only for start and restart.
  void ControlRequest(LONG function, LONG kind, const std::string& name, LONG number,
                      const win32::SecretText* password);
  // Asks for the selected node's startup password; false when cancelled.
  bool AskStartupPassword(win32::SecretText& password);
  // The owner of the plug-in's modal dialogs and boxes: the host's whole window.
  HWND DialogOwner() const;
  void ShowStatusDialog(const std::string& name, const std::vector<int>& instances);
  void SetTimer(bool enabled, UINT interval);
  void AlarmPlacement(const wchar_t* image);
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
  TRect canvas_{};
  int zoomPercent_ = 100;
  win32::Font labelFont_;
  int labelFontPercent_ = 0;
  bool keyboardInUse_ = false;  // the selected box shows a focus rectangle
  std::optional<TPositionSnapshot> undo_;
  // Controls kept at their place while the diagram scrolls, besides the
  // toolbar's fourteen: the later buttons and the find box.
  std::vector<std::pair<HWND, RECT>> pinned_;
};

}  // namespace topo::window
