// The text grid control: cells, painting, scrolling, column sizing, selection.
#include "ui/StringGrid.h"

#include <algorithm>
#include <memory>

#include "ui/ControlClasses.h"
#include "ui/ExceptionBoundary.h"
#include "win32/GdiHandles.h"
#include "win32/ThisModule.h"

namespace topo::ui {
namespace {

constexpr int kLine = 1;        // width of a grid line
constexpr int kSizingSlop = 3;  // how near a column line the drag may start
constexpr int kMinColWidth = 4;

const std::wstring kEmpty;

}  // namespace

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

// The storage grows before the counts do: when memory runs out, the counts
// still describe cells that exist, so no later access reaches past a row.
void StringGrid::SetColCount(int count) {
  count = std::max(1, count);
  colWidths_.resize(static_cast<size_t>(count), defaultColWidth_);
  for (auto& row : cells_) row.resize(static_cast<size_t>(count));
  if (count <= fixedCols_) fixedCols_ = count - 1;
  cols_ = count;
  Changed();
}

void StringGrid::SetRowCount(int count) {
  count = std::max(1, count);
  cells_.resize(static_cast<size_t>(count), std::vector<std::wstring>(static_cast<size_t>(cols_)));
  if (count <= fixedRows_) fixedRows_ = count - 1;
  rows_ = count;
  if (row_ >= rows_) row_ = rows_ - 1;
  if (row_ < fixedRows_) row_ = rows_ > fixedRows_ ? fixedRows_ : -1;
  Changed();
}

void StringGrid::SetFixed(int cols, int rows) {
  fixedCols_ = std::clamp(cols, 0, cols_ - 1);
  fixedRows_ = std::clamp(rows, 0, rows_ - 1);
  if (row_ < fixedRows_) row_ = fixedRows_;
  Changed();
}

const std::wstring& StringGrid::Cell(int col, int row) const {
  if (col < 0 || row < 0 || col >= cols_ || row >= rows_) return kEmpty;
  return cells_[static_cast<size_t>(row)][static_cast<size_t>(col)];
}

void StringGrid::SetCell(int col, int row, std::wstring text) {
  if (col < 0 || row < 0 || col >= cols_ || row >= rows_) return;
  cells_[static_cast<size_t>(row)][static_cast<size_t>(col)] = std::move(text);
  if (hwnd_) InvalidateRect(hwnd_, nullptr, FALSE);
}

void StringGrid::SetDefaultColWidth(int width) {
  defaultColWidth_ = std::max(kMinColWidth, width);
  std::fill(colWidths_.begin(), colWidths_.end(), defaultColWidth_);
  Changed();
}

int StringGrid::ColWidth(int col) const {
  return col >= 0 && col < cols_ ? colWidths_[static_cast<size_t>(col)] : 0;
}

void StringGrid::SetColWidth(int col, int width) {
  if (col < 0 || col >= cols_) return;
  colWidths_[static_cast<size_t>(col)] = std::max(kMinColWidth, width);
  Changed();
}

void StringGrid::SetRowHeight(int height) {
  rowHeight_ = std::max(1, height);
  Changed();
}

void StringGrid::SetOptions(const Options& options) {
  options_ = options;
  Changed();
}

void StringGrid::SetRow(int row) {
  if (rows_ <= fixedRows_) return;
  row_ = std::clamp(row, fixedRows_, rows_ - 1);
  KeepRowVisible();
  if (hwnd_) InvalidateRect(hwnd_, nullptr, FALSE);
}

int StringGrid::ColLeft(int col) const {
  int x = 0;
  for (int c = 0; c < std::min(col, fixedCols_); ++c) x += ColWidth(c) + kLine;
  if (col < fixedCols_) return x;
  for (int c = fixedCols_ + leftCol_; c < col; ++c) x += ColWidth(c) + kLine;
  for (int c = col; c < fixedCols_ + leftCol_; ++c) x -= ColWidth(c) + kLine;
  return x;
}

int StringGrid::RowTop(int row) const {
  const int step = rowHeight_ + kLine;
  if (row < fixedRows_) return row * step;
  return (fixedRows_ + row - fixedRows_ - topRow_) * step;
}

int StringGrid::LineAfterCol(int x) const {
  for (int c = 0; c < cols_; ++c) {
    if (c >= fixedCols_ && c < fixedCols_ + leftCol_) continue;
    const int right = ColLeft(c) + ColWidth(c);
    if (x >= right - kSizingSlop && x <= right + kSizingSlop) return c;
  }
  return -1;
}

int StringGrid::RowsFit() const {
  RECT rc{};
  if (hwnd_) GetClientRect(hwnd_, &rc);
  const int step = rowHeight_ + kLine;
  return std::max(1, static_cast<int>((rc.bottom - fixedRows_ * step) / step));
}

int StringGrid::RowAt(int y) const {
  const int step = rowHeight_ + kLine;
  if (y < 0) return -1;
  const int fixedHeight = fixedRows_ * step;
  if (y < fixedHeight) return y / step;
  const int row = fixedRows_ + topRow_ + (y - fixedHeight) / step;
  return row < rows_ ? row : -1;
}

void StringGrid::Changed() {
  if (!hwnd_) return;
  RECT rc;
  GetClientRect(hwnd_, &rc);
  // Whole columns and rows scroll; a bar shows only when they do not all fit.
  const int normalCols = cols_ - fixedCols_, normalRows = rows_ - fixedRows_;
  int fixedWidth = 0;
  for (int c = 0; c < fixedCols_; ++c) fixedWidth += ColWidth(c) + kLine;
  int fit = 0;
  for (int c = cols_ - 1, used = fixedWidth; c >= fixedCols_; --c, ++fit) {
    used += ColWidth(c) + kLine;
    if (used > rc.right && fit > 0) break;
  }
  leftCol_ = std::clamp(leftCol_, 0, std::max(0, normalCols - fit));
  SCROLLINFO h{sizeof h,
               SIF_RANGE | SIF_PAGE | SIF_POS | SIF_DISABLENOSCROLL,
               0,
               std::max(0, normalCols - 1),
               static_cast<UINT>(std::max(1, fit)),
               leftCol_,
               0};
  if (fit >= normalCols) h.fMask &= ~SIF_DISABLENOSCROLL;
  SetScrollInfo(hwnd_, SB_HORZ, &h, TRUE);
  const int rowsFit = RowsFit();
  topRow_ = std::clamp(topRow_, 0, std::max(0, normalRows - rowsFit));
  SCROLLINFO v{sizeof v,
               SIF_RANGE | SIF_PAGE | SIF_POS,
               0,
               std::max(0, normalRows - 1),
               static_cast<UINT>(rowsFit),
               topRow_,
               0};
  SetScrollInfo(hwnd_, SB_VERT, &v, TRUE);
  InvalidateRect(hwnd_, nullptr, FALSE);
}

void StringGrid::Scroll(int bar, int request) {
  int& first = bar == SB_HORZ ? leftCol_ : topRow_;
  SCROLLINFO si{sizeof si, SIF_ALL, 0, 0, 0, 0, 0};
  GetScrollInfo(hwnd_, bar, &si);
  switch (request) {
    case SB_LINEUP:
      --first;
      break;
    case SB_LINEDOWN:
      ++first;
      break;
    case SB_PAGEUP:
      first -= static_cast<int>(std::max(1u, si.nPage));
      break;
    case SB_PAGEDOWN:
      first += static_cast<int>(std::max(1u, si.nPage));
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION:
      first = si.nTrackPos;
      break;
    case SB_TOP:
      first = 0;
      break;
    case SB_BOTTOM:
      first = si.nMax;
      break;
    default:
      return;
  }
  first = std::max(0, first);
  Changed();
}

void StringGrid::KeepRowVisible() {
  if (!hwnd_ || row_ < fixedRows_) return;
  const int rowsFit = RowsFit();
  const int index = row_ - fixedRows_;
  if (index < topRow_) topRow_ = index;
  if (index >= topRow_ + rowsFit) topRow_ = index - rowsFit + 1;
  Changed();
}

void StringGrid::Paint(HDC dc, const RECT& update) {
  RECT client;
  GetClientRect(hwnd_, &client);
  win32::Brush window(CreateSolidBrush(GetSysColor(COLOR_WINDOW)));
  FillRect(dc, &update, window.Get());
  win32::SelectedObject font(dc, font_ ? font_ : GetStockObject(DEFAULT_GUI_FONT));
  const win32::Brush normalLine(CreateSolidBrush(RGB(192, 192, 192)));
  const win32::Brush fixedLine(CreateSolidBrush(GetSysColor(COLOR_BTNSHADOW)));
  for (int r = 0; r < rows_; ++r) {
    if (r >= fixedRows_ && r < fixedRows_ + topRow_) continue;
    const int y = RowTop(r);
    if (y >= client.bottom) break;
    for (int c = 0; c < cols_; ++c) {
      if (c >= fixedCols_ && c < fixedCols_ + leftCol_) continue;
      const int x = ColLeft(c);
      if (x >= client.right) break;
      const bool fixed = r < fixedRows_ || c < fixedCols_;
      const bool selected = !fixed && r == row_ && options_.rowSelect;
      const bool lines = fixed ? options_.fixedLines : options_.lines;
      // The cell with its right and bottom line; the line shows where the
      // cell's own background leaves it out.
      RECT outer{x, y, x + ColWidth(c) + kLine, y + rowHeight_ + kLine};
      RECT cell{x, y, x + ColWidth(c), y + rowHeight_};
      if (lines) {
        FillRect(dc, &outer, (fixed ? fixedLine : normalLine).Get());
      } else {
        cell = outer;
      }
      SetBkColor(dc, GetSysColor(fixed      ? COLOR_BTNFACE
                                 : selected ? COLOR_HIGHLIGHT
                                            : COLOR_WINDOW));
      SetTextColor(dc, GetSysColor(selected ? COLOR_HIGHLIGHTTEXT : COLOR_WINDOWTEXT));
      const std::wstring& text = cells_[static_cast<size_t>(r)][static_cast<size_t>(c)];
      ExtTextOutW(dc, x + 2, y + 2, ETO_CLIPPED | ETO_OPAQUE, &cell, text.c_str(),
                  static_cast<UINT>(text.size()), nullptr);
    }
  }
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
