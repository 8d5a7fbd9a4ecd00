// Form: a top-level window built from a layout (see ui/FormLayout.h), the base
// of every window and dialog of the shell. It owns its window class and
// procedure, may own itself (deleted with its window), scrolls, shows modally,
// previews its controls' keys for the focus navigation, and hands control
// notifications (clicks, edit changes, up-down moves) to handlers by control.
// Traps it avoids: an exception never unwinds into Windows (each message runs
// guarded, see ui/ExceptionBoundary.h); a paint that fails still ends its
// paint and is reported once, not once per repaint; a modal showing always
// enables its owner again; a form's last messages never reach a
// half-destroyed object. One class, one concept per source file: each group
// of members below names the file that defines it.
#pragma once

#include <windows.h>

#include <functional>
#include <map>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "ui/FocusNavigation.h"
#include "ui/FormImage.h"
#include "ui/FormLayout.h"
#include "ui/PopupMenu.h"
#include "win32/GdiHandles.h"

namespace topo::ui {

enum class TCloseAction { None, Hide, Free, Minimize };

// The text of a window or control.
std::wstring WindowText(HWND window);

// The window class of every form.
inline constexpr const wchar_t* kFormClass = L"TopoForm";

// Modal results.
inline constexpr int mrNone = 0;
inline constexpr int mrOk = 1;
inline constexpr int mrCancel = 2;

class Form {
 public:
  // ---- The window and its lifetime (ui/Form.cpp)
  // Creates the window, hidden and top-level, with the controls of layout.
  // Bitmaps named by image controls are loaded from bitmapSource (null: the
  // module this code is linked into).
  explicit Form(const FormLayout& layout, HMODULE bitmapSource = nullptr);
  Form(const Form&) = delete;
  Form& operator=(const Form&) = delete;
  virtual ~Form();

  // Hands the object to its window: it is deleted when the window is destroyed.
  template <class T>
  static T* GiveToWindow(std::unique_ptr<T> form) {
    T* raw = form.get();
    static_cast<Form*>(raw)->self_ = std::move(form);
    return raw;
  }

  HWND Handle() const { return hwnd_; }
  // Empty once the window is destroyed.
  std::weak_ptr<void> Liveness() const { return alive_; }

  // Makes the window visible and brings it to the front.
  void Show();
  // A top-level form stays above its owner, is minimized with it and goes
  // when it goes.
  void SetOwner(HWND owner);

  // ---- Modal showing (ui/FormModal.cpp)
  // Shows the window modally: its owner (owner, or else the window's current
  // owner) is disabled until a handler sets a modal result or the window is
  // closed (mrCancel); then the window is hidden, the owner enabled again and
  // the result returned.
  int ShowModal(HWND owner = nullptr);
  void SetModalResult(int result) { modalResult_ = result; }
  int ModalResult() const { return modalResult_; }
  bool IsModal() const { return modal_; }

  // ---- Controls and their notifications (ui/FormControls.cpp)
  // Controls made from the layout, by name (0 when there is none).
  HWND Control(const std::wstring& name) const;
  using Handler = std::function<void(HWND sender)>;
  // A click of a button or check box (and Enter on a focused push button).
  void SetClickHandler(HWND control, Handler handler);
  // A change of an edit's text (EN_CHANGE) or a drop-down list's selection.
  void SetChangeHandler(HWND control, Handler handler);
  // An up-down control moved to a new position (arrows, keys or wheel).
  void SetUpDownHandler(HWND control, std::function<void(HWND sender, int position)> handler);
  // Subclasses the window's controls for key preview and so that containers
  // pass their controls' notifications on to the window. Idempotent.
  void AdoptControls();

  // ---- Images (ui/FormImages.cpp)
  // The layout's images, drawn by the form over its own painting (null when
  // there is none by that name). Showing, hiding and moving repaint.
  const FormImage* Image(const std::wstring& name) const;
  void ShowImage(const std::wstring& name, bool visible);
  void MoveImage(const std::wstring& name, int left, int top);
  // Draws a picture in its marked form (faded, with a check mark) or plain.
  void MarkImage(const std::wstring& name, bool marked);

  // ---- Menus (ui/FormMenus.cpp)
  // A popup menu of the layout, or the sub-menu of one of its items (to be
  // rebuilt at run time); null when there is none by that name.
  PopupMenu* Menu(const std::wstring& name) const;
  // What choosing a layout menu item does; it gets the item's tag.
  void SetMenuHandler(const std::wstring& item, PopupMenu::Handler handler);

