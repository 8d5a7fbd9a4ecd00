// Painting the grid: every pixel of the update region, cell by cell with its
// right and bottom line, so the window class needs no background brush and a
// repaint does not flicker.
#include "ui/StringGrid.h"
#include "win32/GdiHandles.h"

namespace topo::ui {

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

}  // namespace topo::ui
