// Taking and restoring the boxes' places by name.
#include "model/PositionSnapshot.h"

namespace topo {

TPositionSnapshot TPositionSnapshot::Take(const TARNodeList& list) {
  TPositionSnapshot snapshot;
  for (int32_t a = 0; a < list.Count(); ++a) {
    const TARNode& node = list.Items(a);
    snapshot.places_.push_back({node.Name(), std::string(), false, node.Rect});
    for (int32_t s = 0; s < node.SubASs.Count(); ++s) {
      const TLinkNode& server = node.SubASs.Items(s);
      snapshot.places_.push_back({node.Name(), server.Name(), true, server.Rect});
    }
  }
  return snapshot;
}

void TPositionSnapshot::Restore(TARNodeList& list) const {
  int32_t a = -1;
  const std::string* current = nullptr;
  for (const Place& place : places_) {
    // The servers follow their node, so one lookup serves them all.
    if (!current || *current != place.node) {
      current = &place.node;
      a = list.IndexOf(place.node);
    }
    if (a < 0) continue;
    TARNode& node = list.Items(a);
    if (!place.isServer) {
      node.Rect = place.box;
      continue;
    }
    const int32_t s = node.SubASs.IndexOf(place.server);
    if (s >= 0) node.SubASs.Items(s).Rect = place.box;
  }
}

}  // namespace topo
