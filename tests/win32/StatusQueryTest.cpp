// The status query against fake host objects: the call sequence and both
// address forms, the grid for thin and wide answers, and the failures that
// must stay silent. The error answer's box is checked on the dialog itself.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "FakeExchange.h"
#include "bridge/BizForm.h"
#include "query/QueryExchange.h"
#include "query/QueryFunctions.h"
#include "win32/BStr.h"
#include "win32/CheckedCall.h"
#include "win32/Cp936.h"

namespace topo::test {
namespace {

using Grid = std::vector<std::vector<std::string>>;  // [row][column]

// A view that keeps what a grid control would show: counts and cells, where a
// cell outside the counts is a fault, as it would be lost in a real grid.
class RecordingView : public query::TStatusView {
 public:
  void SetColCount(int count) override {
    for (auto& row : grid) row.resize(static_cast<size_t>(count));
    cols_ = count;
  }
  void SetRowCount(int count) override {
    grid.resize(static_cast<size_t>(count), std::vector<std::string>(static_cast<size_t>(cols_)));
  }
  void SetCell(int col, int row, const std::string& text) override {
    if (row >= static_cast<int>(grid.size()) || col >= cols_) {
      ADD_FAILURE() << "cell (" << col << ", " << row << ") is outside the grid";
      return;
    }
    grid[static_cast<size_t>(row)][static_cast<size_t>(col)] = text;
  }
  void SetServerName(const std::string& name) override { serverName = name; }
  void ShowMessage(const std::string& text) override { messages.push_back(text); }

  Grid grid;
  std::string serverName;
  std::vector<std::string> messages;

 private:
  int cols_ = 0;
};

std::string Cp936(const wchar_t* text) { return win32::Cp936FromWide(text); }

// Values as the host hands them out: texts and integers.
win32::Variant V(const wchar_t* text) { return win32::Variant::String(text); }
win32::Variant V(LONG number) { return win32::Variant::Int32(number); }

class StatusQueryTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(S_OK, host.packerClass.Result());
    ASSERT_EQ(S_OK, host.unpackerClass.Result());
  }
  void Click(LONG type, const wchar_t* name, const wchar_t* parent) {
    host.Click(type, name, parent);
  }
  void Answer(std::vector<std::wstring> fields, std::vector<std::vector<win32::Variant>> rows) {
    host.Answer(std::move(fields), std::move(rows));
  }
  void Execute(const std::string& instance = "0", size_t item = 0) {
    log.calls.clear();
    query::ExecuteStatusQuery(*host.form, instance, query::StatusFunctionItems().at(item), view);
  }

  FakeExchangeHost host;
  CallLog& log = host.log;
  FakeExchangeARCom& arCom = host.arCom;
  FakeUnpacker& unpacker = host.unpacker;
  RecordingView view;
};

TEST_F(StatusQueryTest, SendsTheFunctionToTheClickedInstanceWithoutFields) {
  struct Case {
    LONG type;
    const wchar_t *name, *parent;
    const char* instance;
    size_t item;
    const wchar_t* destination;
    const char* function;
  } cases[] = {
      {0, L"AR1", L"", "0", 19, L"SetDestination 129 bstr:AR1.0", "SetFunction 512 null"},
      {1, L"AS3", L"AR1", "2", 19, L"SetDestination 131 bstr:AR1.AS3.2", "SetFunction 512 null"},
      // Any type but 0 is an AS node; an instance that is no number is 0.
      {7, L"交易网关", L"总部AR", "x1", 36, L"SetDestination 131 bstr:总部AR.交易网关.0",
       "SetFunction 5121 null"},
      {0, L"华东AR", L"ignored", "9", 0, L"SetDestination 129 bstr:华东AR.9",
       "SetFunction 25632 null"},
  };
  for (const auto& c : cases) {
    Click(c.type, c.name, c.parent);
    Execute(c.instance, c.item);
    std::vector<std::string> expected = {Cp936(c.destination),
                                         c.function,
                                         "SetRequestMode 2",
                                         "SetRequestKind 13",
                                         "BeginPack",
                                         "EndPack",
                                         "GetPacket",
                                         "SendPacket bstr:packet 2000",
                                         "ReceiveAnswer 7 5000",
                                         "Open bstr:answer",
                                         "GetErrorNo"};
    ASSERT_LE(expected.size(), log.calls.size()) << c.function;
    EXPECT_EQ(expected,
              std::vector<std::string>(log.calls.begin(), log.calls.begin() + expected.size()));
    EXPECT_EQ(Cp936(c.name), view.serverName);
  }
}

