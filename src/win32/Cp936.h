// The model keeps texts as code page 936 bytes, Windows and the host speak
// UTF-16, and the simulated host's files (scenarios, its request log, the
// PersonalData file) are UTF-8. These conversions are the only crossing, and
// they name their code page explicitly so Chinese is right whatever the
// system code page is.
#pragma once

#include <string>

namespace topo::win32 {

std::wstring WideFromCp936(const std::string& text);
std::string Cp936FromWide(const std::wstring& text);
std::string Cp936FromWide(const wchar_t* text, size_t length);

std::wstring WideFromUtf8(const std::string& text);
std::string Utf8FromWide(const std::wstring& text);

}  // namespace topo::win32
