// The model's texts are code page 936 bytes and libxml2 keeps UTF-8, so the
// native document converts at its edge, as the Windows one does with the
// system's converters. iconv is what a POSIX system offers for it.
#pragma once

#include <string>

#include "model/AppendStore.h"

namespace topo {

// Code page 936 <-> UTF-8 through iconv. A byte sequence that is not code
// page 936, or a character that code page 936 lacks, becomes "?": a name is
// never dropped because one character could not be converted.
class Cp936Converter : public TextCodec {
 public:
  Cp936Converter();
  ~Cp936Converter() override;
  Cp936Converter(const Cp936Converter&) = delete;
  Cp936Converter& operator=(const Cp936Converter&) = delete;

  std::string Utf8FromCp936(const std::string& text) const override;
  std::string Cp936FromUtf8(const std::string& text) const override;

 private:
  void* toUtf8_;
  void* fromUtf8_;
};

}  // namespace topo
