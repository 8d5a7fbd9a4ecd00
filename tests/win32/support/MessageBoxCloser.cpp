// A thread timer fires inside the message box's own modal loop; there it finds
// the box, reads it and presses OK.
#include "MessageBoxCloser.h"

namespace topo::test {
namespace {

MessageBoxCloser* active = nullptr;

BOOL CALLBACK FindBox(HWND w, LPARAM found) {
  wchar_t cls[16] = L"";
  GetClassNameW(w, cls, 16);
  // A dialog with an edit field (the password question) is no message box.
  if (lstrcmpW(cls, L"#32770") == 0 && IsWindowVisible(w) &&
      !FindWindowExW(w, nullptr, L"Edit", nullptr)) {
    *reinterpret_cast<HWND*>(found) = w;
    return FALSE;
  }
  return TRUE;
}

}  // namespace

MessageBoxCloser::MessageBoxCloser() {
  active = this;
  timer_ = SetTimer(nullptr, 0, 50, Tick);
}

MessageBoxCloser::~MessageBoxCloser() {
  KillTimer(nullptr, timer_);
  active = nullptr;
}

void CALLBACK MessageBoxCloser::Tick(HWND, UINT, UINT_PTR, DWORD) {
  if (!active) return;
  HWND box = nullptr;
  EnumThreadWindows(GetCurrentThreadId(), FindBox, reinterpret_cast<LPARAM>(&box));
  if (!box) return;
  wchar_t text[1024] = L"";
  GetDlgItemTextW(box, 0xFFFF, text, 1024);  // the text control of a message box
  active->lastText = text;
  active->lastOwner = GetWindow(box, GW_OWNER);
  ++active->closed;
  PostMessageW(box, WM_COMMAND, MAKEWPARAM(IDOK, BN_CLICKED), 0);
}

}  // namespace topo::test
