// Networks of a chosen number of boxes for the layout tests and benchmarks: a
// random, shallow tree of AR nodes in which every tenth node also reports to a second
// one, and servers spread unevenly over the nodes. The same description
// builds the model directly or writes a scenario for the simulated host.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/Nodes.h"

namespace topo::test {

struct GeneratedNetwork {
  struct Node {
    std::vector<int32_t> parents;  // earlier nodes
    int32_t servers = 0;
  };
  std::vector<Node> nodes;

  static std::string NodeName(int32_t i) { return "ar" + std::to_string(i); }
  static std::string ServerName(int32_t i, int32_t s) {
    return "as" + std::to_string(i) + "_" + std::to_string(s);
  }

  // About one box in six is an AR node.
  static GeneratedNetwork Make(int32_t boxes, uint32_t seed) {
    auto next = [&seed](uint32_t bound) {
      seed = seed * 1103515245u + 12345u;
      return static_cast<int32_t>((seed >> 8) % bound);
    };
    GeneratedNetwork g;
    const int32_t arCount = boxes >= 6 ? boxes / 6 : 1;
    g.nodes.resize(static_cast<size_t>(arCount));
    for (int32_t i = 1; i < arCount; ++i) {
      Node& node = g.nodes[static_cast<size_t>(i)];
      // Among the first third of the nodes before it: a few levels, as a
      // head office, regions and branches.
      node.parents.push_back(next(static_cast<uint32_t>((i + 2) / 3)));
      const int32_t second = next(static_cast<uint32_t>(i));
      if (i % 10 == 9 && second != node.parents[0]) node.parents.push_back(second);
    }
    for (int32_t s = arCount; s < boxes; ++s) {
      // Half the servers go to the first quarter of the nodes.
      const int32_t span = next(2) == 0 ? (arCount + 3) / 4 : arCount;
      ++g.nodes[static_cast<size_t>(next(static_cast<uint32_t>(span)))].servers;
    }
    return g;
  }

  // Every node and server up, the links resolved, all boxes unplaced.
  void Build(TARNodeList& list) const {
    const TActiveFlags up{1};
    for (size_t i = 0; i < nodes.size(); ++i) {
      const auto n = static_cast<int32_t>(i);
      list.AddOrUpdateAR(NodeName(n), 1, up, 1);
      for (int32_t s = 0; s < nodes[i].servers; ++s)
        list.AddOrUpdateSubAS(n, ServerName(n, s), 1, up, 1);
    }
    for (size_t i = 0; i < nodes.size(); ++i) {
      for (int32_t p : nodes[i].parents) {
        list.AddOrUpdateParentAR(static_cast<int32_t>(i), NodeName(p), 1, up, 0);
        list.AddOrUpdateSubAR(p, NodeName(static_cast<int32_t>(i)), 1, up, 0);
      }
    }
    list.ResolveLinks();
  }

  // The simulated host's scenario format (host/Network.h).
  std::string Scenario() const {
    std::string text;
    for (size_t i = 0; i < nodes.size(); ++i) {
      const auto n = static_cast<int32_t>(i);
      text += "ar " + NodeName(n);
      for (size_t k = 0; k < nodes[i].parents.size(); ++k)
        text += (k == 0 ? " parent=" : ",") + NodeName(nodes[i].parents[k]);
      text += " up=0\n";
      for (int32_t s = 0; s < nodes[i].servers; ++s)
        text += "as " + ServerName(n, s) + " ar=" + NodeName(n) + " up=0\n";
    }
    return text;
  }
};

}  // namespace topo::test
