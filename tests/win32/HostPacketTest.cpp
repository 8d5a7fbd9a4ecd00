// The simulated host's packet format and its packer and unpacker: what the
// plug-in builds must arrive intact, and a damaged packet must be refused
// rather than read past its end.
#include <gtest/gtest.h>
#include <windows.h>

#include "host/Packer.h"
#include "host/Packet.h"
#include "host/PacketClasses.h"
#include "host/PacketVariant.h"
#include "host/Unpacker.h"
#include "win32/BStr.h"
#include "win32/Variant.h"

namespace {

using arhost::Packet;
using arhost::Value;
using topo::win32::BStr;
using topo::win32::ComPtr;
using topo::win32::Variant;
namespace host = topo::host;

Packet Sample() {
  Packet p;
  p.returnCode = -7;
  p.fields = {L"ar", L"说明", L""};
  p.rows = {{Value(L"总部AR"), Value(INT32_MIN), Value()}, {Value(std::wstring(L"a\0b", 3))}, {}};
  return p;
}

Packet Decode(const VARIANT& v) {
  Packet p;
  EXPECT_EQ(S_OK, arhost::PacketFromVariant(v, &p));
  return p;
}

std::wstring FieldText(host::IUnpackerDisp* u, const VARIANT& key, std::wstring* name = nullptr) {
  ComPtr<IDispatch> field;
  EXPECT_EQ(S_OK, u->GetField(key, field.Put()));
  if (!field) return L"<none>";
  auto f = static_cast<host::IUnpackerField*>(field.Get());
  if (name) {
    BStr n;
    EXPECT_EQ(S_OK, f->GetName(n.Put()));
    *name = n.Str();
  }
  Variant v;
  EXPECT_EQ(S_OK, f->GetValue(v.Put()));
  if (v.Type() == VT_EMPTY) return L"<empty>";
  return arhost::ValueText(v.Type() == VT_I4 ? Value(v.Get().lVal)
                                             : Value(std::wstring(v.Get().bstrVal)));
}

TEST(HostPacket, EncodingKeepsEveryFieldRowAndText) {
  std::vector<uint8_t> bytes = arhost::EncodePacket(Sample());
  auto back = arhost::DecodePacket(bytes.data(), bytes.size());
  ASSERT_TRUE(back);
  EXPECT_TRUE(*back == Sample());

  Variant v;
  ASSERT_EQ(S_OK, arhost::PacketToVariant(Sample(), v.Put()));
  EXPECT_EQ(VT_ARRAY | VT_UI1, v.Type());
  EXPECT_TRUE(Decode(v.Get()) == Sample());
  // Hosts may hand a packet on by reference.
  VARIANT ref;
  ref.vt = VT_BYREF | VT_VARIANT;
  ref.pvarVal = const_cast<VARIANT*>(&v.Get());
  EXPECT_TRUE(Decode(ref) == Sample());
}

TEST(HostPacket, DamagedPacketsAreRefused) {
  std::vector<uint8_t> bytes = arhost::EncodePacket(Sample());
  for (size_t n = 0; n < bytes.size(); ++n)
    EXPECT_FALSE(arhost::DecodePacket(bytes.data(), n)) << "cut at " << n;
  auto longer = bytes;
  longer.push_back(0);
  EXPECT_FALSE(arhost::DecodePacket(longer.data(), longer.size()));
  auto version = bytes;
  version[4] = 2;
  EXPECT_FALSE(arhost::DecodePacket(version.data(), version.size()));
  // A field count far beyond the bytes present must fail, not allocate.
  auto huge = bytes;
  huge[9] = huge[10] = huge[11] = huge[12] = 0xFF;
  EXPECT_FALSE(arhost::DecodePacket(huge.data(), huge.size()));
  Packet one;
  one.rows = {{Value(1)}};
  auto tagged = arhost::EncodePacket(one);
  tagged[tagged.size() - 5] = 9;  // the value's tag
  EXPECT_FALSE(arhost::DecodePacket(tagged.data(), tagged.size()));

  Variant text = Variant::String(L"ARPK");
  Packet p;
  EXPECT_EQ(DISP_E_TYPEMISMATCH, arhost::PacketFromVariant(text.Get(), &p));
}

TEST(HostPacket, PackerMakesRowsOfTheDeclaredFields) {
  auto packer = arhost::CreatePacker();
  ASSERT_EQ(S_OK, packer->BeginPack());
  BStr a(L"a"), b(L"b");
  ASSERT_EQ(S_OK, packer->AddField(a.Get()));
  ASSERT_EQ(S_OK, packer->AddField(b.Get()));
  for (LONG i = 0; i < 2; ++i) {
    ASSERT_EQ(S_OK, packer->AddValue(Variant::Int32(i).Get()));
    ASSERT_EQ(S_OK, packer->AddValue(Variant::String(L"行" + std::to_wstring(i)).Get()));
  }
  ASSERT_EQ(S_OK, packer->EndPack());
  Variant v;
  ASSERT_EQ(S_OK, packer->GetPacket(v.Put()));
  Packet p = Decode(v.Get());
  EXPECT_EQ((std::vector<std::wstring>{L"a", L"b"}), p.fields);
  ASSERT_EQ(2u, p.rows.size());
  EXPECT_TRUE(p.rows[1] == (std::vector<Value>{Value(1), Value(L"行1")}));

  // Without field names every value lands in one row, in order; with no
  // values at all the packet has no rows.
  ASSERT_EQ(S_OK, packer->BeginPack());
  ASSERT_EQ(S_OK, packer->AddValue(Variant::Int16(1).Get()));
  ASSERT_EQ(S_OK, packer->AddValue(Variant::String(L"gw").Get()));
  ASSERT_EQ(S_OK, packer->EndPack());
  ASSERT_EQ(S_OK, packer->GetPacket(v.Put()));
  p = Decode(v.Get());
  EXPECT_TRUE(p.fields.empty());
  ASSERT_EQ(1u, p.rows.size());
  EXPECT_TRUE(p.rows[0] == (std::vector<Value>{Value(1), Value(L"gw")}));
  ASSERT_EQ(S_OK, packer->BeginPack());
  ASSERT_EQ(S_OK, packer->EndPack());
  ASSERT_EQ(S_OK, packer->GetPacket(v.Put()));
  EXPECT_TRUE(Decode(v.Get()).rows.empty());
}

TEST(HostPacket, PackerRefusesCallsOutOfOrder) {
  auto packer = arhost::CreatePacker();
  Variant v;
  EXPECT_EQ(E_UNEXPECTED, packer->AddValue(Variant::Int32(1).Get()));
  EXPECT_EQ(E_UNEXPECTED, packer->GetPacket(v.Put()));
  ASSERT_EQ(S_OK, packer->BeginPack());
  EXPECT_EQ(E_UNEXPECTED, packer->GetPacket(v.Put())) << "not closed yet";
  ASSERT_EQ(S_OK, packer->AddValue(Variant::Int32(1).Get()));
  BStr late(L"late");
  EXPECT_EQ(E_UNEXPECTED, packer->AddField(late.Get()));
  VARIANT real;
  real.vt = VT_R8;
  real.dblVal = 1.5;
  EXPECT_EQ(DISP_E_TYPEMISMATCH, packer->AddValue(real));
  ASSERT_EQ(S_OK, packer->EndPack());
  EXPECT_EQ(E_UNEXPECTED, packer->AddValue(Variant::Int32(2).Get())) << "closed";
}

TEST(HostPacket, UnpackerWalksRowsAndFindsFields) {
  Packet answer;
  answer.returnCode = 3;
  answer.fields = {L"name", L"count"};
  answer.rows = {{Value(L"x"), Value(1)}, {Value(L"y")}, {Value(L"z"), Value(3)}};
  Variant packet;
  ASSERT_EQ(S_OK, arhost::PacketToVariant(answer, packet.Put()));
  auto u = arhost::CreateUnpacker();
  ASSERT_EQ(S_OK, u->Open(packet.Get()));
  LONG n = 0;
  ASSERT_EQ(S_OK, u->GetReturnCode(&n));
  EXPECT_EQ(3, n);
  ASSERT_EQ(S_OK, u->GetRowCount(&n));
  EXPECT_EQ(3, n);

  std::vector<std::wstring> seen;
  VARIANT_BOOL eof = VARIANT_TRUE;
  for (u->GetEof(&eof); !eof; u->Next(), u->GetEof(&eof))
    seen.push_back(FieldText(u.Get(), Variant::String(L"name").Get()) + L":" +
                   FieldText(u.Get(), Variant::Int16(1).Get()));
  EXPECT_EQ((std::vector<std::wstring>{L"x:1", L"y:<empty>", L"z:3"}), seen);

  // Past the last row names are still there (a table shows its columns).
  ASSERT_EQ(S_OK, u->Next());
  std::wstring name;
  EXPECT_EQ(L"<empty>", FieldText(u.Get(), Variant::Int32(1).Get(), &name));
  EXPECT_EQ(L"count", name);
  ASSERT_EQ(S_OK, u->First());
  EXPECT_EQ(L"x", FieldText(u.Get(), Variant::String(L"NAME").Get()));

  ComPtr<IDispatch> field;
  EXPECT_EQ(DISP_E_UNKNOWNNAME, u->GetField(Variant::String(L"error_info").Get(), field.Put()));
  EXPECT_EQ(DISP_E_BADINDEX, u->GetField(Variant::Int32(2).Get(), field.Put()));
  EXPECT_EQ(DISP_E_BADINDEX, u->GetField(Variant::Int32(-1).Get(), field.Put()));

  Variant junk = Variant::String(L"junk");
  EXPECT_NE(S_OK, u->Open(junk.Get()));
  ASSERT_EQ(S_OK, u->GetRowCount(&n));
  EXPECT_EQ(0, n) << "a refused packet must not leave the previous answer behind";
}

TEST(HostPacket, RegisteredClassesAreFoundByCoCreateInstance) {
  HRESULT init = CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED);
  {
    arhost::PacketClassRegistration registration;
    ASSERT_EQ(S_OK, registration.Result());
    ComPtr<host::IPackerDisp> packer;
    EXPECT_EQ(S_OK, CoCreateInstance(host::CLSID_Packer, nullptr, CLSCTX_INPROC_SERVER,
                                     host::IID_IPackerDisp, packer.PutVoid()));
    ComPtr<host::IUnpackerDisp> unpacker;
    EXPECT_EQ(S_OK, CoCreateInstance(host::CLSID_Unpacker, nullptr, CLSCTX_INPROC_SERVER,
                                     host::IID_IUnpackerDisp, unpacker.PutVoid()));
    ComPtr<host::IUnpackerDisp> wrong;
    EXPECT_EQ(E_NOINTERFACE, CoCreateInstance(host::CLSID_Packer, nullptr, CLSCTX_INPROC_SERVER,
                                              host::IID_IUnpackerDisp, wrong.PutVoid()));
  }
  ComPtr<host::IPackerDisp> gone;
  EXPECT_NE(S_OK, CoCreateInstance(host::CLSID_Packer, nullptr, CLSCTX_INPROC_SERVER,
                                   host::IID_IPackerDisp, gone.PutVoid()));
  if (SUCCEEDED(init)) CoUninitialize();
}

}  // namespace
