// Whole files in and out by wide path (a scenario, the PersonalData file, a
// screenshot), and the last part of a path as titles and messages show it.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace arhost {

// Empty when the file cannot be opened.
std::optional<std::string> ReadWholeFile(const std::wstring& path);
// False when the file cannot be written whole.
bool WriteWholeFile(const std::wstring& path, const std::vector<uint8_t>& bytes);
std::wstring BaseName(const std::wstring& path);

}  // namespace arhost
