// TMainForm: the topology window the host embeds. It owns the model, keeps
// the diagram current on a timer, draws it through a back buffer (so dragging
// and scrolling never flicker), keeps the toolbar row pinned at the top while
// the diagram scrolls beneath it, raises the error and warning alarms, and
// keeps its three view settings in the host's per-user data. Its commands on
// a node and on the whole diagram are in window/Commands.cpp.
#pragma once

#include <windows.h>

#include <memory>
#include <random>
#include <string>
#include <utility>
#include <vector>

#include "bridge/BizForm.h"
#include "model/Nodes.h"
#include "query/QueryDialog.h"
#include "ui/AccessibleObject.h"
#include "win32/Secret.h"
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

 protected:
  void AfterAttach() override;
  void FormPaint(HDC dc, const RECT& update) override;
  LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam) override;

 private:
  // PopupMenuHost: a right click on a box opens the node's menu.
  TPoint ClientToScreen(TPoint client) override;
  void Popup(TPoint screen) override;

  void FormDestroy();
  void BindCommands();
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
  ui::AccessibleLink accessible_;  // the boxes for screen readers (WM_GETOBJECT)
};

}  // namespace topo::window
