// Binds every parent and child link to the node it names, drops links to names
// the model does not hold, and marks links that only one side reports. The two
// directions differ on purpose: a node whose claimed parent does not name it
// back is itself shown as down; a node with an unanswered child keeps its count.
#include "Nodes.h"

namespace topo {

void TARNodeList::ResolveLinks() {
  // Only entries whose name matches no node are dropped, and the other nodes'
  // lists are consulted for names that do exist, so deleting after each walk
  // gives what deleting during a backward walk would. The walk leaves ARIndex
  // -1 on exactly the entries to drop.
  const auto unknown = [](const TLinkNode& link) { return link.ARIndex < 0; };
  // Names are unique in the node list, so a link whose ARIndex still points
  // at a node of its name points at the first match.
  const auto find = [this](const TLinkNode& link) {
    const auto hint = static_cast<size_t>(link.ARIndex);
    if (hint < nodes_.size() && nodes_[hint]->Name == link.Name) return link.ARIndex;
    return IndexOf(link.Name);
  };
  for (auto& holder : nodes_) {
    TARNode& node = *holder;
    for (int32_t i = node.ParentARs.Count() - 1; i >= 0; --i) {
      TLinkNode& link = node.ParentARs.Items(i);
      const int32_t t = find(link);
      link.ARIndex = t;
      if (t < 0) continue;
      if (nodes_[static_cast<size_t>(t)]->SubARs.IndexOf(node.Name) < 0) {
        link.ActiveCount = 0;
        node.ActiveCount = 0;
      }
    }
    node.ParentARs.DeleteIf(unknown);

    for (int32_t i = node.SubARs.Count() - 1; i >= 0; --i) {
      TLinkNode& link = node.SubARs.Items(i);
      const int32_t t = find(link);
      link.ARIndex = t;
      if (t < 0) continue;
      if (nodes_[static_cast<size_t>(t)]->ParentARs.IndexOf(node.Name) < 0) link.ActiveCount = 0;
    }
    node.SubARs.DeleteIf(unknown);
  }
}

}  // namespace topo
