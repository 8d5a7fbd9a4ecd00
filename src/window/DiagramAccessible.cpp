// The diagram's boxes for a screen reader: the core's texts and states, and
// places through the window's one diagram-to-client transform.
#include "window/DiagramAccessible.h"

#include <utility>

#include "bridge/ResourceLookup.h"
#include "model/Boxes.h"
#include "win32/Cp936.h"
#include "window/MainForm.h"

namespace topo::window {

namespace {

RECT RectOf(const TRect& r) { return {r.Left, r.Top, r.Right, r.Bottom}; }

}  // namespace

DiagramAccessible::DiagramAccessible(TMainForm& form, BoxTexts texts)
    : AccessibleObject(form.Handle()), form_(form), texts_(std::move(texts)) {}

LONG DiagramAccessible::ChildCount() { return AccessibleBoxCount(form_.Model()); }

ui::AccessibleObject::Child DiagramAccessible::ChildOf(LONG child) {
  const AccessibleBox box = *DescribeAccessibleBox(form_.Model(), child, texts_);
  Child out;
  out.name = win32::WideFromCp936(box.name);
  out.value = win32::WideFromCp936(box.value);
  out.description = win32::WideFromCp936(box.description);
  out.role = ROLE_SYSTEM_LISTITEM;
  out.state = STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_FOCUSABLE;
  if (box.state & kBoxSelected) {
    out.state |= STATE_SYSTEM_SELECTED;
    if (GetFocus() == Window()) out.state |= STATE_SYSTEM_FOCUSED;
  }
  if (box.state & kBoxDown) out.state |= STATE_SYSTEM_UNAVAILABLE;
  out.bounds = RectOf(form_.DiagramToClient(box.box));
  if (!Shows(out.bounds)) out.state |= STATE_SYSTEM_OFFSCREEN;
  return out;
}

LONG DiagramAccessible::ChildAt(POINT client) {
  // Front to back, as a click finds a box, in client coordinates so the
  // answer is the box drawn there whatever the scroll position and zoom.
  const TARNodeList& model = form_.Model();
  for (int32_t p = 0; p < model.ZOrder.Count(); ++p) {
    const ZOrderEntry& entry = model.ZOrder.Items(p);
    const LONG child = AccessibleChild(model, entry);
    if (!child) continue;
    if (form_.DiagramToClient(*BoxOf(model, entry)).Contains(client.x, client.y)) return child;
  }
  return CHILDID_SELF;
}

LONG DiagramAccessible::Toward(LONG child, LONG direction) {
  const TDirection way = direction == NAVDIR_LEFT   ? TDirection::Left
                         : direction == NAVDIR_UP   ? TDirection::Up
                         : direction == NAVDIR_DOWN ? TDirection::Down
                                                    : TDirection::Right;
  return AccessibleChildToward(form_.Model(), child, way);
}

LONG DiagramAccessible::Selected() { return SelectedAccessibleChild(form_.Model()); }

bool DiagramAccessible::Select(LONG child, bool takeFocus) {
  TARNodeList& model = form_.Model();
  const std::optional<ZOrderEntry> entry = AccessibleBoxEntry(model, child);
  if (!entry || !SelectBox(model, *entry)) return false;
  InvalidateRect(Window(), nullptr, FALSE);
  if (takeFocus) SetFocus(Window());
  AnnounceSelectedBox(Window(), model);
  return true;
}

win32::ComPtr<ui::AccessibleObject> MakeDiagramAccessible(TMainForm& form) {
  const bridge::ModuleServices& services = form.Services();
  BoxTexts texts{win32::Cp936FromWide(services.Text(bridge::kStrAccARNode)),
                 win32::Cp936FromWide(services.Text(bridge::kStrAccASNode)),
                 win32::Cp936FromWide(services.Text(bridge::kStrAccInstanceSeparator))};
  return ui::MakeAccessible<DiagramAccessible>(form, std::move(texts));
}

void AnnounceSelectedBox(HWND window, const TARNodeList& model) {
  const LONG child = SelectedAccessibleChild(model);
  if (!window || !child) return;
  NotifyWinEvent(EVENT_OBJECT_SELECTION, window, OBJID_CLIENT, child);
  if (GetFocus() == window) NotifyWinEvent(EVENT_OBJECT_FOCUS, window, OBJID_CLIENT, child);
}

}  // namespace topo::window
