// The report reader over the shared fake unpacker: rows in order, values of
// any VARIANT type as code page 936 text, failures of the unpacker as exceptions.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "FakeExchange.h"
#include "win32/CheckedCall.h"
#include "win32/UnpackerReportReader.h"
#include "win32/Variant.h"

namespace topo::test {
namespace {

TEST(UnpackerReportReaderTest, ReadsRowsAndTurnsEveryValueIntoText) {
  CallLog log;
  FakeUnpacker unpacker(log);
  unpacker.table.fields = {L"ar", L"n", L"e"};
  unpacker.table.rows.resize(2);
  unpacker.table.rows[0].push_back(win32::Variant::String(L"\x4E3B\x8DEF\x7531"));  // 3 characters
  unpacker.table.rows[0].push_back(win32::Variant::Int32(-12));
  unpacker.table.rows[0].emplace_back();  // empty
  unpacker.table.rows[1].push_back(win32::Variant::String(L"ar2"));
  unpacker.table.rows[1].push_back(win32::Variant::Int16(7));
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
  EXPECT_EQ(unpacker.FieldRefs(), 0) << "a field reference was kept";
}

TEST(UnpackerReportReaderTest, AMissingFieldRaisesWithTheOperation) {
  CallLog log;
  FakeUnpacker unpacker(log);
  unpacker.table.rows.resize(1);
  win32::UnpackerReportReader reader(&unpacker);
  try {
    reader.FieldText("ar");
    ADD_FAILURE() << "no exception";
  } catch (const win32::EHostCallError& e) {
    EXPECT_STREQ(e.Operation(), "GetField");
    EXPECT_EQ(e.Result(), DISP_E_BADINDEX);
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
