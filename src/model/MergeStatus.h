// The two parsing steps of the status merge, exposed so that their trimming
// and group alignment can be checked on their own.
#pragma once

#include <cstdint>
#include <string_view>

#include "model/Nodes.h"

namespace topo {

struct ParsedFlags {
  TActiveFlags Flags{};
  int32_t Count = 0;
};

// An "ar_active" text with "," appended: the first ten comma-terminated values.
ParsedFlags ParseActiveFlags(std::string_view text);

// Takes the next ";"-terminated group off the remaining "as_active" text; the
// end of the text counts as a final ";". When nothing is left the remaining
// text becomes ";", so every further call yields an empty group.
ParsedFlags ParseNextASActive(std::string_view& remaining);

}  // namespace topo
