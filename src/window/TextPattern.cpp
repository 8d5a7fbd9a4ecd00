// The string table's patterns filled without printf.
#include "window/TextPattern.h"

namespace topo::window {

std::wstring FillPattern(const std::wstring& pattern, const std::vector<int>& numbers,
                         const std::wstring& text) {
  std::wstring out;
  size_t next = 0;
  for (size_t i = 0; i < pattern.size(); ++i) {
    if (pattern[i] != L'%' || i + 1 == pattern.size()) {
      out += pattern[i];
      continue;
    }
    size_t j = i + 1;
    if (pattern[j] == L'%') {
      out += L'%';
      i = j;
      continue;
    }
    if (pattern[j] == L's') {
      out += text;
      i = j;
      continue;
    }
    size_t width = 0;
    if (pattern[j] == L'0') {
      ++j;
      while (j < pattern.size() && pattern[j] >= L'0' && pattern[j] <= L'9' && width < 10)
        width = width * 10 + static_cast<size_t>(pattern[j++] - L'0');
    }
    if (j < pattern.size() && pattern[j] == L'd' && next < numbers.size()) {
      const int value = numbers[next++];
      std::wstring digits = std::to_wstring(value < 0 ? -static_cast<long long>(value) : value);
      if (digits.size() < width) digits.insert(0, width - digits.size(), L'0');
      if (value < 0) out += L'-';
      out += digits;
      i = j;
      continue;
    }
    out += pattern[i];
  }
  return out;
}

}  // namespace topo::window
