// The model keeps texts as code page 936 bytes, Windows and the host speak
// UTF-16, and the simulated host's files (scenarios, its request log, the
// PersonalData file) are UTF-8. These conversions are the only crossing, and
// they name their code page explicitly so Chinese is right whatever the
// system code page is.
#pragma once

#include <string>
#include <string_view>

#include "model/AppendStore.h"

namespace topo::win32 {

std::wstring WideFromCp936(const std::string& text);
std::string Cp936FromWide(const std::wstring& text);
std::string Cp936FromWide(const wchar_t* text, size_t length);

// Into a buffer of the caller's, for a secret that must not pass through a
// string that may copy it as it grows: the characters written, or with no
// buffer (capacity 0) the characters needed; 0 when text is empty or does
// not fit.
int WideFromCp936(std::string_view text, wchar_t* out, int capacity);
int Cp936FromWide(std::wstring_view text, char* out, int capacity);

std::wstring WideFromUtf8(const std::string& text);
std::string Utf8FromWide(const std::wstring& text);

// Code page 936 <-> UTF-8 for the core (the event file), through UTF-16.
class Cp936Codec : public TextCodec {
 public:
  std::string Utf8FromCp936(const std::string& text) const override {
    return Utf8FromWide(WideFromCp936(text));
  }
  std::string Cp936FromUtf8(const std::string& text) const override {
    return Cp936FromWide(WideFromUtf8(text));
  }
};

}  // namespace topo::win32
