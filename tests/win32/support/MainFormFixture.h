// One fixture for the tests of the topology window (window, commands, faults):
// the fake services a host offers it, all from one frame, and the session
// that makes its windows and closes them again. Stored values can be put and
// read past the call log, so setting a test up never shows in what it checks.
#pragma once

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

#include "FakeExchange.h"
#include "WindowSession.h"
#include "win32/BStr.h"
#include "win32/Variant.h"

namespace topo::test {

// Sets or reads a stored value without the container's call log seeing it.
inline void Put(FakeDataContainer& c, const wchar_t* key, const win32::Variant& value) {
  CallLog* log = std::exchange(c.hostLog, nullptr);
  c.SetValue(win32::BStr(key).Get(), value.Get());
  c.hostLog = log;
}
inline win32::Variant Stored(FakeDataContainer& c, const wchar_t* key) {
  CallLog* log = std::exchange(c.hostLog, nullptr);
  win32::Variant value;
  c.GetValue(win32::BStr(key).Get(), value.Put());
  c.hostLog = log;
  return value;
}

// The services a topology window asks its host for, offered by one frame:
// the exchange fakes as "ARCom", and MemConfig, PersonalData, TempData and
// LoginInfo. The exchange records into the log; with EveryCall, so do the
// frame and the containers.
struct FakeWindowServices : FakeExchangeServices {
  enum class Record { Exchange, EveryCall };
  explicit FakeWindowServices(Record record = Record::Exchange) {
    if (record == Record::EveryCall) {
      for (FakeDataContainer* c : {&personal, &temp, &login}) c->hostLog = &log;
      memConfig.hostLog = &log;
      frame.hostLog = &log;
      arCom.hostLog = &log;
    }
    personal.label = "PersonalData";
    temp.label = "TempData";
    login.label = "LoginInfo";
    frame.Offer(L"ARCom", static_cast<host::IARCom*>(&arCom));
    frame.Offer(L"MemConfig", &memConfig);
    frame.Offer(L"PersonalData", &personal);
    frame.Offer(L"TempData", &temp);
    frame.Offer(L"LoginInfo", &login);
  }
  // Everything the fakes lent out.
  long Refs() const {
    return arCom.Refs() + packer.Refs() + unpacker.Refs() + memConfig.Refs() + personal.Refs() +
           temp.Refs() + login.Refs() + frame.Refs() + log.stray.Refs();
  }
  // The next answer, its values all texts.
  void Answer(std::vector<std::wstring> fields,
              const std::vector<std::vector<std::wstring>>& rows) {
    unpacker.table.fields = std::move(fields);
    unpacker.table.rows.clear();
    for (const auto& row : rows) {
      unpacker.table.rows.emplace_back();
      for (const std::wstring& value : row)
        unpacker.table.rows.back().push_back(win32::Variant::String(value.c_str()));
    }
  }
  // The topology report the next refresh reads: a row a node, with its name,
  // its running flags, and its parent, child and server lists.
  void Report(const std::vector<std::vector<std::wstring>>& rows) {
    Answer({L"ar", L"ar_active", L"parent_ar", L"sub_ar", L"sub_as", L"as_active"}, rows);
  }

  FakeMemConfig memConfig;
  FakeDataContainer personal, temp, login;
  FakeAppFrame frame;
};

// A gtest fixture of the above: failures a window would show are collected in
// errors, and the per-user data folder is a fresh one, removed at the end.
class MainFormFixture : public testing::Test, protected FakeWindowServices {
 protected:
  void SetUp() override {
    ASSERT_EQ(S_OK, packerClass.Result());
    ASSERT_EQ(S_OK, unpackerClass.Result());
    wchar_t temp[MAX_PATH] = L"";
    GetTempPathW(MAX_PATH, temp);
    dataFolder_ = std::wstring(temp) + L"topo-window-" + std::to_wstring(GetCurrentProcessId());
    std::filesystem::remove_all(dataFolder_);
    std::filesystem::create_directories(dataFolder_);
    memConfig.personalDataDir = dataFolder_ + L"\\";
  }
  void TearDown() override {
    std::error_code ignored;
    std::filesystem::remove_all(dataFolder_, ignored);
  }
  window::TMainForm& Open() { return session.Open(&frame); }

  std::vector<std::wstring> errors;
  WindowSession session{L"topology window host",
                        [this](HWND, const std::wstring& text) { errors.push_back(text); }};

 private:
  std::wstring dataFolder_;
};

}  // namespace topo::test
