// Finding boxes by name for the window's find box. Names are code page 936
// bytes: a byte from 0x81 to 0xFE leads a two-byte character whose second
// byte may fall among the ASCII letters, so matching byte by byte would find
// "a" inside a Chinese character, and folding case would change one.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

#include "model/Nodes.h"

namespace topo {

// Whether needle occurs in name starting on a character boundary; ASCII
// letters match without regard to case, two-byte characters byte for byte.
// An empty needle matches nothing.
bool NameContains(std::string_view name, std::string_view needle);

enum class TFindStep {
  Here,      // the first match at or after the starting box (typing keeps a match)
  Next,      // the first match after it
  Previous,  // the last match before it
};

struct TFindResult {
  ZOrderEntry Box;
  int32_t Number = 0;  // 1 for the first match in reading order
  int32_t Total = 0;
};

// Matches are taken in reading order, top to bottom, then left to right, so
// that Next walks down the diagram whatever the stacking order; the search
// wraps around. from is the box to start at (none: the start of the order).
std::optional<TFindResult> FindBox(const TARNodeList& list, std::string_view needle,
                                   const std::optional<ZOrderEntry>& from, TFindStep step);

}  // namespace topo
