// Builds small diagrams for the drawing tests, native and under Wine alike:
// nodes with given boxes and counts, and parent links bound by link
// resolution, so a test can draw without running the merge.
#pragma once

#include <cstdint>
#include <string>

#include "model/Nodes.h"

namespace topo::test {

inline TActiveFlags Flags(int32_t running) {
  TActiveFlags flags{};
  for (int32_t i = 0; i < running && i < 10; ++i) flags[static_cast<size_t>(i)] = 1;
  return flags;
}

inline int32_t AddAR(TARNodeList& list, const std::string& name, int32_t active, const TRect& box,
                     uint8_t notInBaseline = 0) {
  const int32_t position = list.AddOrUpdateAR(name, active, Flags(active), notInBaseline);
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

inline void AddAS(TARNodeList& list, int32_t ar, const std::string& name, int32_t active,
                  const TRect& box, uint8_t notInBaseline = 0) {
  const int32_t k = list.AddOrUpdateSubAS(ar, name, active, Flags(active), notInBaseline);
  list.Items(ar).SubASs.Items(k).Rect = box;
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
