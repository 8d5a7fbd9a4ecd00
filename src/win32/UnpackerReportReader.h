// The status merge reads answers through topo::ReportReader; this is that
// reader over the host's unpacker. Field values come as VARIANTs of any type
// and leave as code page 936 text, the model's text type.
#pragma once

#include <string>

#include "abi/HostInterfaces.h"
#include "model/ReportReader.h"
#include "win32/Variant.h"

namespace topo::win32 {

class UnpackerReportReader : public ReportReader {
 public:
  // unpacker is borrowed and already opened on the answer.
  explicit UnpackerReportReader(host::IUnpackerDisp* unpacker) : unpacker_(unpacker) {}

  bool Eof() override;
  std::string FieldText(const char* name) override;
  void Next() override;

 private:
  host::IUnpackerDisp* unpacker_;
};

// A field value as code page 936 text: empty for an empty value, otherwise
// converted with VariantChangeType. Throws EHostCallError when it cannot be.
std::string VariantText(const VARIANT& value);

}  // namespace topo::win32
