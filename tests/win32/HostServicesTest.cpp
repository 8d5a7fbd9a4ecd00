// The simulated host's services as the plug-in meets them: ARCom exchanges
// and their error numbers, the request log, data containers that survive a
// restart, the service directory and the data folder.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <new>
#include <stdexcept>

#include "host/ARCom.h"
#include "host/Packer.h"
#include "host/PacketVariant.h"
#include "host/Services.h"
#include "win32/BStr.h"

namespace {

using arhost::Packet;
using arhost::Value;
using topo::win32::BStr;
using topo::win32::ComPtr;
using topo::win32::Variant;
namespace host = topo::host;

std::wstring TempPath(const wchar_t* name) {
  wchar_t dir[MAX_PATH];
  GetTempPathW(MAX_PATH, dir);
  return std::wstring(dir) + name + std::to_wstring(GetCurrentProcessId());
}

struct Outcome {
  HRESULT hr = S_OK;
  LONG errorNo = -1;
  Packet answer;
};

Outcome Exchange(host::IARCom* arcom, host::IPackerDisp* packer) {
  Outcome e;
  Variant packet, id, answer;
  if (FAILED(e.hr = packer->EndPack()) || FAILED(e.hr = packer->GetPacket(packet.Put())) ||
      FAILED(e.hr = arcom->SendPacket(packet.Get(), 2000, id.Put())) ||
      FAILED(e.hr = arcom->ReceiveAnswer(id.Get().lVal, 2000, answer.Put())))
    return e;
  arcom->GetErrorNo(&e.errorNo);
  e.hr = arhost::PacketFromVariant(answer.Get(), &e.answer);
  return e;
}

ComPtr<host::IARCom> MakeARCom(const char* scenario, const double* clock,
                               const std::wstring& log = {}) {
  return arhost::ARCom::Create(
      arhost::Network::Parse(scenario), [clock] { return *clock; }, log);
}

constexpr char kScenario[] =
    "ar R0 up=0\nas ADM ar=R0 up=0\nas S1 ar=R0 password=pw\n"
    "at 10 unreachable\n";

TEST(HostServices, ARComAnswersFromTheNetworkAndReportsErrors) {
  double now = 0;
  std::wstring log = TempPath(L"arhost-log");
  auto arcom = MakeARCom(kScenario, &now, log);
  auto packer = arhost::CreatePacker();

  ASSERT_EQ(S_OK, arcom->SetFunction(arhost::kFnTopology, nullptr));
  ASSERT_EQ(S_OK, packer->BeginPack());
  BStr i(L"i");
  packer->AddField(i.Get());
  packer->AddValue(Variant::Int32(0).Get());
  Outcome report = Exchange(arcom.Get(), packer.Get());
  ASSERT_EQ(S_OK, report.hr);
  EXPECT_EQ(0, report.errorNo);
  EXPECT_EQ(1u, report.answer.rows.size());

  // A packer handed to SetFunction starts afresh: leftovers of an earlier
  // packet must not become values of the command.
  packer->BeginPack();
  packer->AddValue(Variant::String(L"leftover").Get());
  ASSERT_EQ(S_OK,
            arcom->SetDestination(arhost::kAddressServer, Variant::String(L"R0.ADM.0").Get()));
  ASSERT_EQ(S_OK, arcom->SetFunction(arhost::kFnStart, packer.Get()));
  for (auto& v :
       {Variant::Int32(1), Variant::String(L"S1"), Variant::Int32(0), Variant::String(L"pw")})
    packer->AddValue(v.Get());
  Outcome start = Exchange(arcom.Get(), packer.Get());
  EXPECT_EQ(0, start.answer.returnCode) << arhost::ValueText(start.answer.rows.at(0).at(0));

  now = 10;
  ASSERT_EQ(S_OK, arcom->SetFunction(arhost::kFnTopology, nullptr));
  packer->BeginPack();
  Outcome down = Exchange(arcom.Get(), packer.Get());
  ASSERT_EQ(S_OK, down.hr);
  EXPECT_EQ(arhost::kErrUnreachable, down.errorNo);
  ASSERT_EQ(std::vector<std::wstring>{L"error_info"}, down.answer.fields);

  Variant answer;
  EXPECT_EQ(E_INVALIDARG, arcom->ReceiveAnswer(99, 2000, answer.Put()));
  LONG err = 0;
  arcom->GetErrorNo(&err);
  EXPECT_NE(0, err);

  auto* impl = arhost::ARCom::From(arcom.Get());
  ASSERT_EQ(3u, impl->Requests().size());
  EXPECT_EQ(L"R0.ADM.0", impl->Requests()[1].address);
  EXPECT_EQ(L"", impl->Requests()[2].address) << "a destination holds for one request";
  std::string line = arhost::RequestLogLine(impl->Requests()[1]);
  EXPECT_NE(std::string::npos, line.find("fn=51211")) << line;
  EXPECT_NE(std::string::npos, line.find("values=[1,\"S1\",0,\"***\"]")) << line;
  EXPECT_EQ(std::string::npos, line.find("leftover")) << line;

  FILE* f = _wfopen(log.c_str(), L"rb");
  ASSERT_TRUE(f);
  char text[4096] = {};
  size_t n = fread(text, 1, sizeof text - 1, f);
  fclose(f);
  DeleteFileW(log.c_str());
  EXPECT_EQ(3, std::count(text, text + n, '\n'));
  EXPECT_EQ(std::string::npos, std::string(text, n).find("pw")) << "passwords stay out of the log";
}

TEST(HostServices, SendWithoutFunctionOrWithForeignPacketFails) {
  double now = 0;
  auto arcom = MakeARCom(kScenario, &now);
  Packet empty;
  Variant packet, id;
  ASSERT_EQ(S_OK, arhost::PacketToVariant(empty, packet.Put()));
  EXPECT_EQ(E_UNEXPECTED, arcom->SendPacket(packet.Get(), 2000, id.Put()));
  arcom->SetFunction(arhost::kFnTopology, nullptr);
  EXPECT_NE(S_OK, arcom->SendPacket(Variant::String(L"x").Get(), 2000, id.Put()));
  LONG err = 0;
  arcom->GetErrorNo(&err);
  EXPECT_EQ(arhost::kErrBadPacket, err);
}

TEST(HostServices, PersonalDataSurvivesARestart) {
  std::wstring path = TempPath(L"arhost-personal");
  BStr timer(L"TimerInterval"), note(L"备注\tx"), big(L"Big"), never(L"Never");
  {
    auto data = arhost::DataContainer::Create(path);
    ASSERT_EQ(S_OK, data->SetValue(timer.Get(), Variant::Int16(7).Get()));
    ASSERT_EQ(S_OK, data->SetValue(note.Get(), Variant::String(L"第一行\n\\第二行").Get()));
    ASSERT_EQ(S_OK, data->SetValue(big.Get(), Variant::Int32(-100000).Get()));
  }
  auto again = arhost::DataContainer::Create(path);
  Variant v;
  ASSERT_EQ(S_OK, again->GetValue(timer.Get(), v.Put()));
  EXPECT_EQ(VT_I2, v.Type());
  EXPECT_EQ(7, v.Get().iVal);
  ASSERT_EQ(S_OK, again->GetValue(note.Get(), v.Put()));
  ASSERT_EQ(VT_BSTR, v.Type());
  EXPECT_EQ(std::wstring(L"第一行\n\\第二行"), v.Get().bstrVal);
  ASSERT_EQ(S_OK, again->GetValue(big.Get(), v.Put()));
  EXPECT_EQ(VT_I4, v.Type());
  EXPECT_EQ(-100000, v.Get().lVal);
  ASSERT_EQ(S_OK, again->GetValue(never.Get(), v.Put()));
  EXPECT_EQ(VT_EMPTY, v.Type());
  DeleteFileW(path.c_str());
}

TEST(HostServices, DamagedSettingsLinesAreSkipped) {
  arhost::ValueMap values = arhost::ParseValues(
      "# arhost PersonalData 1\r\n"
      "Good\tI2\t5\r\n"
      "TooBig\tI2\t40000\n"
      "BadEscape\tSTR\tx\\q\n"
      "NoType\t5\n"
      "Odd\tR8\t1.5\n"
      "Text\tSTR\tok\n");
  ASSERT_EQ(2u, values.size());
  EXPECT_EQ(5, values.at(L"Good").Get().iVal);
  EXPECT_EQ(std::wstring(L"ok"), values.at(L"Text").Get().bstrVal);
}

TEST(HostServices, FrameServesRegisteredServicesOnly) {
  auto frame = arhost::AppFrame::Create();
  auto temp = arhost::DataContainer::Create();
  arhost::AppFrame::From(frame.Get())->Register(L"TempData", ComPtr<IUnknown>::Borrow(temp.Get()));
  BStr name(L"TempData"), missing(L"ARCom");
  ComPtr<IUnknown> service;
  ASSERT_EQ(S_OK, frame->GetService(name.Get(), service.Put()));
  EXPECT_TRUE(service.As<host::IDataContainer>(host::IID_IDataContainer));
  EXPECT_FALSE(service.As<host::IARCom>(host::IID_IARCom));
  EXPECT_TRUE(FAILED(frame->GetService(missing.Get(), service.Put())));
  EXPECT_FALSE(service);

  auto config = arhost::MemConfig::Create(L"C:\\data\\");
  BStr dir(L"PersonalDataDir");
  Variant v;
  ASSERT_EQ(S_OK, config->GetValue(dir.Get(), v.Put()));
  EXPECT_EQ(std::wstring(L"C:\\data\\"), v.Get().bstrVal);
}

// A class factory whose object cannot be made answers with an HRESULT.
struct Unmakeable {
  static ComPtr<IUnknown> Create() { throw std::runtime_error("cannot be made"); }
};
struct TooLarge {
  static ComPtr<IUnknown> Create() { throw std::bad_alloc(); }
};

TEST(HostServices, ClassFactoryAnswersAFailedCreationWithAResult) {
  const auto check = [](IClassFactory* factory, HRESULT expected) {
    void* out = reinterpret_cast<void*>(1);
    EXPECT_EQ(expected, factory->CreateInstance(nullptr, IID_IUnknown, &out));
    EXPECT_EQ(nullptr, out);
  };
  check(arhost::ClassFactory<Unmakeable>::Create().Get(), E_FAIL);
  check(arhost::ClassFactory<TooLarge>::Create().Get(), E_OUTOFMEMORY);
}

TEST(HostServices, AnswersNeverFetchedAndOldRequestsDoNotPileUp) {
  double now = 0;
  auto arcom = MakeARCom(kScenario, &now);
  auto* impl = arhost::ARCom::From(arcom.Get());
  auto packer = arhost::CreatePacker();
  ASSERT_EQ(S_OK, arcom->SetFunction(arhost::kFnTopology, nullptr));
  const size_t sent = arhost::ARCom::kKeptRequests + 5;
  Variant packet, id;
  for (size_t n = 0; n < sent; ++n) {
    packer->BeginPack();
    packer->EndPack();
    ASSERT_EQ(S_OK, packer->GetPacket(packet.Put()));
    ASSERT_EQ(S_OK, arcom->SendPacket(packet.Get(), 2000, id.Put()));
  }
  EXPECT_EQ(arhost::ARCom::kMaxPendingAnswers, impl->PendingAnswers());
  EXPECT_EQ(arhost::ARCom::kKeptRequests, impl->Requests().size());
  EXPECT_EQ(sent, impl->RequestCount());
  Variant answer;
  EXPECT_EQ(E_INVALIDARG, arcom->ReceiveAnswer(1, 2000, answer.Put())) << "dropped";
  EXPECT_EQ(S_OK, arcom->ReceiveAnswer(id.Get().lVal, 2000, answer.Put())) << "the latest stays";
}

TEST(HostServices, ASettingThatCannotBeSavedIsNotKept) {
  const std::wstring dir = TempPath(L"arhost-gone") + L"\\";
  ASSERT_TRUE(CreateDirectoryW(dir.c_str(), nullptr));
  auto data = arhost::DataContainer::Create(dir + L"PersonalData.txt");
  BStr kept(L"ScrollWidth"), added(L"ScrollHeight");
  ASSERT_EQ(S_OK, data->SetValue(kept.Get(), Variant::Int16(900).Get()));
  DeleteFileW((dir + L"PersonalData.txt").c_str());
  ASSERT_TRUE(RemoveDirectoryW(dir.c_str()));  // every later save fails

  EXPECT_EQ(STG_E_WRITEFAULT, data->SetValue(kept.Get(), Variant::Int16(1200).Get()));
  EXPECT_EQ(STG_E_WRITEFAULT, data->SetValue(added.Get(), Variant::Int16(700).Get()));
  Variant v;
  ASSERT_EQ(S_OK, data->GetValue(kept.Get(), v.Put()));
  EXPECT_EQ(900, v.Get().iVal) << "the saved value stays";
  ASSERT_EQ(S_OK, data->GetValue(added.Get(), v.Put()));
  EXPECT_EQ(VT_EMPTY, v.Type()) << "a new key that was not saved is not there";
}

// The host runs a plug-in that leaves an object of its own in TempData: the
// host must release it before freeing the module, and exit cleanly.
TEST(HostServices, PluginIsUnloadedAfterTheObjectsTheHostHoldsOfIt) {
  wchar_t self[MAX_PATH] = {};
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  std::wstring bin = self;
  bin.resize(bin.find_last_of(L"\\/") + 1);
  const std::wstring mark = TempPath(L"held-object-mark"), shot = TempPath(L"held-shot") + L".png";
  const std::wstring data = TempPath(L"held-data");
  DeleteFileW(mark.c_str());
  ASSERT_TRUE(SetEnvironmentVariableW(L"TOPO_HELD_OBJECT_MARK", mark.c_str()));
  std::wstring command = L"\"" + bin + L"arhost.exe\" \"" + bin + L"held_object_plugin.dll\"" +
                         L" --screenshot \"" + shot + L"\" --after 0.2 --data-dir \"" + data +
                         L"\"";
  STARTUPINFOW startup = {};
  startup.cb = sizeof startup;
  PROCESS_INFORMATION info = {};
  // A crash ends the host at once instead of waiting on a crash dialog.
  const UINT oldMode = SetErrorMode(SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX);
  ASSERT_TRUE(CreateProcessW(nullptr, &command[0], nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                             &startup, &info));
  SetErrorMode(oldMode);
  DWORD code = STILL_ACTIVE;
  if (WaitForSingleObject(info.hProcess, 20000) != WAIT_OBJECT_0)
    TerminateProcess(info.hProcess, 99);
  GetExitCodeProcess(info.hProcess, &code);
  CloseHandle(info.hThread);
  CloseHandle(info.hProcess);
  SetEnvironmentVariableW(L"TOPO_HELD_OBJECT_MARK", nullptr);
  EXPECT_EQ(0u, code);
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(mark.c_str())) << "never released";
  DeleteFileW(mark.c_str());
  DeleteFileW(shot.c_str());
  DeleteFileW((data + L"\\PersonalData.txt").c_str());
  RemoveDirectoryW(data.c_str());
}

TEST(HostServices, DataFolderIsCreatedAndEndsInASeparator) {
  std::wstring base = TempPath(L"arhost-dir");
  std::wstring dir = arhost::PrepareDataDir(base + L"/a/b");
  ASSERT_FALSE(dir.empty());
  EXPECT_EQ(L'\\', dir.back());
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(dir.c_str()));
  EXPECT_EQ(dir, arhost::PrepareDataDir(dir)) << "an existing folder is fine";
  RemoveDirectoryW((base + L"\\a\\b").c_str());
  RemoveDirectoryW((base + L"\\a").c_str());
  RemoveDirectoryW(base.c_str());
}

}  // namespace
