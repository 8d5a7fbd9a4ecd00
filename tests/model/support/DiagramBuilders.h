// The one way the tests build models without running the merge, native and
// under Wine alike: nodes and servers with their running instances (and boxes
// where a test draws), and parent links bound by link resolution.
#pragma once

#include <cstdint>
#include <initializer_list>
#include <string>
#include <vector>

#include "model/Nodes.h"

namespace topo::test {

// The running instances of a node: the first n, or the instance numbers
// themselves ({1, 4}); none when empty.
struct Running {
  Running() = default;
  Running(int32_t first) : count(first) {  // implicit: a bare count reads best
    for (int32_t i = 0; i < first && i < 10; ++i) flags[static_cast<size_t>(i)] = 1;
  }
  Running(std::initializer_list<int> numbers) : count(static_cast<int32_t>(numbers.size())) {
    for (int n : numbers) flags[static_cast<size_t>(n)] = 1;
  }
  int32_t count = 0;
  TActiveFlags flags{};
};

inline TActiveFlags Flags(int32_t running) { return Running(running).flags; }

inline int32_t AddAR(TARNodeList& list, const std::string& name, Running running, const TRect& box,
                     uint8_t notInBaseline = 0) {
  const int32_t position = list.AddOrUpdateAR(name, running.count, running.flags, notInBaseline);
  list.Items(position).Rect = box;
  return position;
}

// The parent names the child back, so resolution binds the link and keeps it
// active; a parent not yet in the list leaves the link out.
inline void AddParent(TARNodeList& list, int32_t child, const std::string& parent, int32_t active) {
  list.AddOrUpdateParentAR(child, parent, active, Flags(active), 0);
  list.AddOrUpdateSubAR(list.IndexOf(parent), list.Items(child).Name(), active, Flags(active), 0);
  list.ResolveLinks();
}

inline void AddAS(TARNodeList& list, int32_t ar, const std::string& name, Running running,
                  const TRect& box, uint8_t notInBaseline = 0) {
  const int32_t k = list.AddOrUpdateSubAS(ar, name, running.count, running.flags, notInBaseline);
  list.Items(ar).SubASs.Items(k).Rect = box;
}

// Nodes in list order, each with its servers, in the boxes a new node gets.
struct Server {
  std::string name;
  Running running;
};
struct Node {
  std::string name;
  Running running;
  std::vector<Server> servers;
};
inline void Build(TARNodeList& list, const std::vector<Node>& nodes) {
  for (const Node& n : nodes) {
    const int32_t ar = list.AddOrUpdateAR(n.name, n.running.count, n.running.flags, 0);
    for (const Server& s : n.servers)
      list.AddOrUpdateSubAS(ar, s.name, s.running.count, s.running.flags, 0);
  }
}

// A diagram with every kind of stroke: arNodes AR nodes at pseudo-random
// places in a width x height area, each but the first the child of an earlier
// one, with serversPerAR servers each; counts and baseline marks vary.
inline void RandomDiagram(TARNodeList& list, uint32_t seed, int32_t arNodes, int32_t serversPerAR,
                          int32_t width, int32_t height) {
  auto next = [&seed](uint32_t bound) {
    seed = seed * 1103515245u + 12345u;
    return static_cast<int32_t>((seed >> 8) % bound);
  };
  const auto w = static_cast<uint32_t>(width - 80), h = static_cast<uint32_t>(height - 20);
  for (int32_t i = 0; i < arNodes; ++i) {
    const int32_t x = next(w) - 10;
    const int32_t y = next(h) - 10;
    const int32_t ar = AddAR(list, "ar" + std::to_string(i), next(3), {x, y, x + 100, y + 17},
                             static_cast<uint8_t>(next(2)));
    if (i > 0) AddParent(list, ar, "ar" + std::to_string(next(static_cast<uint32_t>(i))), 1);
    for (int32_t s = 0; s < serversPerAR; ++s) {
      const int32_t sx = next(w) - 10;
      const int32_t sy = next(h) - 10;
      AddAS(list, ar, "as" + std::to_string(i) + "_" + std::to_string(s), next(2),
            {sx, sy, sx + 100, sy + 17}, static_cast<uint8_t>(next(2)));
    }
  }
}

}  // namespace topo::test
