// StringGrid: a text grid control of our own (window class kStringGridClass):
// a fixed first row and column, grid lines, columns the user resizes by
// dragging the line in the fixed row, whole-row selection, and cell texts set
// and read by column and row. A list view was not used because its first
// column scrolls away and its header is not a row: the cells and the column
// and row counts must read back exactly as they were set. Shrinking a count
// drops the cells cut off, so a later growth starts with empty cells.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

#include "ui/AccessibleObject.h"

namespace topo::ui {

// One class; its members are defined by concept in ui/StringGrid.cpp (the
// window), ui/StringGridCells.cpp, ui/StringGridScrolling.cpp and
// ui/StringGridPaint.cpp.
class StringGrid {
 public:
  struct Options {
    bool lines = true;       // lines between the normal cells
    bool fixedLines = true;  // lines between the fixed cells
    bool colSizing = true;   // the user drags column widths in the fixed row
    bool rowSelect = true;   // the selection is the whole row
  };

  // Registers the window class (once per module).
  static void Register();
  // The grid of a window of that class, else null.
  static StringGrid* From(HWND window);

  int ColCount() const { return cols_; }
  int RowCount() const { return rows_; }
  // A count is at least 1; the fixed columns (rows) shrink to leave one
  // normal column (row) when it is not more than they are.
  void SetColCount(int count);
  void SetRowCount(int count);
  int FixedCols() const { return fixedCols_; }
  int FixedRows() const { return fixedRows_; }
  void SetFixed(int cols, int rows);

  // Cells outside the grid read as empty; writing one is ignored.
  const std::wstring& Cell(int col, int row) const;
  void SetCell(int col, int row, std::wstring text);

  int DefaultColWidth() const { return defaultColWidth_; }
  void SetDefaultColWidth(int width);
  int ColWidth(int col) const;
  void SetColWidth(int col, int width);
  int RowHeight() const { return rowHeight_; }
  void SetRowHeight(int height);

  const Options& GetOptions() const { return options_; }
  void SetOptions(const Options& options);

  // The selected row (the first normal row at start), -1 when there is none.
  int Row() const { return row_; }
  void SetRow(int row);

  HWND Handle() const { return hwnd_; }
  // Where a cell lies in the client area, also while scrolled out of view
  // (then false, and it may lie under the fixed cells): for screen readers.
  bool CellBounds(int col, int row, RECT& bounds) const;

  // Made by the window itself (at WM_NCCREATE), which owns it.
  explicit StringGrid(HWND window) : hwnd_(window) {}
  StringGrid(const StringGrid&) = delete;
  StringGrid& operator=(const StringGrid&) = delete;

 private:
  static constexpr int kLine = 1;        // width of a grid line
  static constexpr int kSizingSlop = 3;  // how near a column line the drag may start
  static constexpr int kMinColWidth = 4;

  // ui/StringGrid.cpp
  static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
  LRESULT Message(UINT message, WPARAM wParam, LPARAM lParam);
  // ui/StringGridPaint.cpp
  void Paint(HDC dc, const RECT& update);
  // ui/StringGridScrolling.cpp
  int ColLeft(int col) const;  // client x of a column's left edge (scrolled)
  int RowTop(int row) const;
  int LineAfterCol(int x) const;  // the column whose right line is at x, else -1
  int RowAt(int y) const;
  int RowsFit() const;  // normal rows that fit below the fixed ones
  void Changed();       // counts or sizes changed: scroll bars and repaint
  void Scroll(int bar, int request);
  void KeepRowVisible();

  HWND hwnd_;
  int cols_ = 5, rows_ = 5;
  int fixedCols_ = 1, fixedRows_ = 1;
  int defaultColWidth_ = 64, rowHeight_ = 24;
  std::vector<int> colWidths_ = std::vector<int>(5, 64);
  std::vector<std::vector<std::wstring>> cells_ =
      std::vector<std::vector<std::wstring>>(5, std::vector<std::wstring>(5));  // [row][col]
  Options options_;
  int row_ = 1;
  int leftCol_ = 0, topRow_ = 0;  // first scrolled-in normal column and row, counted from 0
  int sizingCol_ = -1;            // the column being resized by a drag
  int sizingStartX_ = 0, sizingStartWidth_ = 0;
  HFONT font_ = nullptr;
  AccessibleLink accessible_;  // the cells for screen readers (WM_GETOBJECT)
};

}  // namespace topo::ui
