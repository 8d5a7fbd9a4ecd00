// The form's side of its controls: finding them by name, the handlers their
// notifications run, and the subclass through which every control passes its
// keys, its focus and (for group boxes and panels, which would drop them) its
// children's notifications to the form, and through which autosized labels
// stay fitted to their text.
// commctrl.h needs windows.h first.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on

#include <vector>

#include "ui/ExceptionBoundary.h"
#include "ui/Form.h"

namespace topo::ui {
namespace {

constexpr UINT_PTR kSubclassId = 0x70706F;

void CollectControls(HWND container, std::vector<HWND>& out) {
  for (HWND child = GetWindow(container, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    out.push_back(child);
    CollectControls(child, out);
  }
}

bool IsUpDown(HWND control) {
  wchar_t name[32] = L"";
  GetClassNameW(control, name, 32);
  return lstrcmpiW(name, UPDOWN_CLASSW) == 0;
}

// Runs the handler registered for control, if any. The handler is copied
// first, so it may replace or remove itself.
template <class Map, class... Args>
bool RunHandler(const Map& handlers, HWND control, Args... args) {
  auto it = handlers.find(control);
  if (it == handlers.end() || !it->second) return false;
  auto handler = it->second;
  handler(control, args...);
  return true;
}

// Sizes a label to its text; a right-aligned one keeps its right edge.
void FitLabel(HWND label) {
  const std::wstring text = WindowText(label);
  SIZE extent{};
  {
    win32::WindowDc dc(label);
    win32::SelectedObject font(dc.Get(),
                               reinterpret_cast<HGDIOBJ>(SendMessageW(label, WM_GETFONT, 0, 0)));
    GetTextExtentPoint32W(dc.Get(), text.c_str(), static_cast<int>(text.size()), &extent);
    if (text.empty()) {
      TEXTMETRICW tm{};
      GetTextMetricsW(dc.Get(), &tm);
      extent.cy = tm.tmHeight;
    }
  }
  RECT r;
  GetWindowRect(label, &r);
  MapWindowPoints(nullptr, GetParent(label), reinterpret_cast<POINT*>(&r), 2);
  const bool right = (GetWindowLongW(label, GWL_STYLE) & SS_TYPEMASK) == SS_RIGHT;
  SetWindowPos(label, nullptr, right ? r.right - extent.cx : r.left, r.top, extent.cx, extent.cy,
               SWP_NOZORDER | SWP_NOACTIVATE);
}

}  // namespace

std::wstring WindowText(HWND window) {
  std::wstring text(static_cast<size_t>(GetWindowTextLengthW(window)) + 1, L'\0');
  text.resize(
      static_cast<size_t>(GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
  return text;
}

HWND Form::Control(const std::wstring& name) const {
  auto it = controls_.find(name);
  return it == controls_.end() ? nullptr : it->second;
}

void Form::FitAutoSizeLabels() {
  for (const ControlLayout& c : layout_.controls) {
    HWND w = Control(c.name);
    if (!w || c.kind != L"label" || !c.Has(L"autosize")) continue;
    autoSizeLabels_.insert(w);
    FitLabel(w);
  }
}

void Form::SetClickHandler(HWND control, Handler handler) {
  clickHandlers_[control] = std::move(handler);
}

void Form::SetChangeHandler(HWND control, Handler handler) {
  changeHandlers_[control] = std::move(handler);
}

void Form::SetUpDownHandler(HWND control, std::function<void(HWND, int)> handler) {
  upDownHandlers_[control] = std::move(handler);
}

bool Form::RunClickHandler(HWND control) { return RunHandler(clickHandlers_, control); }

void Form::AdoptControls() {
  if (!hwnd_) return;
  std::vector<HWND> all;
  CollectControls(hwnd_, all);
  for (HWND child : all)
    SetWindowSubclass(child, ControlProc, kSubclassId, reinterpret_cast<DWORD_PTR>(hwnd_));
}

LRESULT CALLBACK Form::ControlProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam,
                                   UINT_PTR, DWORD_PTR formWindow) {
  HWND formHandle = reinterpret_cast<HWND>(formWindow);
  auto* form = reinterpret_cast<Form*>(GetWindowLongPtrW(formHandle, GWLP_USERDATA));
  switch (message) {
    case WM_KEYDOWN:
      if (form) {
        // Key preview: the window sees the key first; the control still gets it.
        RunGuarded([&] { form->KeyDown(static_cast<WORD>(wParam), CurrentShiftState()); },
                   formHandle);
        if (!IsWindow(control)) return 0;
      }
      break;
    case WM_SETFOCUS:
      if (form) form->activeControl_ = control;
      break;
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_HSCROLL:
    case WM_VSCROLL:
      // A group box or panel would drop its controls' notifications.
      if (IsContainerControl(control) &&
          ((message != WM_HSCROLL && message != WM_VSCROLL) || lParam))
        return SendMessageW(formHandle, message, wParam, lParam);
      break;
    case WM_SETTEXT:
      if (form && form->autoSizeLabels_.count(control)) {
        LRESULT result = DefSubclassProc(control, message, wParam, lParam);
        FitLabel(control);
        return result;
      }
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(control, ControlProc, kSubclassId);
      break;
    default:
      break;
  }
  return DefSubclassProc(control, message, wParam, lParam);
}

// Control notifications to their handlers; true when one ran.
bool Form::Dispatch(UINT message, WPARAM wParam, LPARAM lParam) {
  HWND control = reinterpret_cast<HWND>(lParam);
  switch (message) {
    case WM_COMMAND:
      if (!control) return false;
      switch (HIWORD(wParam)) {
        case BN_CLICKED:
          return RunHandler(clickHandlers_, control);
        case EN_CHANGE:
        case CBN_SELCHANGE:
          return RunHandler(changeHandlers_, control);
        default:
          return false;
      }
    case WM_HSCROLL:
    case WM_VSCROLL:
      // An up-down tells its new position with SB_THUMBPOSITION.
      if (control && IsUpDown(control) && LOWORD(wParam) == SB_THUMBPOSITION)
        return RunHandler(upDownHandlers_, control,
                          static_cast<int>(SendMessageW(control, UDM_GETPOS32, 0, 0)));
      return false;
    default:
      return false;
  }
}

}  // namespace topo::ui
