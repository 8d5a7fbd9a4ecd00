// The 42 management status functions the status dialog offers, as the items
// of its function list. The items are the operator's texts and the request's
// function number at once: the number is read back from an item's first five
// characters, so the texts must stay exactly as they are, byte for byte.
#pragma once

#include <windows.h>

#include <array>
#include <string_view>

namespace topo::query {

inline constexpr size_t kStatusFunctionCount = 42;

// Code page 936 byte strings: "NNNNN", two spaces, the module label, then the
// description. Labels ending in a colon (items 1 to 19) are followed by a TAB.
const std::array<const char*, kStatusFunctionCount>& StatusFunctionItems();

// Text as a decimal number (an optional sign and digits within 32 bits, blanks
// around them allowed); 0 when it is not one.
LONG DecimalOrZero(std::string_view text);

// The function number of an item: its first five characters as a decimal number.
LONG FunctionNumberOf(std::string_view item);

}  // namespace topo::query
