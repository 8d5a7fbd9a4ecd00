// The status query script. The dialog is found as an operator sees it: the
// one enabled top-level window of this thread, besides the frame, that has a
// drop-down list.
#include "host/StatusScript.h"

#include <cwchar>

#include "host/Console.h"
#include "win32/Variant.h"

namespace arhost {

namespace {

// Posted to the plug-in window to open the status query on the node that
// TempData names, as its popup menu's status command would. The plug-in
// registers the same name.
constexpr wchar_t kOpenStatusQueryMessage[] = L"topo.OpenStatusQuery";

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

bool OpenStatusQuery(HWND plugin, DataContainer* tempData, const StatusQuery& q) {
  if (!plugin || !IsWindow(plugin) || !tempData) return false;
  // What the status command leaves in TempData for the dialog.
  using topo::win32::Variant;
  tempData->Put(L"ClickedSvrType", Variant::Int32(q.as.empty() ? 0 : 1));
  tempData->Put(L"ClickedSvrName", Variant::String(q.as.empty() ? q.ar : q.as));
  tempData->Put(L"ClickedParentARName", Variant::String(q.as.empty() ? std::wstring() : q.ar));
  tempData->Put(L"ClickedSvrNo", Variant::Int32(q.instance));
  PostMessageW(plugin, RegisterWindowMessageW(kOpenStatusQueryMessage), 0, 0);
  return true;
}

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
