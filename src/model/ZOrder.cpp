// Bringing a box to the front exchanges it with the front box instead of
// shifting the rest: the box that was in front takes its place, and every
// other box keeps its position.
#include "model/ZOrder.h"

#include <utility>

namespace topo {

void TZOrderList::Add(int32_t arIndex, int32_t asIndex) { items_.push_back({arIndex, asIndex}); }

void TZOrderList::BringToFront(int32_t position) {
  CheckListIndex(items_, position);
  std::swap(items_[0], items_[static_cast<size_t>(position)]);
}

void TZOrderList::Delete(int32_t position) {
  CheckListIndex(items_, position);
  items_.erase(items_.begin() + position);
}

}  // namespace topo
