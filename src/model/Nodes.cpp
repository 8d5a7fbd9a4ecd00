// Records and lists of the topology model. Lookups go through a name -> first
// position map so that a refresh stays linear in the size of the report; every
// operation that moves positions rebuilds the map, so IndexOf always answers
// what a scan from the front would.
#include "model/Nodes.h"

#include <utility>

namespace topo {

// ---- TLinkNodeList --------------------------------------------------------

int32_t TLinkNodeList::Find(std::string_view name) const {
  size_t found = items_.size();
  if (items_.size() <= kScanLimit) {
    for (size_t i = 0; i < items_.size(); ++i) {
      if (items_[i].name_ == name) {
        found = i;
        break;
      }
    }
  } else {
    const int32_t hit = index_ ? index_->Find(name, NameOf()) : -1;
    if (hit >= 0) found = static_cast<size_t>(hit);
  }
  if (found == items_.size()) return -1;
  cursor_ = found + 1;
  return static_cast<int32_t>(found);
}

void TLinkNodeList::ClearStatus() {
  for (TLinkNode& item : items_) {
    item.ActiveCount = 0;
    item.ActiveFlags.fill(0);
  }
}

int32_t TLinkNodeList::Append(std::string_view name, uint8_t notInBaseline) {
  const int32_t position = Count();
  TLinkNode& item = items_.emplace_back();
  item.name_ = name;
  item.NotInBaseline = notInBaseline;
  if (items_.size() > kScanLimit) {
    if (!index_) {
      Reindex();
    } else {
      index_->Insert(name, position, NameOf());
    }
  }
  cursor_ = items_.size();
  return position;
}

void TLinkNodeList::Delete(int32_t index) {
  CheckListIndex(items_, index);
  // Records move by the list's own assignment, which callers cannot reach.
  for (size_t i = static_cast<size_t>(index) + 1; i < items_.size(); ++i) {
    items_[i - 1] = std::move(items_[i]);
  }
  items_.pop_back();
  Reindex();
}

void TLinkNodeList::Clear() {
  items_.clear();
  index_.reset();
  cursor_ = 0;
}

void TLinkNodeList::Reindex() {
  index_.reset();
  cursor_ = 0;
  if (items_.size() <= kScanLimit) return;
  index_ = std::make_unique<NameIndex>();
  for (size_t i = 0; i < items_.size(); ++i) {
    index_->Insert(items_[i].name_, static_cast<int32_t>(i), NameOf());
  }
}

// ---- TARNodeList ----------------------------------------------------------

int32_t TARNodeList::Find(std::string_view name) const {
  const int32_t hit = index_.Find(name, NameOf());
  if (hit >= 0) cursor_ = static_cast<size_t>(hit) + 1;
  return hit;
}

void TARNodeList::ClearStatus() {
  for (auto& node : nodes_) {
    node->ActiveCount = 0;
    node->ActiveFlags.fill(0);
    node->ParentARs.ClearStatus();
    node->SubARs.ClearStatus();
    node->SubASs.ClearStatus();
  }
}

int32_t TARNodeList::AddOrUpdateAR(std::string_view name, int32_t activeCount,
                                   const TActiveFlags& flags, uint8_t notInBaseline) {
  int32_t position = IndexOf(name);
  if (position < 0) {
    auto node = std::make_unique<TARNode>();
    node->name_ = name;
    node->NotInBaseline = notInBaseline;
    position = Count();
    nodes_.push_back(std::move(node));
    index_.Insert(name, position, NameOf());
    ZOrder.Add(position, -1);
  } else {
    TARNode& node = *nodes_[static_cast<size_t>(position)];
    node.ParentARs.Clear();
    node.SubARs.Clear();
  }
  TARNode& node = *nodes_[static_cast<size_t>(position)];
  node.ActiveCount = activeCount;
  node.ActiveFlags = flags;
  return position;
}

int32_t TARNodeList::AddOrUpdateParentAR(int32_t position, std::string_view name,
                                         int32_t activeCount, const TActiveFlags& flags,
                                         uint8_t notInBaseline) {
  if (position < 0 || position >= Count()) return -1;
  return nodes_[static_cast<size_t>(position)]->ParentARs.AddOrUpdate(name, activeCount, flags,
                                                                      notInBaseline);
}

int32_t TARNodeList::AddOrUpdateSubAR(int32_t position, std::string_view name, int32_t activeCount,
                                      const TActiveFlags& flags, uint8_t notInBaseline) {
  if (position < 0 || position >= Count()) return -1;
  return nodes_[static_cast<size_t>(position)]->SubARs.AddOrUpdate(name, activeCount, flags,
                                                                   notInBaseline);
}

int32_t TARNodeList::AddOrUpdateSubAS(int32_t position, std::string_view name, int32_t activeCount,
                                      const TActiveFlags& flags, uint8_t notInBaseline) {
  if (position < 0 || position >= Count()) return -1;
  TLinkNodeList& servers = nodes_[static_cast<size_t>(position)]->SubASs;
  const int32_t before = servers.Count();
  const int32_t result = servers.AddOrUpdate(name, activeCount, flags, notInBaseline);
  if (result == before) ZOrder.Add(position, before);
  return result;
}

TARNodeList::RemoveResult TARNodeList::RemoveNode(bool isAS, const std::string& name) {
  if (!isAS) {
    const int32_t p = IndexOf(name);
    if (p < 0) return RemoveResult::NotFound;
    if (nodes_[static_cast<size_t>(p)]->ActiveCount != 0) return RemoveResult::RefusedActive;
    nodes_.erase(nodes_.begin() + p);
    Reindex();
    for (auto& node : nodes_) {
      const auto namesIt = [&name](const TLinkNode& link) { return link.name_ == name; };
      node->ParentARs.DeleteIf(namesIt);
      node->SubARs.DeleteIf(namesIt);
    }
    // Walking from the back and deleting one by one keeps the survivors'
    // order; a single compaction pass gives the same result in linear time.
    std::vector<ZOrderEntry> kept;
    kept.reserve(static_cast<size_t>(ZOrder.Count()));
    for (int32_t z = 0; z < ZOrder.Count(); ++z) {
      ZOrderEntry entry = ZOrder.Items(z);
      if (entry.ARIndex == p) continue;
      if (entry.ARIndex > p) --entry.ARIndex;
      kept.push_back(entry);
    }
    ZOrder.Clear();
    for (const ZOrderEntry& entry : kept) ZOrder.Add(entry.ARIndex, entry.ASIndex);
    return RemoveResult::Removed;
  }

  for (int32_t j = 0; j < Count(); ++j) {
    TLinkNodeList& servers = nodes_[static_cast<size_t>(j)]->SubASs;
    if (servers.IndexOf(name) < 0) continue;
    // The match nearest the back, as a backward scan would find it.
    int32_t k = servers.Count() - 1;
    while (servers.Items(k).name_ != name) --k;
    return RemoveServerAt(j, k);
  }
  return RemoveResult::NotFound;
}

TARNodeList::RemoveResult TARNodeList::RemoveServerAt(int32_t j, int32_t k) {
  TLinkNodeList& servers = nodes_[static_cast<size_t>(j)]->SubASs;
  if (servers.Items(k).ActiveCount != 0) return RemoveResult::RefusedActive;
  servers.Delete(k);
  for (int32_t z = ZOrder.Count() - 1; z >= 0; --z) {
    ZOrderEntry& entry = ZOrder.Items(z);
    if (entry.ARIndex != j) continue;
    if (entry.ASIndex > k) {
      --entry.ASIndex;
    } else if (entry.ASIndex == k) {
      ZOrder.Delete(z);
    }
  }
  return RemoveResult::Removed;
}

TARNodeList::RemoveResult TARNodeList::RemoveSelected() {
  if (ZOrder.Count() == 0) return RemoveResult::NotFound;
  const ZOrderEntry selected = ZOrder.Items(0);
  // An AR name is unique in the list, so the name finds the box itself; an AS
  // name may stand under several AR nodes, so the entry is taken by position.
  if (selected.ASIndex < 0) return RemoveNode(false, Items(selected.ARIndex).name_);
  return RemoveServerAt(selected.ARIndex, selected.ASIndex);
}

void TARNodeList::Reindex() {
  index_.Clear();
  cursor_ = 0;
  for (size_t i = 0; i < nodes_.size(); ++i) {
    index_.Insert(nodes_[i]->name_, static_cast<int32_t>(i), NameOf());
  }
}

}  // namespace topo
