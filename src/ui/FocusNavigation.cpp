// Focus navigation among a form's controls.
#include "ui/FocusNavigation.h"

#include <commctrl.h>

#include <algorithm>
#include <string>
#include <vector>

#include "ui/ControlClasses.h"

namespace topo::ui {
namespace {

std::wstring ClassOf(HWND w) {
  wchar_t name[64] = L"";
  GetClassNameW(w, name, 64);
  return name;
}

bool SameClass(const std::wstring& a, const wchar_t* b) { return lstrcmpiW(a.c_str(), b) == 0; }

void CollectTabOrder(HWND container, std::vector<HWND>& out) {
  for (HWND child = GetWindow(container, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    out.push_back(child);
    CollectTabOrder(child, out);
  }
}

}  // namespace

unsigned CurrentShiftState() {
  unsigned s = ssNone;
  if (GetKeyState(VK_SHIFT) < 0) s |= ssShift;
  if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
  if (GetKeyState(VK_CONTROL) < 0) s |= ssCtrl;
  return s;
}

bool IsListLikeControl(HWND control) {
  std::wstring cls = ClassOf(control);
  for (const wchar_t* c :
       {L"ListBox", L"ComboLBox", WC_LISTVIEWW, WC_TREEVIEWW, MONTHCAL_CLASSW, kStringGridClass})
    if (SameClass(cls, c)) return true;
  return false;
}

bool IsContainerControl(HWND control) {
  std::wstring cls = ClassOf(control);
  if (SameClass(cls, L"Button"))
    return (GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
  return SameClass(cls, kPanelClass) || SameClass(cls, kTabSheetClass);
}

bool IsPushButton(HWND control) {
  if (!control || !SameClass(ClassOf(control), L"Button")) return false;
  LONG type = GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK;
  return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
}

bool CanTakeFocus(HWND root, HWND control) {
  if (!control || !IsWindow(control)) return false;
  // Labels and containers are windows in Win32 but never hold the focus.
  if (SameClass(ClassOf(control), L"Static") || IsContainerControl(control)) return false;
  for (HWND w = control; w && w != root; w = GetParent(w)) {
    LONG style = GetWindowLongW(w, GWL_STYLE);
    if (!(style & WS_VISIBLE) || (style & WS_DISABLED)) return false;
  }
  return true;
}

HWND FindNextInContainer(HWND root, HWND container, HWND current, bool forward, bool tabStopsOnly,
                         bool directChildrenOnly) {
  std::vector<HWND> list;
  CollectTabOrder(container, list);
  if (list.empty()) return nullptr;
  const int n = static_cast<int>(list.size());
  auto found = std::find(list.begin(), list.end(), current);
  const int start =
      found != list.end() ? static_cast<int>(found - list.begin()) : (forward ? n - 1 : 0);
  int i = start;
  do {
    i = forward ? (i + 1) % n : (i + n - 1) % n;
    HWND c = list[static_cast<size_t>(i)];
    if (CanTakeFocus(root, c) && (!tabStopsOnly || (GetWindowLongW(c, GWL_STYLE) & WS_TABSTOP)) &&
        (!directChildrenOnly || GetParent(c) == container))
      return c;
  } while (i != start);
  return nullptr;
}

void NavigateFocus(HWND root, HWND focused, bool forward, bool allControls) {
  if (!focused) return;
  if (!allControls && IsListLikeControl(focused)) return;
  HWND parent = GetParent(focused);
  if (parent && parent != root && IsContainerControl(parent)) {
    if (HWND next = FindNextInContainer(root, parent, focused, forward, true, true)) {
      SetFocus(next);
      return;
    }
  }
  if (HWND next = FindNextInContainer(root, root, focused, forward, true, true)) SetFocus(next);
}

}  // namespace topo::ui
