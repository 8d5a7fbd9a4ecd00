// The password dialog. The template only gives the frame and the font; the
// controls are made in WM_INITDIALOG at pixel positions computed from the
// measured font, since the dialog manager's own unit conversion rounds the
// average width where this layout truncates it.
#include "window/PasswordQuery.h"

#include <cstring>
#include <stdexcept>
#include <vector>

#include "bridge/ResourceLookup.h"
#include "ui/ExceptionBoundary.h"
#include "win32/Cp936.h"
#include "win32/GdiHandles.h"
#include "win32/ThisModule.h"

namespace topo::window {

namespace {

constexpr DWORD kDialogStyle =
    WS_POPUP | WS_CAPTION | WS_SYSMENU | DS_MODALFRAME | DS_SETFONT | DS_NOIDLEMSG;
constexpr DWORD kDialogExStyle = WS_EX_DLGMODALFRAME;
// The font of the plug-in's other windows, 8 points.
constexpr wchar_t kDialogFont[] = L"MS Sans Serif";
constexpr WORD kDialogFontPoints = 8;

struct QueryState {
  std::wstring caption;
  std::wstring prompt;
  win32::SecretText* value;
  HMODULE strings;  // where the buttons' captions are looked up
};

void AppendText(std::vector<WORD>& words, const wchar_t* text) {
  do {
    words.push_back(static_cast<WORD>(*text));
  } while (*text++);
}

// DLGTEMPLATE, then no menu, the default class, an empty title and the font;
// no items: the controls are made at run time.
std::vector<DWORD> DialogTemplate() {
  std::vector<WORD> words(sizeof(DLGTEMPLATE) / sizeof(WORD));
  DLGTEMPLATE head{};
  head.style = kDialogStyle;
  head.dwExtendedStyle = kDialogExStyle;
  std::memcpy(words.data(), &head, sizeof head);
  words.push_back(0);  // menu
  words.push_back(0);  // class
  words.push_back(0);  // title
  words.push_back(kDialogFontPoints);
  AppendText(words, kDialogFont);
  std::vector<DWORD> aligned((words.size() + 1) / 2);
  std::memcpy(aligned.data(), words.data(), words.size() * sizeof(WORD));
  return aligned;
}

// Overwrites the edit's text in place: the control keeps it in its own buffer,
// which a same-length replacement reuses.
void BlankEdit(HWND edit) {
  wchar_t blank[kPasswordMaxLength + 1];
  for (int i = 0; i < kPasswordMaxLength; ++i) blank[i] = L'*';
  blank[kPasswordMaxLength] = 0;
  SetWindowTextW(edit, blank);
  SetWindowTextW(edit, L"");
}

void TakeText(HWND edit, win32::SecretText& value) {
  wchar_t wide[kPasswordMaxLength + 2] = {};
  char bytes[2 * (kPasswordMaxLength + 2)] = {};
  const int length = GetWindowTextW(edit, wide, kPasswordMaxLength + 1);
  const int size =
      win32::Cp936FromWide(std::wstring_view(wide, static_cast<size_t>(length > 0 ? length : 0)),
                           bytes, static_cast<int>(sizeof bytes));
  value.Assign(std::string_view(bytes, static_cast<size_t>(size)));
  SecureZeroMemory(wide, sizeof wide);
  SecureZeroMemory(bytes, static_cast<int>(sizeof bytes));
}

HWND MakeControl(HWND dialog, DWORD exStyle, const wchar_t* cls, const wchar_t* text, DWORD style,
                 int left, int top, int width, int height, int id, HFONT font) {
  HWND control = CreateWindowExW(
      exStyle, cls, text, WS_CHILD | WS_VISIBLE | style, left, top, width, height, dialog,
      reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), win32::ThisModule(), nullptr);
  if (!control) throw std::runtime_error("the password dialog cannot make its controls");
  SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
  return control;
}

void InitDialog(HWND dialog, const QueryState& state) {
  HFONT font = reinterpret_cast<HFONT>(SendMessageW(dialog, WM_GETFONT, 0, 0));
  SIZE chars{}, prompt{};
  {
    win32::WindowDc dc(dialog);
    win32::SelectedObject selected(dc.Get(), font);
    chars = AverageCharSize(dc.Get());
    GetTextExtentPoint32W(dc.Get(), state.prompt.c_str(), static_cast<int>(state.prompt.size()),
                          &prompt);
  }
  const TPasswordGeometry g = PasswordGeometry(chars);

  SetWindowTextW(dialog, state.caption.c_str());
  RECT outer{0, 0, g.client.cx, g.client.cy};
  AdjustWindowRectEx(&outer, kDialogStyle, FALSE, kDialogExStyle);
  const int width = outer.right - outer.left, height = outer.bottom - outer.top;
  SetWindowPos(dialog, nullptr, (GetSystemMetrics(SM_CXSCREEN) - width) / 2,
               (GetSystemMetrics(SM_CYSCREEN) - height) / 2, width, height,
               SWP_NOZORDER | SWP_NOACTIVATE);

  MakeControl(dialog, 0, L"STATIC", state.prompt.c_str(), SS_LEFT | SS_NOPREFIX, g.label.x,
              g.label.y, prompt.cx, prompt.cy, -1, font);
  HWND edit =
      MakeControl(dialog, WS_EX_CLIENTEDGE, L"EDIT", L"", WS_TABSTOP | ES_PASSWORD | ES_AUTOHSCROLL,
                  g.edit.x, g.edit.y, g.editWidth, g.editHeight, kPasswordEditId, font);
  SendMessageW(edit, EM_SETPASSWORDCHAR, L'*', 0);
  SendMessageW(edit, EM_LIMITTEXT, kPasswordMaxLength, 0);
  {
    // The starting value, through a buffer that is wiped afterwards.
    wchar_t wide[kPasswordMaxLength + 1] = {};
    const int length = win32::WideFromCp936(state.value->View(), wide, kPasswordMaxLength);
    wide[length] = 0;
    SetWindowTextW(edit, wide);
    SecureZeroMemory(wide, sizeof wide);
  }
  SendMessageW(edit, EM_SETSEL, 0, -1);
  const std::wstring ok = bridge::LoadPluginString(state.strings, bridge::kStrOk);
  const std::wstring cancel = bridge::LoadPluginString(state.strings, bridge::kStrCancel);
  MakeControl(dialog, 0, L"BUTTON", ok.c_str(), WS_TABSTOP | BS_DEFPUSHBUTTON, g.okLeft,
              g.buttonTop, g.buttonWidth, g.buttonHeight, IDOK, font);
  MakeControl(dialog, 0, L"BUTTON", cancel.c_str(), WS_TABSTOP | BS_PUSHBUTTON, g.cancelLeft,
              g.buttonTop, g.buttonWidth, g.buttonHeight, IDCANCEL, font);
  SendMessageW(dialog, DM_SETDEFID, IDOK, 0);
  SetFocus(edit);
}

INT_PTR CALLBACK DialogProc(HWND dialog, UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_INITDIALOG: {
      SetWindowLongPtrW(dialog, DWLP_USER, lParam);
      const auto& state = *reinterpret_cast<const QueryState*>(lParam);
      if (!ui::RunGuarded([&] { InitDialog(dialog, state); }, dialog)) EndDialog(dialog, IDCANCEL);
      return FALSE;  // the focus is set
    }
    case WM_COMMAND: {
      const WORD id = LOWORD(wParam);
      if (id != IDOK && id != IDCANCEL) break;
      auto* state = reinterpret_cast<QueryState*>(GetWindowLongPtrW(dialog, DWLP_USER));
      HWND edit = GetDlgItem(dialog, kPasswordEditId);
      if (id == IDOK && state && edit) TakeText(edit, *state->value);
      if (edit) BlankEdit(edit);
      EndDialog(dialog, id);
      return TRUE;
    }
  }
  return FALSE;
}

}  // namespace

