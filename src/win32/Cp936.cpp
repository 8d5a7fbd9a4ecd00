// Code page 936 and UTF-8 <-> UTF-16 with the Win32 converters, one pair of
// calls for both code pages.
#include "win32/Cp936.h"

#include <windows.h>

namespace topo::win32 {

namespace {

std::wstring WideFrom(UINT codePage, const char* text, size_t length) {
  if (!text || length == 0) return {};
  int n = MultiByteToWideChar(codePage, 0, text, static_cast<int>(length), nullptr, 0);
  std::wstring out(static_cast<size_t>(n > 0 ? n : 0), L'\0');
  if (n > 0) MultiByteToWideChar(codePage, 0, text, static_cast<int>(length), out.data(), n);
  return out;
}

std::string NarrowFrom(UINT codePage, const wchar_t* text, size_t length) {
  if (!text || length == 0) return {};
  int n = WideCharToMultiByte(codePage, 0, text, static_cast<int>(length), nullptr, 0, nullptr,
                              nullptr);
  std::string out(static_cast<size_t>(n > 0 ? n : 0), '\0');
  if (n > 0)
    WideCharToMultiByte(codePage, 0, text, static_cast<int>(length), out.data(), n, nullptr,
                        nullptr);
  return out;
}

}  // namespace

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
  return WideFrom(936, text.data(), text.size());
}

std::string Cp936FromWide(const wchar_t* text, size_t length) {
  return NarrowFrom(936, text, length);
}

std::string Cp936FromWide(const std::wstring& text) {
  return Cp936FromWide(text.data(), text.size());
}

std::wstring WideFromUtf8(const std::string& text) {
  return WideFrom(CP_UTF8, text.data(), text.size());
}

std::string Utf8FromWide(const std::wstring& text) {
  return NarrowFrom(CP_UTF8, text.data(), text.size());
}

}  // namespace topo::win32