TEST_F(StatusQueryTest, EveryAnswerReplacesTheWholeGrid) {
  Click(0, L"AR1", L"");
  auto values = [](size_t fields, size_t rows) {
    std::vector<std::vector<win32::Variant>> out(rows);
    for (size_t k = 0; k < rows; ++k)
      for (size_t i = 0; i < fields; ++i)
        out[k].push_back(i == 1 ? V(static_cast<LONG>(k * 10)) : V(L"值"));
    return out;
  };
  const std::vector<std::wstring> names = {L"名称", L"count", L"state"};
  struct Case {
    size_t fields, rows;
    Grid expected;
  } cases[] = {
      {3,
       4,
       {{"#", Cp936(L"名称"), "count", "state"},
        {"1", Cp936(L"值"), "0", Cp936(L"值")},
        {"2", Cp936(L"值"), "10", Cp936(L"值")},
        {"3", Cp936(L"值"), "20", Cp936(L"值")},
        {"4", Cp936(L"值"), "30", Cp936(L"值")}}},
      // Smaller answers after a larger one: nothing of the larger one stays.
      {1, 1, {{"#", Cp936(L"名称")}, {"1", Cp936(L"值")}}},
      {3, 0, {{"#", Cp936(L"名称"), "count", "state"}, {"", "", "", ""}}},
      {0, 4, {{"#", ""}, {"1", ""}, {"2", ""}, {"3", ""}, {"4", ""}}},
      {0, 0, {{"#", ""}, {"", ""}}},
      {1,
       4,
       {{"#", Cp936(L"名称")},
        {"1", Cp936(L"值")},
        {"2", Cp936(L"值")},
        {"3", Cp936(L"值")},
        {"4", Cp936(L"值")}}},
      {0, 1, {{"#", ""}, {"1", ""}}},
      {1, 0, {{"#", Cp936(L"名称")}, {"", ""}}},
      {3, 1, {{"#", Cp936(L"名称"), "count", "state"}, {"1", Cp936(L"值"), "0", Cp936(L"值")}}},
  };
  for (const auto& c : cases) {
    Answer({names.begin(), names.begin() + static_cast<std::ptrdiff_t>(c.fields)},
           values(c.fields, c.rows));
    Execute();
    EXPECT_EQ(c.expected, view.grid) << c.fields << " fields, " << c.rows << " rows";
  }
  EXPECT_TRUE(view.messages.empty());

  // A value is cut at its first zero character.
  Answer({L"a", L"b"}, {});
  unpacker.table.rows.emplace_back();
  unpacker.table.rows[0].push_back(win32::Variant::String(std::wstring(L"前\0后", 3)));
  unpacker.table.rows[0].push_back(win32::Variant::String(std::wstring(L"\0x", 2)));
  Execute();
  EXPECT_EQ((Grid{{"#", "a", "b"}, {"1", Cp936(L"前"), ""}}), view.grid);
}

TEST_F(StatusQueryTest, FailuresAfterTheNameShowOnlyWhatThisQueryWrote) {
  Click(0, L"AR1", L"");
  Answer({L"a", L"b"}, {});
  unpacker.table.rows.emplace_back();
  unpacker.table.rows[0].push_back(V(L"1"));
  unpacker.table.rows[0].push_back(V(L"2"));
  Execute();
  const Grid full = {{"#", "a", "b"}, {"1", "1", "2"}};
  ASSERT_EQ(full, view.grid);
  // Where the exchange breaks, and what the grid then shows: never the
  // answer before, which would pass for this query's.
  const Grid none = {{"#", ""}, {"", ""}};
  struct Case {
    const char* failOn;
    LONG errorNo;
    Grid expected;
  } cases[] = {
      {"SetDestination", 0, none},
      {"SetFunction", 0, none},
      {"SetRequestMode", 0, none},
      {"SetRequestKind", 0, none},
      {"BeginPack", 0, none},
      {"EndPack", 0, none},
      {"GetPacket", 0, none},
      {"SendPacket", 0, none},
      {"ReceiveAnswer", 0, none},
      {"Open", 0, none},
      {"GetErrorNo", 0, none},
      {"GetField", 5, none},
      {"GetValue", 5, none},
      {"GetFieldCount", 0, none},
      {"GetName", 0, {{"#", "", ""}, {"", "", ""}}},
      {"GetValue", 0, {{"#", "a", "b"}, {"1", "", ""}}},
      {"Next", 0, {{"#", "a", "b"}, {"1", "1", "2"}}},
  };
  for (const auto& c : cases) {
    Execute();  // the full grid again
    ASSERT_EQ(full, view.grid);
    log.failOn = c.failOn;
    arCom.errorNo = c.errorNo;
    Execute();
    EXPECT_TRUE(view.messages.empty()) << c.failOn;
    EXPECT_EQ(c.expected, view.grid) << c.failOn;
    log.failOn.clear();
    arCom.errorNo = 0;
  }

  // Without an ARCom service nothing is sent and nothing shown.
  host.frame.Withdraw(L"ARCom");
  host.Reattach();
  Execute();
  EXPECT_TRUE(log.calls.empty());
  EXPECT_TRUE(view.messages.empty());
  EXPECT_EQ(none, view.grid);

  // TempData is read before that point: its failure is the caller's.
  host.frame.Withdraw(L"TempData");
  host.Reattach();
  EXPECT_THROW(Execute(), win32::EHostCallError);
}

}  // namespace
}  // namespace topo::test
