// Code page 936 and UTF-8 <-> UTF-16 with the Win32 converters, one pair of
// calls for both code pages.
#include "win32/Cp936.h"

#include <windows.h>

namespace topo::win32 {

namespace {

int WideInto(UINT codePage, std::string_view text, wchar_t* out, int capacity) {
  if (text.empty()) return 0;
  const int n = MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), out,
                                    out ? capacity : 0);
  return n > 0 ? n : 0;
}

int NarrowInto(UINT codePage, std::wstring_view text, char* out, int capacity) {
  if (text.empty()) return 0;
  const int n = WideCharToMultiByte(codePage, 0, text.data(), static_cast<int>(text.size()), out,
                                    out ? capacity : 0, nullptr, nullptr);
  return n > 0 ? n : 0;
}

std::wstring WideFrom(UINT codePage, std::string_view text) {
  std::wstring out(static_cast<size_t>(WideInto(codePage, text, nullptr, 0)), L'\0');
  if (!out.empty()) WideInto(codePage, text, out.data(), static_cast<int>(out.size()));
  return out;
}

std::string NarrowFrom(UINT codePage, std::wstring_view text) {
  std::string out(static_cast<size_t>(NarrowInto(codePage, text, nullptr, 0)), '\0');
  if (!out.empty()) NarrowInto(codePage, text, out.data(), static_cast<int>(out.size()));
  return out;
}

}  // namespace

int WideFromCp936(std::string_view text, wchar_t* out, int capacity) {
  return WideInto(936, text, out, capacity);
}

int Cp936FromWide(std::wstring_view text, char* out, int capacity) {
  return NarrowInto(936, text, out, capacity);
}

std::wstring WideFromCp936(const std::string& text) { return WideFrom(936, text); }

std::string Cp936FromWide(const wchar_t* text, size_t length) {
  if (!text) return {};
  return NarrowFrom(936, std::wstring_view(text, length));
}

std::string Cp936FromWide(const std::wstring& text) { return NarrowFrom(936, text); }

std::wstring WideFromUtf8(const std::string& text) { return WideFrom(CP_UTF8, text); }

std::string Utf8FromWide(const std::wstring& text) { return NarrowFrom(CP_UTF8, text); }

}  // namespace topo::win32
