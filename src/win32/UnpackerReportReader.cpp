// Reading answer rows through the host's unpacker.
#include "win32/UnpackerReportReader.h"

#include "win32/BStr.h"
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

namespace {

// The field object has no interface id of its own: its dispatch pointer is
// the field interface.
ComPtr<IDispatch> FieldOf(host::IUnpackerDisp* unpacker, const VARIANT& key) {
  ComPtr<IDispatch> field;
  Check(unpacker->GetField(key, field.Put()), "GetField");
  if (!field) throw EHostCallError("GetField", E_POINTER);
  return field;
}

}  // namespace

std::string UnpackerFieldValue(host::IUnpackerDisp* unpacker, const VARIANT& key) {
  const ComPtr<IDispatch> field = FieldOf(unpacker, key);
  Variant value;
  Check(static_cast<host::IUnpackerField*>(field.Get())->GetValue(value.Put()), "GetValue");
  return VariantText(value.Get());
}

std::string UnpackerFieldName(host::IUnpackerDisp* unpacker, const VARIANT& key) {
  const ComPtr<IDispatch> field = FieldOf(unpacker, key);
  BStr name;
  Check(static_cast<host::IUnpackerField*>(field.Get())->GetName(name.Put()), "GetName");
  return Cp936FromWide(name.Str());
}

std::string UnpackerReportReader::FieldText(const char* name) {
  return UnpackerFieldValue(unpacker_, Variant::String(WideFromCp936(name)).Get());
}

void UnpackerReportReader::Next() { Check(unpacker_->Next(), "Next"); }

}  // namespace topo::win32
