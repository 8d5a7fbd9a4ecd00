// What the grid holds: its counts, cells, sizes, options and selected row.
// Every change that moves cells on screen goes through Changed, so the scroll
// bars always describe the current counts and sizes.
#include <algorithm>
#include <utility>

#include "ui/StringGrid.h"
#include "ui/StringGridAccessible.h"

namespace topo::ui {
namespace {

const std::wstring kEmpty;

}  // namespace

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
  AnnounceSelectedRow(*this);
}

}  // namespace topo::ui
