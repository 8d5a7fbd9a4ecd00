// Where each column and row of the grid lies, and which are scrolled in. Whole
// columns and rows scroll while the fixed ones stay, so positions are counted
// from the fixed cells plus the first scrolled-in column or row.
#include <algorithm>

#include "ui/StringGrid.h"

namespace topo::ui {

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

bool StringGrid::CellBounds(int col, int row, RECT& bounds) const {
  const int left = ColLeft(col), top = RowTop(row);
  bounds = {left, top, left + ColWidth(col), top + rowHeight_};
  return (col < fixedCols_ || col >= fixedCols_ + leftCol_) &&
         (row < fixedRows_ || row >= fixedRows_ + topRow_);
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

}  // namespace topo::ui
