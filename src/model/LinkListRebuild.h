// How the status merge rebuilds a node's parent and child links: Clear
// followed by AddOrUpdate of every reported name, in one step that overwrites
// the records in place, so a refresh rebuilds every reported node's links
// without allocating. An entry whose name comes back at its old position
// keeps its ARIndex, which ResolveLinks takes as a hint. Only the merge
// includes this; the lists themselves are in model/Nodes.h.
#pragma once

#include <cstddef>
#include <string_view>

#include "model/Nodes.h"

namespace topo {

// forEachName(visit) hands every name to visit, in report order.
template <typename ForEachName>
void TLinkNodeList::Rebuild(const ForEachName& forEachName, int32_t activeCount,
                            const TActiveFlags& flags, uint8_t notInBaseline) {
  size_t built = 0;
  bool longList = false;  // past the scan limit the rest goes through AddOrUpdate
  const auto keepBuilt = [&] {
    items_.resize(built);
    index_.reset();
    cursor_ = 0;
  };
  try {
    forEachName([&](std::string_view name) {
      if (longList) {
        AddOrUpdate(name, activeCount, flags, notInBaseline);
        return;
      }
      for (size_t i = 0; i < built; ++i) {
        if (items_[i].name_ == name) {
          items_[i].ActiveCount = activeCount;
          items_[i].ActiveFlags = flags;
          return;
        }
      }
      if (built == kScanLimit) {
        keepBuilt();
        longList = true;
        AddOrUpdate(name, activeCount, flags, notInBaseline);
        return;
      }
      if (built == items_.size()) items_.emplace_back();
      TLinkNode& item = items_[built];
      if (item.name_ != name) {
        item.name_.assign(name.data(), name.size());
        item.arIndex_ = -1;
      }
      item.ActiveCount = activeCount;
      item.ActiveFlags = flags;
      item.NotInBaseline = notInBaseline;
      item.Rect = kDefaultBox;
      ++built;
    });
  } catch (...) {
    if (!longList) keepBuilt();  // no stale record may survive beside the new ones
    throw;
  }
  if (!longList) keepBuilt();
}

}  // namespace topo
