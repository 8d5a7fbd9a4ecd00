// Keyboard focus navigation of a form: Tab, Shift+Tab, Enter and the arrow
// keys move among the controls without the dialog manager. The traps it
// avoids: a plain Win32 child window has no Tab handling at all, and the
// dialog manager's would leave a group box or panel instead of cycling inside
// it, and would steal the arrow keys from lists and grids.
#pragma once

#include <windows.h>

namespace topo::ui {

// Shift state bits of a key press.
enum TShiftState : unsigned { ssNone = 0, ssShift = 1, ssAlt = 2, ssCtrl = 4 };
unsigned CurrentShiftState();

// The kinds of controls navigation tells apart (by window class and style).
bool IsListLikeControl(HWND control);   // lists, grids, trees: keep their arrow keys
bool IsContainerControl(HWND control);  // group boxes, panels, tab sheets
bool IsPushButton(HWND control);

// Whether control, a window inside root, can hold the focus: visible and
// enabled up to root, and not a label or a container.
bool CanTakeFocus(HWND root, HWND control);

// The next control after current in container's tab order (its controls in
// z-order, each followed by its own children), wrapping around; current
// itself is the last candidate. Null when none qualifies.
HWND FindNextInContainer(HWND root, HWND container, HWND current, bool forward, bool tabStopsOnly,
                         bool directChildrenOnly);

// Moves the focus on from focused, a control of root: inside its group box or
// panel first, else among root's own controls. Without allControls, a
// list-like control keeps the focus (the arrow keys are its own).
void NavigateFocus(HWND root, HWND focused, bool forward, bool allControls);

}  // namespace topo::ui
