// The report reader over a fake unpacker: rows in order, values of any
// VARIANT type as code page 936 text, failures of the unpacker as exceptions.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "FakeHost.h"
#include "win32/CheckedCall.h"
#include "win32/UnpackerReportReader.h"
#include "win32/Variant.h"

namespace topo::test {
namespace {

class FakeField : public FakeDispatch<host::IUnpackerField> {
 public:
  FakeField() : FakeDispatch(IID_IDispatch) {}
  HRESULT STDMETHODCALLTYPE GetName(BSTR*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetValue(VARIANT* Value) override {
    VariantInit(Value);
    return VariantCopy(Value, const_cast<VARIANT*>(&value.Get()));
  }
  win32::Variant value;
};

class FakeUnpacker : public FakeDispatch<host::IUnpackerDisp> {
 public:
  FakeUnpacker() : FakeDispatch(host::IID_IUnpackerDisp) {}
  HRESULT STDMETHODCALLTYPE Open(VARIANT) override { return S_OK; }
  HRESULT STDMETHODCALLTYPE GetFieldCount(LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetRowCount(LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetReturnCode(LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetField(VARIANT Key, IDispatch** Field) override {
    *Field = nullptr;
    if (Key.vt != VT_BSTR || row >= rows.size()) return E_INVALIDARG;
    auto it = rows[row].find(Key.bstrVal);
    if (it == rows[row].end()) return DISP_E_MEMBERNOTFOUND;
    it->second->AddRef();
    *Field = it->second;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE First() override {
    row = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE Next() override {
    ++row;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetEof(VARIANT_BOOL* Eof) override {
    *Eof = row >= rows.size() ? VARIANT_TRUE : VARIANT_FALSE;
    return S_OK;
  }
  std::vector<std::map<std::wstring, FakeField*>> rows;
  size_t row = 0;
};

TEST(UnpackerReportReaderTest, ReadsRowsAndTurnsEveryValueIntoText) {
  FakeField name, count, empty, name2, count2;
  name.value = win32::Variant::String(L"\x4E3B\x8DEF\x7531");  // three Chinese characters
  count.value = win32::Variant::Int32(-12);
  name2.value = win32::Variant::String(L"ar2");
  count2.value = win32::Variant::Int16(7);
  FakeUnpacker unpacker;
  unpacker.rows = {{{L"ar", &name}, {L"n", &count}, {L"e", &empty}},
                   {{L"ar", &name2}, {L"n", &count2}}};
  win32::UnpackerReportReader reader(&unpacker);
  ASSERT_FALSE(reader.Eof());
  EXPECT_EQ(reader.FieldText("ar"), "\xD6\xF7\xC2\xB7\xD3\xC9") << "not code page 936";
  EXPECT_EQ(reader.FieldText("n"), "-12");
  EXPECT_EQ(reader.FieldText("e"), "");
  reader.Next();
  ASSERT_FALSE(reader.Eof());
  EXPECT_EQ(reader.FieldText("ar"), "ar2");
  EXPECT_EQ(reader.FieldText("n"), "7");
  reader.Next();
  EXPECT_TRUE(reader.Eof());
  for (FakeField* f : {&name, &count, &empty, &name2, &count2})
    EXPECT_EQ(f->Refs(), 0) << "a field reference was kept";
}

TEST(UnpackerReportReaderTest, AMissingFieldRaisesWithTheOperation) {
  FakeUnpacker unpacker;
  unpacker.rows = {{}};
  win32::UnpackerReportReader reader(&unpacker);
  try {
    reader.FieldText("ar");
    ADD_FAILURE() << "no exception";
  } catch (const win32::EHostCallError& e) {
    EXPECT_STREQ(e.Operation(), "GetField");
    EXPECT_EQ(e.Result(), DISP_E_MEMBERNOTFOUND);
  }
}

TEST(UnpackerReportReaderTest, AValueWithoutTextRaises) {
  VARIANT v;
  v.vt = VT_UNKNOWN;
  v.punkVal = nullptr;
  EXPECT_THROW(win32::VariantText(v), win32::EHostCallError);
}

}  // namespace
}  // namespace topo::test
