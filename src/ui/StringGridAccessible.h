// The text grid for a screen reader: a table whose children are its cells,
// row by row, each named exactly by the text the grid shows in it, so what
// is read is what is on screen. Selection is by row, as the grid paints it.
#pragma once

#include "ui/AccessibleObject.h"
#include "ui/StringGrid.h"

namespace topo::ui {

class StringGridAccessible : public AccessibleObject {
 public:
  // The grid owns the link that disconnects this object before it goes.
  explicit StringGridAccessible(StringGrid& grid);

  // The child id of a cell: row by row from 1.
  static LONG CellId(const StringGrid& grid, int col, int row);
  // The cell that stands for the selected row (its first normal cell), 0 when none.
  static LONG SelectedCellId(const StringGrid& grid);

 protected:
  LONG Role() override { return ROLE_SYSTEM_TABLE; }
  LONG ChildCount() override;
  Child ChildOf(LONG child) override;
  LONG ChildAt(POINT client) override;
  LONG Toward(LONG child, LONG direction) override;
  LONG Selected() override { return SelectedCellId(grid_); }
  bool Select(LONG child, bool takeFocus) override;

 private:
  StringGrid& grid_;
};

// Tells screen readers that the selected row changed (and, while the grid has
// the focus, that the focus moved with it).
void AnnounceSelectedRow(const StringGrid& grid);

}  // namespace topo::ui
