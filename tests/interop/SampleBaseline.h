// One model that both XML implementations save and load, shared by the native
// tests, the native cross-check tool and the Wine tests, so the files passed
// between the two builds are checked against the same expectation. Header only:
// the Wine test build compiles it without any of the native sources.
#pragma once

#include <sstream>
#include <string>

#include "Nodes.h"

namespace topo::sample {

// Names in code page 936: "中心" (centre), "华东" (east China) and a server
// "数据库" (database); the others carry the characters markup must escape.
inline const std::string kCentre = "\xd6\xd0\xd0\xc4";
inline const std::string kEast = "\xbb\xaa\xb6\xab";
inline const std::string kDatabase = "\xca\xfd\xbe\xdd\xbf\xe2";
inline const std::string kMarkup = "a&b<c>\"d'";

inline TActiveFlags Flags(std::initializer_list<int> running) {
  TActiveFlags flags{};
  for (int k : running) flags[static_cast<size_t>(k)] = 1;
  return flags;
}

inline TRect Box(int32_t left, int32_t top) {
  return {left, top, WrapAdd(left, kBoxWidth), WrapAdd(top, kBoxHeight)};
}

// The sample network. With status, it is what a window holds before saving;
// without, what loading the saved file must give.
inline void Build(TARNodeList& list, bool withStatus) {
  const auto flags = [withStatus](std::initializer_list<int> running) {
    return withStatus ? Flags(running) : TActiveFlags{};
  };
  const auto count = [withStatus](int32_t n) { return withStatus ? n : 0; };
  const uint8_t marker = withStatus ? 1 : 0;

  int32_t p = list.AddOrUpdateAR(kCentre, count(2), flags({0, 3}), 0);
  list.Items(p).Rect = Box(120, -35);
  int32_t q = list.AddOrUpdateSubAR(p, kEast, count(1), flags({1}), 0);
  list.Items(p).SubARs.Items(q).Rect = kDefaultBox;
  q = list.AddOrUpdateSubAR(p, "ar-west", 0, flags({}), marker);
  q = list.AddOrUpdateSubAS(p, kDatabase, count(10), flags({0, 1, 2, 3, 4, 5, 6, 7, 8, 9}), 0);
  list.Items(p).SubASs.Items(q).Rect = Box(0, 0);
  q = list.AddOrUpdateSubAS(p, kMarkup, 0, flags({}), marker);
  list.Items(p).SubASs.Items(q).Rect = Box(INT32_MIN, INT32_MAX);

  p = list.AddOrUpdateAR(kEast, count(1), flags({9}), marker);
  list.Items(p).Rect = Box(-1, 4000);
  q = list.AddOrUpdateParentAR(p, kCentre, count(2), flags({0}), 0);
  q = list.AddOrUpdateSubAS(p, kDatabase, 0, flags({}), 0);
  list.Items(p).SubASs.Items(q).Rect = Box(7, 8);

  // A node with nothing under it writes none of the three lists.
  p = list.AddOrUpdateAR("ar-west", 0, flags({}), marker);
  list.Items(p).Rect = Box(300, 300);
}

inline void DescribeLinks(std::ostringstream& out, const char* kind, const TLinkNodeList& links) {
  for (int32_t i = 0; i < links.Count(); ++i) {
    const TLinkNode& link = links.Items(i);
    out << "  " << kind << " '" << link.Name << "' count " << link.ActiveCount << " flags";
    for (uint8_t f : link.ActiveFlags) out << ' ' << int{f};
    out << " new " << int{link.NotInBaseline} << " box " << link.Rect.Left << ',' << link.Rect.Top
        << ',' << link.Rect.Right << ',' << link.Rect.Bottom << '\n';
  }
}

// Every field the baseline touches, one line per record, and the stacking
// order: two models are equal for the baseline when their texts are.
inline std::string Describe(const TARNodeList& list) {
  std::ostringstream out;
  for (int32_t i = 0; i < list.Count(); ++i) {
    const TARNode& node = list.Items(i);
    out << "AR '" << node.Name << "' count " << node.ActiveCount << " flags";
    for (uint8_t f : node.ActiveFlags) out << ' ' << int{f};
    out << " new " << int{node.NotInBaseline} << " box " << node.Rect.Left << ',' << node.Rect.Top
        << ',' << node.Rect.Right << ',' << node.Rect.Bottom << '\n';
    DescribeLinks(out, "parent", node.ParentARs);
    DescribeLinks(out, "sub", node.SubARs);
    DescribeLinks(out, "server", node.SubASs);
  }
  out << "z-order";
  for (int32_t i = 0; i < list.ZOrder.Count(); ++i) {
    out << ' ' << list.ZOrder.Items(i).ARIndex << '/' << list.ZOrder.Items(i).ASIndex;
  }
  out << '\n';
  return out.str();
}

// What a load of the sample's file must give.
inline std::string Expected() {
  TARNodeList list;
  Build(list, false);
  return Describe(list);
}

}  // namespace topo::sample
