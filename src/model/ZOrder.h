// The stacking order of the diagram's boxes: position 0 is the front, the box
// hit first and painted last, and it is the selection the node menu acts on.
// Entries name boxes by their node's position in TARNodeList, so the node list
// repairs this order whenever it deletes records.
#pragma once

#include <cstdint>
#include <vector>

#include "model/ListIndex.h"

namespace topo {

struct ZOrderEntry {
  int32_t ARIndex = 0;
  int32_t ASIndex = -1;  // -1: the AR node's own box
  friend bool operator==(const ZOrderEntry& a, const ZOrderEntry& b) {
    return a.ARIndex == b.ARIndex && a.ASIndex == b.ASIndex;
  }
};

class TZOrderList {
 public:
  int32_t Count() const { return static_cast<int32_t>(items_.size()); }
  ZOrderEntry& Items(int32_t position) {
    CheckListIndex(items_, position);
    return items_[static_cast<size_t>(position)];
  }
  const ZOrderEntry& Items(int32_t position) const {
    CheckListIndex(items_, position);
    return items_[static_cast<size_t>(position)];
  }
  void Add(int32_t arIndex, int32_t asIndex);
  void BringToFront(int32_t position);
  void Delete(int32_t position);
  void Clear() { items_.clear(); }

 private:
  std::vector<ZOrderEntry> items_;
};

}  // namespace topo
