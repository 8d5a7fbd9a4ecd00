// Name matching in code page 936 and the walk through the matches.
#include "model/FindBoxes.h"

#include <algorithm>
#include <tuple>
#include <vector>

#include "model/Boxes.h"

namespace topo {

namespace {

bool IsLeadByte(unsigned char c) { return c >= 0x81 && c <= 0xFE; }

// The length of the character at the start of text: two for a lead byte
// followed by anything, else one (a lead byte at the end stands alone).
size_t CharLength(std::string_view text) {
  return text.size() >= 2 && IsLeadByte(static_cast<unsigned char>(text[0])) ? 2 : 1;
}

char FoldAscii(char c) { return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c; }

// Whether needle matches text from its start, character by character.
bool MatchesAt(std::string_view text, std::string_view needle) {
  while (!needle.empty()) {
    if (text.empty()) return false;
    const size_t n = CharLength(needle);
    const size_t t = CharLength(text);
    if (n != t) return false;
    if (n == 1 ? FoldAscii(text[0]) != FoldAscii(needle[0])
               : text.substr(0, 2) != needle.substr(0, 2))
      return false;
    text.remove_prefix(t);
    needle.remove_prefix(n);
  }
  return true;
}

using ReadingKey = std::tuple<int32_t, int32_t, int32_t, int32_t>;

ReadingKey KeyOf(const TRect& box, const ZOrderEntry& entry) {
  return {box.Top, box.Left, entry.ARIndex, entry.ASIndex};
}

}  // namespace

bool NameContains(std::string_view name, std::string_view needle) {
  if (needle.empty()) return false;
  for (std::string_view rest = name; rest.size() >= needle.size();
       rest.remove_prefix(CharLength(rest))) {
    if (MatchesAt(rest, needle)) return true;
  }
  return false;
}

std::optional<TFindResult> FindBox(const TARNodeList& list, std::string_view needle,
                                   const std::optional<ZOrderEntry>& from, TFindStep step) {
  std::vector<std::pair<ReadingKey, ZOrderEntry>> matches;
  for (int32_t a = 0; a < list.Count(); ++a) {
    const TARNode& node = list.Items(a);
    if (NameContains(node.Name(), needle)) matches.push_back({KeyOf(node.Rect, {a, -1}), {a, -1}});
    for (int32_t s = 0; s < node.SubASs.Count(); ++s) {
      const TLinkNode& server = node.SubASs.Items(s);
      if (NameContains(server.Name(), needle))
        matches.push_back({KeyOf(server.Rect, {a, s}), {a, s}});
    }
  }
  if (matches.empty()) return std::nullopt;
  std::sort(matches.begin(), matches.end(),
            [](const auto& x, const auto& y) { return x.first < y.first; });
  const auto total = static_cast<int32_t>(matches.size());

  size_t chosen = step == TFindStep::Previous ? matches.size() - 1 : 0;
  const TRect* start = from ? BoxOf(list, *from) : nullptr;
  if (start) {
    const ReadingKey key = KeyOf(*start, *from);
    const auto byKey = [](const auto& m, const ReadingKey& k) { return m.first < k; };
    const auto at = std::lower_bound(matches.begin(), matches.end(), key, byKey);
    size_t index = static_cast<size_t>(at - matches.begin());
    const bool onStart = at != matches.end() && at->first == key;
    switch (step) {
      case TFindStep::Here:
        chosen = index;
        break;
      case TFindStep::Next:
        chosen = index + (onStart ? 1 : 0);
        break;
      case TFindStep::Previous:
        chosen = (index == 0 ? matches.size() : index) - 1;
        break;
    }
    if (chosen >= matches.size()) chosen = 0;
  }
  return TFindResult{matches[chosen].second, static_cast<int32_t>(chosen) + 1, total};
}

}  // namespace topo
