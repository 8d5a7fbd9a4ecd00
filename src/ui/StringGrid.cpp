// The grid's window: its class, the procedure that owns the grid object, and
// what the keys (moving the selected row) and the mouse (selecting a row,
// dragging a column line in the fixed row) do.
#include "ui/StringGrid.h"

#include <memory>

#include "ui/ControlClasses.h"
#include "ui/ExceptionBoundary.h"
#include "ui/StringGridAccessible.h"
#include "win32/GdiHandles.h"
#include "win32/ThisModule.h"

namespace topo::ui {

void StringGrid::Register() {
  HINSTANCE instance = win32::ThisModule();
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  if (GetClassInfoExW(instance, kStringGridClass, &wc)) return;
  wc.style = CS_DBLCLKS;
  wc.lpfnWndProc = Proc;
  wc.hInstance = instance;
  wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
  wc.hbrBackground = nullptr;  // the grid paints every pixel itself
  wc.lpszClassName = kStringGridClass;
  RegisterClassExW(&wc);
}

StringGrid* StringGrid::From(HWND window) {
  wchar_t name[64] = L"";
  if (!window || !GetClassNameW(window, name, 64) || lstrcmpiW(name, kStringGridClass) != 0)
    return nullptr;
  return reinterpret_cast<StringGrid*>(GetWindowLongPtrW(window, GWLP_USERDATA));
}

LRESULT CALLBACK StringGrid::Proc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    // The window owns its grid: made here, deleted at WM_NCDESTROY. A grid
    // that cannot be made fails the window's creation.
    std::unique_ptr<StringGrid> made;
    try {
      made = std::make_unique<StringGrid>(window);
    } catch (...) {
      return FALSE;
    }
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(made.release()));
  }
  auto* grid = reinterpret_cast<StringGrid*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!grid) return DefWindowProcW(window, message, wParam, lParam);
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    std::unique_ptr<StringGrid> owned(grid);
    return DefWindowProcW(window, message, wParam, lParam);
  }
  LRESULT result = 0;
  if (!RunGuarded([&] { result = grid->Message(message, wParam, lParam); }, window)) {
    return DefWindowProcW(window, message, wParam, lParam);
  }
  return result;
}

LRESULT StringGrid::Message(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_ERASEBKGND:
      return 1;
    case WM_PAINT: {
      win32::PaintDc dc(hwnd_);
      Paint(dc.Get(), dc.Update());
      return 0;
    }
    case WM_SIZE:
      Changed();
      return 0;
    case WM_SETFONT:
      font_ = reinterpret_cast<HFONT>(wParam);
      if (LOWORD(lParam)) InvalidateRect(hwnd_, nullptr, FALSE);
      return 0;
    case WM_GETFONT:
      return reinterpret_cast<LRESULT>(font_);
    case WM_GETDLGCODE:
      return DLGC_WANTARROWS;
    case WM_GETOBJECT:
      if (LRESULT answer = accessible_.Answer(
              wParam, lParam, [this] { return MakeAccessible<StringGridAccessible>(*this); }))
        return answer;
      break;
    case WM_HSCROLL:
      Scroll(SB_HORZ, LOWORD(wParam));
      return 0;
    case WM_VSCROLL:
      Scroll(SB_VERT, LOWORD(wParam));
      return 0;
    case WM_MOUSEWHEEL:
      Scroll(SB_VERT, GET_WHEEL_DELTA_WPARAM(wParam) > 0 ? SB_LINEUP : SB_LINEDOWN);
      return 0;
    case WM_KEYDOWN: {
      const int page = RowsFit();
      switch (wParam) {
        case VK_UP:
          SetRow(row_ - 1);
          return 0;
        case VK_DOWN:
          SetRow(row_ + 1);
          return 0;
        case VK_PRIOR:
          SetRow(row_ - page);
          return 0;
        case VK_NEXT:
          SetRow(row_ + page);
          return 0;
        case VK_HOME:
          SetRow(fixedRows_);
          return 0;
        case VK_END:
          SetRow(rows_ - 1);
          return 0;
        default:
          break;
      }
      break;
    }
    case WM_LBUTTONDOWN: {
      SetFocus(hwnd_);
      const int x = static_cast<short>(LOWORD(lParam)), y = static_cast<short>(HIWORD(lParam));
      const int row = RowAt(y);
      if (options_.colSizing && row >= 0 && row < fixedRows_) {
        const int col = LineAfterCol(x);
        if (col >= 0) {
          sizingCol_ = col;
          sizingStartX_ = x;
          sizingStartWidth_ = ColWidth(col);
          SetCapture(hwnd_);
          return 0;
        }
      }
      if (row >= fixedRows_) SetRow(row);
      return 0;
    }
    case WM_MOUSEMOVE:
      if (sizingCol_ >= 0)
        SetColWidth(sizingCol_,
                    sizingStartWidth_ + static_cast<short>(LOWORD(lParam)) - sizingStartX_);
      return 0;
    case WM_LBUTTONUP:
      if (sizingCol_ >= 0) ReleaseCapture();
      return 0;
    case WM_CAPTURECHANGED:
      sizingCol_ = -1;
      return 0;
    case WM_SETCURSOR:
      if (LOWORD(lParam) == HTCLIENT && options_.colSizing) {
        POINT p;
        GetCursorPos(&p);
        ScreenToClient(hwnd_, &p);
        const int row = RowAt(p.y);
        if (sizingCol_ >= 0 || (row >= 0 && row < fixedRows_ && LineAfterCol(p.x) >= 0)) {
          SetCursor(LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_SIZEWE)));
          return TRUE;
        }
      }
      break;
    case WM_SETFOCUS:
    case WM_KILLFOCUS:
      InvalidateRect(hwnd_, nullptr, FALSE);
      break;
    default:
      break;
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

}  // namespace topo::ui
