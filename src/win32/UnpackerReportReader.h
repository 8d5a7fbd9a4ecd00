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

// The value and the name of the current row's field that key names (its name
// or its 0-based position), as code page 936 text. Throw EHostCallError when
// a call fails or gives no field.
std::string UnpackerFieldValue(host::IUnpackerDisp* unpacker, const VARIANT& key);
std::string UnpackerFieldName(host::IUnpackerDisp* unpacker, const VARIANT& key);

// A field value as code page 936 text: empty for an empty value, otherwise
// converted with VariantChangeType. Throws EHostCallError when it cannot be.
std::string VariantText(const VARIANT& value);

}  // namespace topo::win32
