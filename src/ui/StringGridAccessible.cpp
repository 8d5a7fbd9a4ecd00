// The text grid's cells for a screen reader: texts, states, places, and
// moving by row, column and selection.
#include "ui/StringGridAccessible.h"

namespace topo::ui {

StringGridAccessible::StringGridAccessible(StringGrid& grid)
    : AccessibleObject(grid.Handle()), grid_(grid) {}

LONG StringGridAccessible::CellId(const StringGrid& grid, int col, int row) {
  return row * grid.ColCount() + col + 1;
}

LONG StringGridAccessible::SelectedCellId(const StringGrid& grid) {
  const int row = grid.Row();
  return row >= grid.FixedRows() && grid.FixedCols() < grid.ColCount()
             ? CellId(grid, grid.FixedCols(), row)
             : 0;
}

LONG StringGridAccessible::ChildCount() { return grid_.ColCount() * grid_.RowCount(); }

AccessibleObject::Child StringGridAccessible::ChildOf(LONG child) {
  const int col = (child - 1) % grid_.ColCount(), row = (child - 1) / grid_.ColCount();
  Child cell;
  cell.name = grid_.Cell(col, row);
  cell.role = ROLE_SYSTEM_CELL;
  cell.state = STATE_SYSTEM_READONLY;
  if (row >= grid_.FixedRows() && col >= grid_.FixedCols()) {
    cell.state |= STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_FOCUSABLE;
    if (row == grid_.Row()) cell.state |= STATE_SYSTEM_SELECTED;
    if (child == Selected() && GetFocus() == Window()) cell.state |= STATE_SYSTEM_FOCUSED;
  }
  if (!grid_.CellBounds(col, row, cell.bounds) || !Shows(cell.bounds))
    cell.state |= STATE_SYSTEM_OFFSCREEN;
  return cell;
}

LONG StringGridAccessible::ChildAt(POINT client) {
  for (int row = 0; row < grid_.RowCount(); ++row) {
    for (int col = 0; col < grid_.ColCount(); ++col) {
      RECT bounds;
      if (grid_.CellBounds(col, row, bounds) && PtInRect(&bounds, client))
        return CellId(grid_, col, row);
    }
  }
  return CHILDID_SELF;  // a grid line or the empty part below the cells
}

LONG StringGridAccessible::Toward(LONG child, LONG direction) {
  const int cols = grid_.ColCount();
  const int col = (child - 1) % cols, row = (child - 1) / cols;
  switch (direction) {
    case NAVDIR_UP:
      return row > 0 ? child - cols : 0;
    case NAVDIR_DOWN:
      return row + 1 < grid_.RowCount() ? child + cols : 0;
    case NAVDIR_LEFT:
      return col > 0 ? child - 1 : 0;
    case NAVDIR_RIGHT:
      return col + 1 < cols ? child + 1 : 0;
    default:
      return 0;
  }
}

bool StringGridAccessible::Select(LONG child, bool takeFocus) {
  const int col = (child - 1) % grid_.ColCount(), row = (child - 1) / grid_.ColCount();
  if (row < grid_.FixedRows() || col < grid_.FixedCols()) return false;
  grid_.SetRow(row);
  if (takeFocus) SetFocus(Window());
  return true;
}

void AnnounceSelectedRow(const StringGrid& grid) {
  const LONG cell = StringGridAccessible::SelectedCellId(grid);
  if (!grid.Handle() || !cell) return;
  NotifyWinEvent(EVENT_OBJECT_SELECTION, grid.Handle(), OBJID_CLIENT, cell);
  if (GetFocus() == grid.Handle())
    NotifyWinEvent(EVENT_OBJECT_FOCUS, grid.Handle(), OBJID_CLIENT, cell);
}

}  // namespace topo::ui