SIZE AverageCharSize(HDC dc) {
  char letters[52];
  for (int i = 0; i < 26; ++i) {
    letters[i] = static_cast<char>('A' + i);
    letters[26 + i] = static_cast<char>('a' + i);
  }
  SIZE size{};
  GetTextExtentPointA(dc, letters, 52, &size);
  return {size.cx / 52, size.cy};
}

TPasswordGeometry PasswordGeometry(SIZE c) {
  const auto h = [&c](int units) { return MulDiv(units, c.cx, 4); };
  const auto v = [&c](int units) { return MulDiv(units, c.cy, 8); };
  TPasswordGeometry g{};
  g.client = {h(180), v(63)};
  g.label = {h(8), v(8)};
  g.edit = {g.label.x, v(19)};
  g.editWidth = h(164);
  g.editHeight = c.cy + 8;  // the default height of a one-line edit in this font
  g.buttonTop = v(41);
  g.buttonWidth = h(50);
  g.buttonHeight = v(14);
  g.okLeft = h(38);
  g.cancelLeft = h(92);
  return g;
}

bool PasswordQuery(const std::string& caption, const std::string& prompt, win32::SecretText& value,
                   HWND owner, HMODULE strings) {
  // Typed into a separate holder, so that a cancel leaves value as it was.
  win32::SecretText typed(value.View());
  QueryState state{win32::WideFromCp936(caption), win32::WideFromCp936(prompt), &typed, strings};
  const std::vector<DWORD> dialogTemplate = DialogTemplate();
  const INT_PTR result = DialogBoxIndirectParamW(
      win32::ThisModule(), reinterpret_cast<const DLGTEMPLATE*>(dialogTemplate.data()), owner,
      DialogProc, reinterpret_cast<LPARAM>(&state));
  if (result == -1) throw std::runtime_error("the password dialog cannot be shown");
  if (result != IDOK) return false;
  value.Swap(typed);
  return true;
}

}  // namespace topo::window
