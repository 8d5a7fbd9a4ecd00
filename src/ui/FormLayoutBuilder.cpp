// Builds a parsed layout's controls: the window class and styles of each kind,
// the kinds' own settings (drop-down height, grid shape, up-down range and
// buddy), and the tab order, which is the siblings' z-order.
#include "ui/FormLayoutBuilder.h"

#include <commctrl.h>

#include <algorithm>
#include <climits>
#include <stdexcept>

#include "ui/ControlClasses.h"
#include "ui/FormImage.h"
#include "ui/StringGrid.h"
#include "win32/Cp936.h"
#include "win32/ThisModule.h"

namespace topo::ui {
namespace {

void RegisterContainerClass(const wchar_t* name) {
  HINSTANCE instance = win32::ThisModule();
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  if (GetClassInfoExW(instance, name, &wc)) return;
  wc.lpfnWndProc = DefWindowProcW;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
  wc.lpszClassName = name;
  RegisterClassExW(&wc);
}

struct Made {
  const wchar_t* cls;
  DWORD style;
  DWORD exStyle;
};

Made ClassFor(const ControlLayout& c) {
  const std::wstring& k = c.kind;
  if (k == L"label") {
    const std::wstring align = c.Text(L"align", L"left");
    return {L"STATIC",
            static_cast<DWORD>(SS_NOPREFIX | (align == L"right"    ? SS_RIGHT
                                              : align == L"center" ? SS_CENTER
                                                                   : SS_LEFT)),
            0};
  }
  if (k == L"edit")
    return {
        L"EDIT",
        static_cast<DWORD>(WS_TABSTOP | ES_AUTOHSCROLL | (c.Has(L"readonly") ? ES_READONLY : 0)),
        WS_EX_CLIENTEDGE};
  if (k == L"button") return {L"BUTTON", WS_TABSTOP | BS_PUSHBUTTON, 0};
  if (k == L"checkbox") return {L"BUTTON", WS_TABSTOP | BS_AUTOCHECKBOX, 0};
  if (k == L"groupbox") return {L"BUTTON", BS_GROUPBOX | WS_CLIPSIBLINGS, 0};
  if (k == L"panel") return {kPanelClass, WS_CLIPSIBLINGS, 0};
  if (k == L"listbox")
    return {L"LISTBOX", WS_TABSTOP | WS_VSCROLL | LBS_NOTIFY | LBS_NOINTEGRALHEIGHT,
            WS_EX_CLIENTEDGE};
  if (k == L"combobox") return {L"COMBOBOX", WS_TABSTOP | WS_VSCROLL | CBS_DROPDOWNLIST, 0};
  if (k == L"updown")
    return {UPDOWN_CLASSW,
            static_cast<DWORD>(WS_TABSTOP | UDS_SETBUDDYINT | UDS_ARROWKEYS | UDS_NOTHOUSANDS |
                               (c.Has(L"wrap") ? UDS_WRAP : 0)),
            0};
  return {kStringGridClass, WS_TABSTOP | WS_HSCROLL | WS_VSCROLL, WS_EX_CLIENTEDGE};
}

// A drop-down list: its closed height is the layout's, and the window's
// height (which Win32 uses for the open list) shows `items` items.
void ShapeComboBox(HWND w, const ControlLayout& c) {
  const int item = static_cast<int>(SendMessageW(w, CB_GETITEMHEIGHT, 0, 0));
  SetWindowPos(w, nullptr, 0, 0, c.width, c.height + c.Int(L"items", 8) * item + 2,
               SWP_NOMOVE | SWP_NOZORDER | SWP_NOACTIVATE);
  // The selection field's height follows its item height (and the frame
  // the system adds to it), so that is set until the field is as laid out.
  for (int round = 0; round < 2; ++round) {
    RECT field;
    GetWindowRect(w, &field);
    const int off = c.height - (field.bottom - field.top);
    if (off == 0) break;
    const int current =
        static_cast<int>(SendMessageW(w, CB_GETITEMHEIGHT, static_cast<WPARAM>(-1), 0));
    SendMessageW(w, CB_SETITEMHEIGHT, static_cast<WPARAM>(-1), std::max(1, current + off));
  }
}

void ConfigureGrid(HWND w, const ControlLayout& c) {
  StringGrid* grid = StringGrid::From(w);
  if (!grid) return;
  grid->SetColCount(c.Int(L"columns", 5));
  grid->SetRowCount(c.Int(L"rows", 5));
  grid->SetFixed(c.Int(L"fixedcols", 1), c.Int(L"fixedrows", 1));
  grid->SetDefaultColWidth(c.Int(L"colwidth", 64));
  grid->SetRowHeight(c.Int(L"rowheight", 24));
  StringGrid::Options options;
  options.lines = c.Has(L"lines");
  options.fixedLines = c.Has(L"fixedlines");
  options.colSizing = c.Has(L"colsizing");
  options.rowSelect = c.Has(L"rowselect");
  grid->SetOptions(options);
}

}  // namespace

BuiltControls CreateLayoutControls(HWND form, const FormLayout& layout, HFONT font,
                                   HMODULE bitmapSource) {
  INITCOMMONCONTROLSEX icc{sizeof icc, ICC_UPDOWN_CLASS | ICC_STANDARD_CLASSES};
  InitCommonControlsEx(&icc);
  RegisterContainerClass(kPanelClass);
  RegisterContainerClass(kTabSheetClass);
  StringGrid::Register();

  BuiltControls built;
  auto& made = built.windows;
  for (const ControlLayout& c : layout.controls) {
    if (c.kind == L"image") {
      built.images.push_back(
          std::make_unique<FormImage>(c.name, bitmapSource, c.Text(L"bitmap"),
                                      RECT{c.left, c.top, c.left + c.width, c.top + c.height},
                                      c.Has(L"transparent"), !c.Has(L"hidden")));
      continue;
    }
    Made m = ClassFor(c);
    HWND parent = c.Has(L"parent") ? made.at(c.Text(L"parent")) : form;
    DWORD style = WS_CHILD | m.style | (c.Has(L"hidden") ? 0 : WS_VISIBLE) |
                  (c.Has(L"disabled") ? WS_DISABLED : 0);
    HWND w = CreateWindowExW(
        m.exStyle, m.cls, c.Text(L"text").c_str(), style, c.left, c.top, c.width, c.height, parent,
        reinterpret_cast<HMENU>(static_cast<INT_PTR>(c.id)), win32::ThisModule(), nullptr);
    if (!w) {
      throw std::runtime_error("window layout " + win32::Cp936FromWide(layout.name) + ", line " +
                               std::to_string(c.line) + ": the control cannot be created");
    }
    SendMessageW(w, WM_SETFONT, reinterpret_cast<WPARAM>(font), FALSE);
    if (c.kind == L"checkbox" && c.Has(L"checked")) SendMessageW(w, BM_SETCHECK, BST_CHECKED, 0);
    if (c.kind == L"combobox") ShapeComboBox(w, c);
    if (c.kind == L"grid") ConfigureGrid(w, c);
    if (c.kind == L"updown") {
      if (c.Has(L"buddy"))
        SendMessageW(w, UDM_SETBUDDY, reinterpret_cast<WPARAM>(made.at(c.Text(L"buddy"))), 0);
      SendMessageW(w, UDM_SETRANGE32, c.Int(L"min", 0), c.Int(L"max", 100));
      UDACCEL accel{0, static_cast<UINT>(c.Int(L"increment", 1))};
      SendMessageW(w, UDM_SETACCEL, 1, reinterpret_cast<LPARAM>(&accel));
      SendMessageW(w, UDM_SETPOS32, 0, c.Int(L"pos", c.Int(L"min", 0)));
    }
    made[c.name] = w;
  }

  // Tab order is the order of siblings: declared tab orders first, in order,
  // then the others as declared.
  std::vector<const ControlLayout*> order;
  for (const ControlLayout& c : layout.controls)
    if (made.count(c.name)) order.push_back(&c);
  std::stable_sort(order.begin(), order.end(), [](const ControlLayout* a, const ControlLayout* b) {
    return a->Int(L"tab", INT_MAX) < b->Int(L"tab", INT_MAX);
  });
  for (const ControlLayout* c : order)
    SetWindowPos(made.at(c->name), HWND_BOTTOM, 0, 0, 0, 0,
                 SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE | SWP_NOREDRAW);
  return built;
}

}  // namespace topo::ui
