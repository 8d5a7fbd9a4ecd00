// Key preview: every key press of a form's controls reaches the form first
// (through the controls' subclass, ui/FormControls.cpp) and then still its
// control. The form uses it for Enter, Tab and the arrow keys, which move the
// focus without the dialog manager (see ui/FocusNavigation.h).
#include "ui/Form.h"

namespace topo::ui {

HWND Form::ActiveControl() const {
  if (!hwnd_) return nullptr;
  HWND focus = GetFocus();
  if (focus && IsChild(hwnd_, focus)) return focus;
  if (activeControl_ && IsWindow(activeControl_) && IsChild(hwnd_, activeControl_))
    return activeControl_;
  return nullptr;
}

void Form::KeyDown(WORD key, unsigned shift) {
  if (shift == ssNone) {
    switch (key) {
      case VK_RETURN: {
        HWND focused = ActiveControl();
        if (focused && IsPushButton(focused)) {
          // Only the handler: no click of the button itself, no modal result.
          RunClickHandler(focused);
        } else {
          NavigateFocus(true, true);
        }
        break;
      }
      case VK_TAB:
        NavigateFocus(true, true);
        break;
      case VK_DOWN:
        NavigateFocus(true, false);
        break;
      case VK_UP:
        NavigateFocus(false, false);
        break;
      default:
        break;
    }
  } else if (shift == ssShift && key == VK_TAB) {
    NavigateFocus(false, true);
  }
}

void Form::NavigateFocus(bool forward, bool allControls) {
  ui::NavigateFocus(hwnd_, ActiveControl(), forward, allControls);
}

HWND Form::FindNextInContainer(HWND container, HWND current, bool forward, bool tabStopsOnly,
                               bool directChildrenOnly) const {
  return ui::FindNextInContainer(hwnd_, container, current, forward, tabStopsOnly,
                                 directChildrenOnly);
}

}  // namespace topo::ui
