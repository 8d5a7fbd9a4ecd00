// Builds small diagrams for the drawing tests, native and under Wine alike:
// nodes with given boxes and counts, and parent links bound by link
// resolution, so a test can draw without running the merge.
#pragma once

#include <cstdint>
#include <string>

#include "Nodes.h"

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

}  // namespace topo::test
