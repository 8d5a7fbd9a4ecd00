// Binds every parent and child link to the node it names, drops links to names
// the model does not hold, and marks links that only one side reports. The two
// directions differ on purpose: a node whose claimed parent does not name it
// back is itself shown as down; a node with an unanswered child keeps its count.
#include "model/Nodes.h"

namespace topo {

void TARNodeList::ResolveLinks() {
  // Only entries whose name matches no node are dropped, and the other nodes'
  // lists are consulted for names that do exist, so deleting after each walk
  // gives what deleting during a backward walk would. The walk leaves ARIndex
  // -1 on exactly the entries to drop.
  const auto unknown = [](const TLinkNode& link) { return link.arIndex_ < 0; };
  // Names are unique in the node list, so a link whose ARIndex still points
  // at a node of its name points at the first match.
  const auto find = [this](const TLinkNode& link) {
    const auto hint = static_cast<size_t>(link.arIndex_);
    if (hint < nodes_.size() && nodes_[hint]->name_ == link.name_) return link.arIndex_;
    return IndexOf(link.name_);
  };
  // A link's outcome depends on names only. When X's link to t is answered by
  // t's entry naming X, that entry is answered by X's link in turn and names
  // node X (names are unique), so it is settled here if t comes later, saving
  // the visit back to X. Until t's walk it holds kSettled - X, below every
  // value a walk leaves.
  constexpr int32_t kSettled = -2;
  const auto settled = [](TLinkNode& link) {
    if (link.arIndex_ > kSettled) return false;
    link.arIndex_ = kSettled - link.arIndex_;
    return true;
  };
  const auto resolveNode = [&](size_t x) {
    TARNode& node = *nodes_[x];
    const int32_t self = static_cast<int32_t>(x);
    for (int32_t i = node.ParentARs.Count() - 1; i >= 0; --i) {
      TLinkNode& link = node.ParentARs.Items(i);
      if (settled(link)) continue;
      const int32_t t = find(link);
      link.arIndex_ = t;
      if (t < 0) continue;
      TLinkNodeList& children = nodes_[static_cast<size_t>(t)]->SubARs;
      const int32_t back = children.IndexOf(node.name_);
      if (back < 0) {
        link.ActiveCount = 0;
        node.ActiveCount = 0;
      } else if (t > self) {
        children.Items(back).arIndex_ = kSettled - self;
      }
    }
    node.ParentARs.DeleteIf(unknown);

    for (int32_t i = node.SubARs.Count() - 1; i >= 0; --i) {
      TLinkNode& link = node.SubARs.Items(i);
      if (settled(link)) continue;
      const int32_t t = find(link);
      link.arIndex_ = t;
      if (t < 0) continue;
      TLinkNodeList& parents = nodes_[static_cast<size_t>(t)]->ParentARs;
      const int32_t back = parents.IndexOf(node.name_);
      if (back < 0) {
        link.ActiveCount = 0;
      } else if (t > self) {
        parents.Items(back).arIndex_ = kSettled - self;
      }
    }
    node.SubARs.DeleteIf(unknown);
  };
  size_t x = 0;
  try {
    for (; x < nodes_.size(); ++x) resolveNode(x);
  } catch (...) {
    // Only an index rebuild after a deletion can throw; no mark may outlive
    // the walk, so the later nodes' marks get the values they stand for.
    for (; x < nodes_.size(); ++x) {
      for (TLinkNodeList* links : {&nodes_[x]->ParentARs, &nodes_[x]->SubARs}) {
        for (int32_t i = 0; i < links->Count(); ++i) settled(links->Items(i));
      }
    }
    throw;
  }
}

}  // namespace topo
