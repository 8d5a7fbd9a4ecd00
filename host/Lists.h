// Lists as scenario lines, topology reports and addresses write them (names
// joined by "," or ";", address parts by "."), and the numbers inside them,
// read by the core's integer reader.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

#include "model/TextFields.h"
#include "win32/Cp936.h"

namespace arhost {

inline std::vector<std::wstring> Split(const std::wstring& text, wchar_t separator) {
  std::vector<std::wstring> parts;
  size_t start = 0;
  for (;;) {
    size_t end = text.find(separator, start);
    parts.push_back(text.substr(start, end == std::wstring::npos ? end : end - start));
    if (end == std::wstring::npos) return parts;
    start = end + 1;
  }
}

inline std::wstring Join(const std::vector<std::wstring>& parts, const wchar_t* separator) {
  std::wstring out;
  for (size_t i = 0; i < parts.size(); ++i) out += (i ? separator : L"") + parts[i];
  return out;
}

// A decimal number such as an instance; empty when it is none.
inline std::optional<int32_t> Number(const std::wstring& text) {
  return topo::ParseInt32(topo::win32::Utf8FromWide(text));
}

}  // namespace arhost