  // ---- Key preview and focus (ui/FormKeyPreview.cpp)
  // The control of this window that has (or last had) the focus, or 0.
  HWND ActiveControl() const;
  // Every key press of the window's controls arrives here first, and then
  // still reaches the control.
  virtual void KeyDown(WORD key, unsigned shift);
  void NavigateFocus(bool forward, bool allControls);
  HWND FindNextInContainer(HWND container, HWND current, bool forward, bool tabStopsOnly,
                           bool directChildrenOnly) const;

  // ---- Scrolling (ui/FormScrolling.cpp)
  // Per bar (SB_HORZ, SB_VERT) a range, a position and a line increment. A
  // bar shows only when its range exceeds the client size.
  void SetScrollRange(int bar, int range);
  int ScrollRange(int bar) const { return Bar(bar).range; }
  void SetLineIncrement(int bar, int increment) { Bar(bar).increment = increment; }
  int LineIncrement(int bar) const { return Bar(bar).increment; }
  int ScrollPosition(int bar) const { return Bar(bar).position; }
  void SetScrollPosition(int bar, int position);

 protected:
  // The show handler: runs after the on-show focus step, at every showing.
  virtual void FormShow() {}
  // The close handler: may choose what a close does (Hide by default).
  virtual void FormClose(TCloseAction& /*action*/) {}
  // Paints the client area; update is the region asked for. May throw
  // (ui/FormPaint.cpp reports it).
  virtual void FormPaint(HDC /*dc*/, const RECT& /*update*/) {}
  // WM_CLOSE: a modal showing ends with mrCancel; otherwise the close
  // handler's action is carried out.
  virtual void Close();
  // Destroys the window once the current message (and whatever called it,
  // such as a button handler) has returned.
  void ReleaseLater();
  // Messages of the window; descendants call the base for what they leave.
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

  const FormLayout& Layout() const { return layout_; }
  HFONT Font() const { return font_.Get(); }

 private:
  struct ScrollBarState {
    int range = 0;
    int position = 0;
    int increment = 8;
  };

  struct Anchored {
    HWND control;
    RECT bounds;  // in the form's client area at its first size, unscrolled
    bool left, top, right, bottom;
  };

  // ui/Form.cpp
  static LRESULT CALLBACK StaticWindowProc(HWND, UINT, WPARAM, LPARAM);
  // Everything of the constructor after the window exists.
  void BuildContents(HMODULE bitmapSource);
  // ui/FormControls.cpp
  static LRESULT CALLBACK ControlProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
  void FitAutoSizeLabels();
  // Control notifications to their handlers; true when one ran.
  bool Dispatch(UINT message, WPARAM wParam, LPARAM lParam);
  bool RunClickHandler(HWND control);
  // ui/FormImages.cpp
  FormImage* FindImage(const std::wstring& name) const;
  void InvalidateImage(const FormImage& image);
  void DrawImages(HDC dc) const;
  // ui/FormMenus.cpp
  void BuildMenus();
  // ui/FormAnchors.cpp
  void RecordAnchors();
  void ApplyAnchors();
  // ui/FormScrolling.cpp
  void MouseWheel(short delta);
  void ScrollMessage(int bar, WORD request);
  void UpdateScrollBars();
  ScrollBarState& Bar(int bar) { return bar == SB_HORZ ? horz_ : vert_; }
  const ScrollBarState& Bar(int bar) const { return bar == SB_HORZ ? horz_ : vert_; }
  // ui/FormPaint.cpp
  void Paint(HDC printDc);  // null: WM_PAINT's own DC
  void PaintTo(HDC dc, const RECT& update);

  FormLayout layout_;
  win32::Font font_;
  HWND hwnd_ = nullptr;
  std::shared_ptr<int> alive_ = std::make_shared<int>(0);
  std::unique_ptr<Form> self_;
  std::map<std::wstring, HWND> controls_;
  std::vector<std::unique_ptr<FormImage>> images_;
  std::vector<Anchored> anchored_;
  SIZE designClient_{};  // the client size the anchors are measured from
  std::set<HWND> autoSizeLabels_;
  std::map<std::wstring, std::unique_ptr<PopupMenu>> menus_;
  std::map<std::wstring, PopupMenu*> menusByName_;  // menus and sub-menus
  std::map<std::wstring, PopupMenu::Handler> menuHandlers_;
  std::map<HWND, Handler> clickHandlers_;
  std::map<HWND, Handler> changeHandlers_;
  std::map<HWND, std::function<void(HWND, int)>> upDownHandlers_;
  HWND activeControl_ = nullptr;
  ScrollBarState horz_, vert_;
  int modalResult_ = mrNone;
  bool modal_ = false;
  bool paintFailing_ = false;  // reported; quiet until a paint succeeds again
};

}  // namespace topo::ui
