// The topology diagram for a screen reader: the window's client area is a
// diagram whose children are its boxes (numbered and described by the core,
// model/AccessibleBoxes.h). A box is a list item: one of a set, selectable one
// at a time, focusable, carrying a value of its own (its running instances).
// An outline item would promise a tree and read its value as a level, and a
// push button an action on a press, neither of which a box has.
#pragma once

#include <string>

#include "model/AccessibleBoxes.h"
#include "ui/AccessibleObject.h"

namespace topo::window {

class TMainForm;

class DiagramAccessible : public ui::AccessibleObject {
 public:
  // The window's link disconnects this object before the window goes.
  DiagramAccessible(TMainForm& form, BoxTexts texts);

 protected:
  LONG Role() override { return ROLE_SYSTEM_DIAGRAM; }
  LONG ChildCount() override;
  Child ChildOf(LONG child) override;
  LONG ChildAt(POINT client) override;
  LONG Toward(LONG child, LONG direction) override;
  LONG Selected() override;
  bool Select(LONG child, bool takeFocus) override;

 private:
  TMainForm& form_;
  const BoxTexts texts_;
};

// The object for a window, with its texts from the string table.
win32::ComPtr<ui::AccessibleObject> MakeDiagramAccessible(TMainForm& form);

// Tells screen readers which box is now selected (and focused, while the
// window has the focus): after anything that selects a box.
void AnnounceSelectedBox(HWND window, const TARNodeList& model);

}  // namespace topo::window
