// One model that both XML implementations save and load, shared by the native
// tests, the native cross-check tool and the Wine tests, so the files passed
// between the two builds are checked against the same expectation. Header only:
// the Wine test build compiles it without any of the native sources.
#pragma once

#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

#include "model/Nodes.h"

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
    out << "  " << kind << " '" << link.Name() << "' count " << link.ActiveCount << " flags";
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
    out << "AR '" << node.Name() << "' count " << node.ActiveCount << " flags";
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

// The tree a save must write, as "<name>", "</name>" and "\"text\"" in
// document order, with carriage returns and tabs shown as \r and \t.
using Tree = std::vector<std::string>;

inline std::string Visible(const std::string& text) {
  std::string out;
  for (char c : text) {
    if (c == '\r') {
      out += "\\r";
    } else if (c == '\t') {
      out += "\\t";
    } else if (c == '\n') {
      out += "\\n";
    } else {
      out += c;
    }
  }
  return out;
}

inline Tree T(const std::string& text) { return {"\"" + Visible(text) + "\""}; }
inline Tree E(const std::string& name, std::initializer_list<Tree> children = {}) {
  Tree out{"<" + name + ">"};
  for (const Tree& child : children) out.insert(out.end(), child.begin(), child.end());
  out.push_back("</" + name + ">");
  return out;
}

// A node with one entry in each list, and one with none.
inline void BuildSmall(TARNodeList& list) {
  const int32_t p = list.AddOrUpdateAR("ar1", 2, Flags({0, 3}), 0);
  list.Items(p).Rect = Box(120, -35);
  list.AddOrUpdateParentAR(p, "up", 1, Flags({0}), 0);
  list.AddOrUpdateSubAR(p, "down", 0, TActiveFlags{}, 0);
  const int32_t s = list.AddOrUpdateSubAS(p, "as1", 0, TActiveFlags{}, 1);
  list.Items(p).SubASs.Items(s).Rect = Box(-5, 6);
  list.AddOrUpdateAR("bare", 0, TActiveFlags{}, 1);  // default box, no lists
}

inline Tree SmallTree() {
  const Tree zeros = T("0,0,0,0,0,0,0,0,0,0,");
  return E(
      "ARNodes",
      {T("\r\t"),
       E("ARNode",
         {T("\r\t\t"), E("Name", {T("ar1")}), T("\r\t\t"), E("Active", {T("1,0,0,1,0,0,0,0,0,0,")}),
          T("\r\t\t"), E("Rect", {T("120,-35")}), T("\r\t\t"),
          E("ParentARs",
            {T("\r\t\t\t"), E("ParentAR", {T("\r\t\t\t\t"), E("Name", {T("up")}), T("\r\t\t\t")}),
             T("\r\t\t")}),
          T("\r\t\t"),
          E("SubARs",
            {T("\r\t\t\t"), E("SubAR", {T("\r\t\t\t\t"), E("Name", {T("down")}), T("\r\t\t\t")}),
             T("\r\t\t")}),
          T("\r\t\t"),
          E("SubASs", {T("\r\t\t\t"),
                       E("SubAS", {T("\r\t\t\t\t"), E("Name", {T("as1")}), T("\r\t\t\t\t"),
                                   E("Active", {zeros}), T("\r\t\t\t\t"), E("Rect", {T("-5,6")}),
                                   T("\r\t\t\t")}),
                       T("\r\t\t")}),
          T("\r\t")}),
       T("\r\t"),
       E("ARNode", {T("\r\t\t"), E("Name", {T("bare")}), T("\r\t\t"), E("Active", {zeros}),
                    T("\r\t\t"), E("Rect", {T("-500,-400")}), T("\r\t")}),
       T("\r")});
}

// A parser turns a carriage return written as itself into a line feed, and
// the DOM component writes them so. The tree a parse of such a file gives,
// and a check on the file's bytes (UTF-16, little-endian) that inside the
// document element every line end is a lone carriage return, one for each
// "\r" the tree holds, together prove the written tree.
inline Tree WithLineFeeds(Tree tree) {
  for (std::string& line : tree) {
    for (size_t at = line.find("\\r"); at != std::string::npos; at = line.find("\\r", at)) {
      line[at + 1] = 'n';
    }
  }
  return tree;
}

inline bool LoneCarriageReturnsInside(const std::string& bytes, const Tree& expected) {
  const auto utf16 = [](const std::string& ascii) {
    std::string out;
    for (char c : ascii) {
      out += c;
      out += '\0';
    }
    return out;
  };
  size_t begin = bytes.find(utf16("<ARNodes>"));
  const size_t end = bytes.rfind(utf16("</ARNodes>"));
  if (begin == std::string::npos || end == std::string::npos || begin % 2 != 0) return false;
  size_t returns = 0;
  for (size_t i = begin; i + 1 < end; i += 2) {
    if (bytes[i + 1] != '\0') continue;
    if (bytes[i] == '\n') return false;
    if (bytes[i] == '\r') ++returns;
  }
  size_t wanted = 0;
  for (const std::string& line : expected) {
    for (size_t at = line.find("\\r"); at != std::string::npos; at = line.find("\\r", at + 2)) {
      ++wanted;
    }
  }
  return returns == wanted;
}

// The parsed tree of a saved file is the expected one, with its carriage
// returns either kept (written as references) or written as themselves.
inline bool TreeMatches(const Tree& parsed, const std::string& bytes, const Tree& expected) {
  if (parsed == expected) return true;
  return parsed == WithLineFeeds(expected) && LoneCarriageReturnsInside(bytes, expected);
}

}  // namespace topo::sample
