// The form's window: its class, its creation from the layout, its procedure
// and its lifetime. The object and the window part in a fixed order (the
// object first when the object goes, the object deleted last when a
// self-owned window goes), so no message ever reaches a half-destroyed form.
#include "ui/Form.h"

#include <stdexcept>
#include <utility>

#include "ui/ExceptionBoundary.h"
#include "ui/FormLayoutBuilder.h"
#include "win32/ThisModule.h"

namespace topo::ui {
namespace {

// Posted to itself by ReleaseLater: the window is destroyed once the message
// that asked for it has been handled.
constexpr UINT kReleaseMessage = WM_APP + 0x100;

}  // namespace

Form::Form(const FormLayout& layout, HMODULE bitmapSource) : layout_(layout) {
  HINSTANCE instance = win32::ThisModule();
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  if (!GetClassInfoExW(instance, kFormClass, &wc)) {
    wc = WNDCLASSEXW{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = StaticWindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kFormClass;
    if (!RegisterClassExW(&wc)) throw std::runtime_error("the window class cannot be registered");
  }
  font_.Reset(CreateFontW(layout_.fontHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                          DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                          DEFAULT_PITCH | FF_DONTCARE, layout_.fontFace.c_str()));

  // A single fixed border with a caption, as a top-level window.
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  RECT outer{0, 0, layout_.width, layout_.height};
  if (!layout_.outerSize) AdjustWindowRectEx(&outer, style, FALSE, 0);
  hwnd_ = CreateWindowExW(0, kFormClass, layout_.caption.c_str(), style, layout_.left, layout_.top,
                          outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr,
                          instance, this);
  if (!hwnd_) throw std::runtime_error("the window cannot be created");
  // No destructor runs for a half-built form: the window must not outlive it.
  try {
    BuildContents(bitmapSource);
  } catch (...) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(std::exchange(hwnd_, nullptr));
    throw;
  }
}

void Form::BuildContents(HMODULE bitmapSource) {
  BuiltControls built = CreateLayoutControls(hwnd_, layout_, font_.Get(),
                                             bitmapSource ? bitmapSource : win32::ThisModule());
  controls_ = std::move(built.windows);
  images_ = std::move(built.images);
  RecordAnchors();
  FitAutoSizeLabels();
  BuildMenus();
  AdoptControls();
}

Form::~Form() {
  if (hwnd_) {
    // The object goes first: the window's last messages must not reach it.
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(std::exchange(hwnd_, nullptr));
  }
}

void Form::Show() {
  if (!hwnd_) return;
  ShowWindow(hwnd_, SW_SHOW);
  SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

void Form::SetOwner(HWND owner) {
  if (hwnd_) SetWindowLongPtrW(hwnd_, GWLP_HWNDPARENT, reinterpret_cast<LONG_PTR>(owner));
}

void Form::Close() {
  if (modal_) {
    modalResult_ = mrCancel;
    return;
  }
  TCloseAction action = TCloseAction::Hide;
  FormClose(action);
  switch (action) {
    case TCloseAction::Hide:
      ShowWindow(hwnd_, SW_HIDE);
      break;
    case TCloseAction::Free:
      ReleaseLater();
      break;
    case TCloseAction::Minimize:
      ShowWindow(hwnd_, SW_MINIMIZE);
      break;
    case TCloseAction::None:
      break;
  }
}

void Form::ReleaseLater() {
  if (hwnd_) PostMessageW(hwnd_, kReleaseMessage, 0, 0);
}

LRESULT Form::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_KEYDOWN:
      KeyDown(static_cast<WORD>(wParam), CurrentShiftState());
      break;
    case WM_MOUSEWHEEL:
      MouseWheel(GET_WHEEL_DELTA_WPARAM(wParam));
      return 0;
    case WM_HSCROLL:
    case WM_VSCROLL:
      if (lParam == 0) {  // the window's own bar, not an up-down control
        ScrollMessage(message == WM_HSCROLL ? SB_HORZ : SB_VERT, LOWORD(wParam));
        return 0;
      }
      if (Dispatch(message, wParam, lParam)) return 0;
      break;
    case WM_SIZE:
      UpdateScrollBars();
      ApplyAnchors();
      break;
    case WM_PAINT:
      Paint(nullptr);
      return 0;
    case WM_PRINTCLIENT:
      Paint(reinterpret_cast<HDC>(wParam));
      return 0;
    case WM_SHOWWINDOW:
      if (wParam) {
        AdoptControls();
        if (!ActiveControl()) {
          if (HWND first = FindNextInContainer(hwnd_, nullptr, true, false, false)) SetFocus(first);
        }
        FormShow();
      }
      break;
    case WM_COMMAND:
      if (Dispatch(message, wParam, lParam)) return 0;
      break;
    case WM_CLOSE:
      Close();
      return 0;
    case kReleaseMessage:
      DestroyWindow(hwnd_);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK Form::StaticWindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* created = static_cast<Form*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    created->hwnd_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
  }
  auto* form = reinterpret_cast<Form*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!form) return DefWindowProcW(window, message, wParam, lParam);
  LRESULT result = 0;
  if (!RunGuarded([&] { result = form->WindowProc(message, wParam, lParam); }, window)) result = 0;
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    form->hwnd_ = nullptr;
    form->alive_.reset();
    std::unique_ptr<Form> owned = std::move(form->self_);  // deletes a self-owned form
  }
  return result;
}

}  // namespace topo::ui
