// The boxes of the diagram as one set, each named by its stacking entry: what
// finding, keyboard moves, the tidy layout and its undo share. An entry can
// outlive its box (a refresh may drop the node), so every lookup may fail.
#pragma once

#include <cstdint>

#include "model/Nodes.h"

namespace topo {

// The box of an entry, null when the entry names no record.
inline const TRect* BoxOf(const TARNodeList& list, const ZOrderEntry& entry) {
  if (entry.ARIndex < 0 || entry.ARIndex >= list.Count()) return nullptr;
  const TARNode& node = list.Items(entry.ARIndex);
  if (entry.ASIndex < 0) return &node.Rect;
  if (entry.ASIndex >= node.SubASs.Count()) return nullptr;
  return &node.SubASs.Items(entry.ASIndex).Rect;
}

inline TRect* BoxOf(TARNodeList& list, const ZOrderEntry& entry) {
  return const_cast<TRect*>(BoxOf(static_cast<const TARNodeList&>(list), entry));
}

// Selects the entry's box (brings it to stacking position 0, where the node
// menu's commands look); false when no box has that entry.
inline bool SelectBox(TARNodeList& list, const ZOrderEntry& entry) {
  for (int32_t position = 0; position < list.ZOrder.Count(); ++position) {
    if (list.ZOrder.Items(position) == entry) {
      list.ZOrder.BringToFront(position);
      return true;
    }
  }
  return false;
}

// Whether two rectangles share a pixel.
inline bool Overlaps(const TRect& a, const TRect& b) {
  return (a.Left > b.Left ? a.Left : b.Left) < (a.Right < b.Right ? a.Right : b.Right) &&
         (a.Top > b.Top ? a.Top : b.Top) < (a.Bottom < b.Bottom ? a.Bottom : b.Bottom);
}

}  // namespace topo
