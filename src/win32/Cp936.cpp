// Code page 936 <-> UTF-16 with the Win32 converters.
#include "win32/Cp936.h"

#include <windows.h>

namespace topo::win32 {

int WideFromCp936(std::string_view text, wchar_t* out, int capacity) {
  if (text.empty()) return 0;
  const int n = MultiByteToWideChar(936, 0, text.data(), static_cast<int>(text.size()), out,
                                    out ? capacity : 0);
  return n > 0 ? n : 0;
}

int Cp936FromWide(std::wstring_view text, char* out, int capacity) {
  if (text.empty()) return 0;
  const int n = WideCharToMultiByte(936, 0, text.data(), static_cast<int>(text.size()), out,
                                    out ? capacity : 0, nullptr, nullptr);
  return n > 0 ? n : 0;
}

std::wstring WideFromCp936(const std::string& text) {
  std::wstring out(static_cast<size_t>(WideFromCp936(text, nullptr, 0)), L'\0');
  if (!out.empty()) WideFromCp936(text, out.data(), static_cast<int>(out.size()));
  return out;
}

std::string Cp936FromWide(const wchar_t* text, size_t length) {
  if (!text) return {};
  const std::wstring_view view(text, length);
  std::string out(static_cast<size_t>(Cp936FromWide(view, nullptr, 0)), '\0');
  if (!out.empty()) Cp936FromWide(view, out.data(), static_cast<int>(out.size()));
  return out;
}

std::string Cp936FromWide(const std::wstring& text) {
  return Cp936FromWide(text.data(), text.size());
}

}  // namespace topo::win32
