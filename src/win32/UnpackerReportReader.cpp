// Reading answer rows through the host's unpacker.
#include "win32/UnpackerReportReader.h"

#include "win32/CheckedCall.h"
#include "win32/ComPtr.h"
#include "win32/Cp936.h"

namespace topo::win32 {

std::string VariantText(const VARIANT& value) {
  if (value.vt == VT_EMPTY || value.vt == VT_NULL) return {};
  if (value.vt == VT_BSTR) return Cp936FromWide(value.bstrVal, SysStringLen(value.bstrVal));
  Variant text;
  Check(VariantChangeType(text.Put(), const_cast<VARIANT*>(&value), 0, VT_BSTR),
        "VariantChangeType");
  return Cp936FromWide(text.Get().bstrVal, SysStringLen(text.Get().bstrVal));
}

bool UnpackerReportReader::Eof() {
  VARIANT_BOOL eof = VARIANT_FALSE;
  Check(unpacker_->GetEof(&eof), "GetEof");
  return eof != VARIANT_FALSE;
}

std::string UnpackerReportReader::FieldText(const char* name) {
  Variant key = Variant::String(WideFromCp936(name));
  ComPtr<IDispatch> field;
  Check(unpacker_->GetField(key.Get(), field.Put()), "GetField");
  if (!field) throw EHostCallError("GetField", E_POINTER);
  // The field object has no interface id of its own: its dispatch pointer is
  // the field interface.
  Variant value;
  Check(static_cast<host::IUnpackerField*>(field.Get())->GetValue(value.Put()), "GetValue");
  return VariantText(value.Get());
}

void UnpackerReportReader::Next() { Check(unpacker_->Next(), "Next"); }

}  // namespace topo::win32
