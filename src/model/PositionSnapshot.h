// The places of the boxes before a re-arrangement, so that the operator can
// take it back. Kept by name rather than by list position: refreshes go on
// meanwhile and may add or drop nodes, which shifts positions.
#pragma once

#include <string>
#include <vector>

#include "model/Geometry.h"
#include "model/Nodes.h"

namespace topo {

class TPositionSnapshot {
 public:
  static TPositionSnapshot Take(const TARNodeList& list);
  // Puts back every box that is still there; boxes that came since stay.
  void Restore(TARNodeList& list) const;

 private:
  struct Place {
    std::string node;    // the AR node
    std::string server;  // empty for the node's own box
    bool isServer;
    TRect box;
  };
  std::vector<Place> places_;
};

}  // namespace topo
