// The status query script. The dialog is found as an operator sees it: the
// one enabled top-level window of this thread, besides the frame, that has a
// drop-down list.
#include "host/StatusScript.h"

#include <cwchar>
#include <string>

#include "host/Console.h"
#include "host/ScriptedInput.h"

namespace arhost {

namespace {

struct Found {
  HWND skip;
  HWND window;
};

BOOL CALLBACK FindComboBox(HWND w, LPARAM found) {
  wchar_t cls[16] = L"";
  GetClassNameW(w, cls, 16);
  if (lstrcmpiW(cls, L"ComboBox") != 0) return TRUE;
  *reinterpret_cast<HWND*>(found) = w;
  return FALSE;
}

// The modal dialog: the one visible, enabled top-level window of this thread
// besides the frame (which it disables) that has a drop-down list.
BOOL CALLBACK FindDialog(HWND w, LPARAM found) {
  auto* f = reinterpret_cast<Found*>(found);
  HWND combo = nullptr;
  if (w == f->skip || !IsWindowVisible(w) || !IsWindowEnabled(w)) return TRUE;
  EnumChildWindows(w, FindComboBox, reinterpret_cast<LPARAM>(&combo));
  if (!combo) return TRUE;
  f->window = w;
  return FALSE;
}

}  // namespace

bool OpenStatusQuery(HWND plugin, const StatusQuery& q) {
  if (!plugin || !IsWindow(plugin)) return false;
  Click click;
  click.x = q.x;
  click.y = q.y;
  click.right = true;
  click.at = q.at;
  PostClick(plugin, click);
  return true;
}

void ChooseStatusEntry(HWND plugin) { PostKeys(plugin, {{L"down", L"enter"}, 0}); }

void RunStatusQuery(HWND frame, const StatusQuery& q) {
  Found dialog{frame, nullptr};
  EnumThreadWindows(GetCurrentThreadId(), FindDialog, reinterpret_cast<LPARAM>(&dialog));
  if (!dialog.window) {
    Say(L"arhost: no status dialog opened");
    return;
  }
  HWND button = nullptr;
  for (HWND c = GetWindow(dialog.window, GW_CHILD); c; c = GetWindow(c, GW_HWNDNEXT)) {
    wchar_t cls[16] = L"";
    GetClassNameW(c, cls, 16);
    if (lstrcmpiW(cls, L"Button") == 0 && !button) button = c;
    // The instance list holds the running instances' numbers, which no
    // function item is.
    const std::wstring instance = std::to_wstring(q.instance);
    if (lstrcmpiW(cls, L"ComboBox") == 0) {
      LRESULT item = SendMessageW(c, CB_FINDSTRINGEXACT, static_cast<WPARAM>(-1),
                                  reinterpret_cast<LPARAM>(instance.c_str()));
      if (item != CB_ERR) SendMessageW(c, CB_SETCURSEL, static_cast<WPARAM>(item), 0);
    }
    if (lstrcmpiW(cls, L"ComboBox") == 0 && q.function) {
      wchar_t prefix[8];
      std::swprintf(prefix, 8, L"%05d", q.function);
      LRESULT item =
          SendMessageW(c, CB_FINDSTRING, static_cast<WPARAM>(-1), reinterpret_cast<LPARAM>(prefix));
      if (item != CB_ERR) {
        SendMessageW(c, CB_SETCURSEL, static_cast<WPARAM>(item), 0);
        SendMessageW(dialog.window, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(c), CBN_SELCHANGE),
                     reinterpret_cast<LPARAM>(c));
      }
    }
  }
  if (button) SendMessageW(button, BM_CLICK, 0, 0);
}

}  // namespace arhost
