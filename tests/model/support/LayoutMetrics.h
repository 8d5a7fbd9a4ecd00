// How good a layout is, whatever made it: boxes sharing pixels, pairs of
// links that cross (links taken as straight lines between box centres, pairs
// sharing a box left out) and the total length of the links.
#pragma once

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <vector>

#include "model/Boxes.h"
#include "model/Nodes.h"

namespace topo::test {

struct LayoutMeasure {
  int64_t overlaps = 0;
  int64_t crossings = 0;
  double length = 0;
};

inline LayoutMeasure Measure(const TARNodeList& list) {
  struct Link {
    const TRect* a;
    const TRect* b;
  };
  std::vector<const TRect*> boxes;
  std::vector<Link> links;
  for (int32_t i = 0; i < list.Count(); ++i) {
    const TARNode& node = list.Items(i);
    boxes.push_back(&node.Rect);
    for (int32_t p = 0; p < node.ParentARs.Count(); ++p) {
      const int32_t parent = node.ParentARs.Items(p).ARIndex();
      if (parent >= 0 && parent < list.Count())
        links.push_back({&node.Rect, &list.Items(parent).Rect});
    }
    for (int32_t s = 0; s < node.SubASs.Count(); ++s) {
      boxes.push_back(&node.SubASs.Items(s).Rect);
      links.push_back({&node.SubASs.Items(s).Rect, &node.Rect});
    }
  }
  LayoutMeasure m;
  std::sort(boxes.begin(), boxes.end(), [](auto* x, auto* y) { return x->Left < y->Left; });
  for (size_t i = 0; i < boxes.size(); ++i)
    for (size_t j = i + 1; j < boxes.size() && boxes[j]->Left < boxes[i]->Right; ++j)
      m.overlaps += Overlaps(*boxes[i], *boxes[j]) ? 1 : 0;

  // Doubled centres keep the arithmetic whole.
  const auto cx = [](const TRect* r) { return int64_t{r->Left} + r->Right; };
  const auto cy = [](const TRect* r) { return int64_t{r->Top} + r->Bottom; };
  const auto side = [&](const TRect* p, const TRect* q, const TRect* r) {
    const int64_t v = (cx(q) - cx(p)) * (cy(r) - cy(p)) - (cy(q) - cy(p)) * (cx(r) - cx(p));
    return (v > 0) - (v < 0);
  };
  for (const Link& l : links)
    m.length +=
        std::hypot(static_cast<double>(cx(l.a) - cx(l.b)), static_cast<double>(cy(l.a) - cy(l.b))) /
        2;
  for (size_t i = 0; i < links.size(); ++i) {
    const Link& s = links[i];
    const int64_t sx0 = std::min(cx(s.a), cx(s.b)), sx1 = std::max(cx(s.a), cx(s.b));
    const int64_t sy0 = std::min(cy(s.a), cy(s.b)), sy1 = std::max(cy(s.a), cy(s.b));
    for (size_t j = i + 1; j < links.size(); ++j) {
      const Link& t = links[j];
      if (s.a == t.a || s.a == t.b || s.b == t.a || s.b == t.b) continue;
      if (std::max(cx(t.a), cx(t.b)) < sx0 || std::min(cx(t.a), cx(t.b)) > sx1 ||
          std::max(cy(t.a), cy(t.b)) < sy0 || std::min(cy(t.a), cy(t.b)) > sy1)
        continue;
      // Proper crossings only: each segment's ends strictly on both sides.
      if (side(s.a, s.b, t.a) * side(s.a, s.b, t.b) < 0 &&
          side(t.a, t.b, s.a) * side(t.a, t.b, s.b) < 0)
        ++m.crossings;
    }
  }
  return m;
}

}  // namespace topo::test
