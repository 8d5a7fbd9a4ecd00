// Trimming and integer reading shared by the report merge and the layout. Names
// are code page 936 byte strings, so only bytes up to 0x20 count as blanks: a
// byte of 0x80 or more is part of a Chinese character and must stay.
#pragma once

#include <cstdint>
#include <optional>
#include <string_view>

namespace topo {

// The text without bytes <= 0x20 at either end. Inline: the merge trims every
// name and value of a report.
inline std::string_view TrimBlanks(std::string_view text) {
  const auto blank = [](char c) { return static_cast<unsigned char>(c) <= 0x20; };
  size_t begin = 0;
  size_t end = text.size();
  while (begin < end && blank(text[begin])) ++begin;
  while (end > begin && blank(text[end - 1])) --end;
  return text.substr(begin, end - begin);
}

// A trimmed decimal integer with an optional sign that fits 32 bits; anything
// else (empty, stray characters, out of range) is no value.
std::optional<int32_t> ParseInt32(std::string_view text);

}  // namespace topo
