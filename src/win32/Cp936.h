// The model keeps texts as code page 936 bytes; Windows and the host speak
// UTF-16. These two conversions are the only crossing, and they name code page
// 936 explicitly so Chinese is right whatever the system code page is.
#pragma once

#include <string>

#include "model/AppendStore.h"

namespace topo::win32 {

std::wstring WideFromCp936(const std::string& text);
std::string Cp936FromWide(const std::wstring& text);
std::string Cp936FromWide(const wchar_t* text, size_t length);

// The event file's UTF-8, through UTF-16.
class Cp936Codec : public TextCodec {
 public:
  std::string Utf8FromCp936(const std::string& text) const override;
  std::string Cp936FromUtf8(const std::string& text) const override;
};

}  // namespace topo::win32
