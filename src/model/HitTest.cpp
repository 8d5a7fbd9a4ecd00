// Hit testing, mouse handling and the selection: the box under a point is the
// first in stacking order that holds it, and the box at stacking position 0 is
// what the menu commands act on. Window points plus scroll positions can leave
// the 32-bit range; such a point hits nothing instead of wrapping onto a box.
#include "model/DragState.h"
#include "model/Nodes.h"
#include "model/PopupMenuHost.h"

namespace topo {

namespace {

// The diagram point under the mouse, or none when it does not fit in 32 bits.
std::optional<TPoint> DiagramPoint(int32_t x, int32_t y, int32_t hPos, int32_t vPos) {
  const int64_t dx = int64_t{x} + hPos;
  const int64_t dy = int64_t{y} + vPos;
  if (dx < INT32_MIN || dx > INT32_MAX || dy < INT32_MIN || dy > INT32_MAX) return std::nullopt;
  return TPoint{static_cast<int32_t>(dx), static_cast<int32_t>(dy)};
}

}  // namespace

const TRect* TARNodeList::FindBox(const ZOrderEntry& entry) const {
  if (entry.ARIndex < 0 || entry.ARIndex >= Count()) return nullptr;
  const TARNode& node = *nodes_[static_cast<size_t>(entry.ARIndex)];
  if (entry.ASIndex < 0) return &node.Rect;
  if (entry.ASIndex >= node.SubASs.Count()) return nullptr;
  return &node.SubASs.Items(entry.ASIndex).Rect;
}

int32_t TARNodeList::NodeAt(int32_t x, int32_t y) const {
  for (int32_t p = 0; p < ZOrder.Count(); ++p) {
    const TRect* box = FindBox(ZOrder.Items(p));
    if (box && box->Contains(x, y)) return p;
  }
  return -1;
}

void TARNodeList::MouseDown(TMouseButton button, int32_t x, int32_t y, int32_t hPos, int32_t vPos) {
  if (button != TMouseButton::Left) return;
  const std::optional<TPoint> point = DiagramPoint(x, y, hPos, vPos);
  if (!point) return;
  const int32_t k = NodeAt(point->x, point->y);
  if (k < 0) return;
  ZOrder.BringToFront(k);
  Dragging = 1;
  DragRect = BoxOf(ZOrder.Items(0));
  DragStartX = x;
  DragStartY = y;
}

void TARNodeList::MouseMove(int32_t x, int32_t y, const TRect& canvas, int32_t hPos, int32_t vPos) {
  if (ZOrder.Count() == 0 || !Dragging) return;
  const std::optional<TPoint> point = DiagramPoint(x, y, hPos, vPos);
  if (!point || !canvas.Contains(point->x, point->y)) return;
  BoxOf(ZOrder.Items(0)) = Offset(DragRect, {WrapSub(x, DragStartX), WrapSub(y, DragStartY)});
}

void TARNodeList::MouseUp(TMouseButton button, int32_t x, int32_t y, int32_t hPos, int32_t vPos,
                          PopupMenuHost& menu) {
  Dragging = 0;
  if (button != TMouseButton::Right) return;
  const std::optional<TPoint> point = DiagramPoint(x, y, hPos, vPos);
  if (!point) return;
  const int32_t k = NodeAt(point->x, point->y);
  if (k < 0) return;
  ZOrder.BringToFront(k);
  const TPoint screen = menu.ClientToScreen({x, y});
  menu.BuildServerMenus();
  menu.Popup(screen);
}

uint8_t TARNodeList::SelectedIsAS() const { return ZOrder.Items(0).ASIndex >= 0 ? 1 : 0; }

std::string TARNodeList::SelectedName() const {
  const ZOrderEntry& entry = ZOrder.Items(0);
  const TARNode& node = Items(entry.ARIndex);
  return entry.ASIndex < 0 ? node.Name() : node.SubASs.Items(entry.ASIndex).Name();
}

int32_t TARNodeList::SelectedActiveCount() const {
  const ZOrderEntry& entry = ZOrder.Items(0);
  const TARNode& node = Items(entry.ARIndex);
  return entry.ASIndex < 0 ? node.ActiveCount : node.SubASs.Items(entry.ASIndex).ActiveCount;
}

int32_t TARNodeList::SelectedActiveNo(int32_t n) const {
  const ZOrderEntry& entry = ZOrder.Items(0);
  const TARNode& node = Items(entry.ARIndex);
  const int32_t count =
      entry.ASIndex < 0 ? node.ActiveCount : node.SubASs.Items(entry.ASIndex).ActiveCount;
  const TActiveFlags& flags =
      entry.ASIndex < 0 ? node.ActiveFlags : node.SubASs.Items(entry.ASIndex).ActiveFlags;
  // The count decides, not the flags: a node that link resolution marked down
  // offers no instance even while its flags are still set.
  if (count <= 0 || n < 0) return -1;
  int32_t seen = 0;
  for (int32_t k = 0; k < static_cast<int32_t>(flags.size()); ++k) {
    if (flags[static_cast<size_t>(k)] == 0) continue;
    if (seen == n) return k;
    ++seen;
  }
  return -1;
}

std::string TARNodeList::SelectedParentARName() const {
  const ZOrderEntry& entry = ZOrder.Items(0);
  return entry.ASIndex < 0 ? std::string() : Items(entry.ARIndex).Name();
}

std::string TARNodeList::FindParentARName(const std::string& serverName) const {
  for (const auto& node : nodes_) {
    if (node->SubASs.IndexOf(serverName) >= 0) return node->Name();
  }
  return std::string();
}

}  // namespace topo
