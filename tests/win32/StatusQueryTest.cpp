// The status query against fake host objects: the call sequence and both
// address forms, the grid for thin and wide answers, the error answer, and the
// failures that must stay silent. The 42 function items byte for byte.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "FakeExchange.h"
#include "plugin/BizForm.h"
#include "status/StatusFunctions.h"
#include "status/StatusQuery.h"
#include "win32/BStr.h"
#include "win32/CheckedCall.h"
#include "win32/Cp936.h"

namespace topo::test {
namespace {

using Grid = std::vector<std::vector<std::string>>;  // [row][column]

// A view that keeps what a grid control would show: counts and cells, where a
// cell outside the counts is a fault, as it would be lost in a real grid.
class RecordingView : public status::TStatusView {
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

// COM for the thread before any class is registered, gone after.
struct Apartment {
  Apartment() { CoInitialize(nullptr); }
  ~Apartment() { CoUninitialize(); }
};

class StatusQueryTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_EQ(S_OK, packerClass.Result());
    ASSERT_EQ(S_OK, unpackerClass.Result());
    frame.Offer(L"ARCom", static_cast<host::IARCom*>(&arCom));
    frame.Offer(L"TempData", &tempData);
    host->AttachToHost(0, nullptr, nullptr, &frame);
  }
  void Click(LONG type, const wchar_t* name, const wchar_t* parent) {
    win32::BStr t(L"ClickedSvrType"), n(L"ClickedSvrName"), p(L"ClickedParentARName");
    tempData.SetValue(t.Get(), win32::Variant::Int32(type).Get());
    tempData.SetValue(n.Get(), win32::Variant::String(name).Get());
    tempData.SetValue(p.Get(), win32::Variant::String(parent).Get());
  }
  void Answer(std::vector<std::wstring> fields, std::vector<std::vector<win32::Variant>> rows) {
    unpacker.table.fields = std::move(fields);
    unpacker.table.rows = std::move(rows);
  }
  void Execute(const std::string& instance = "0", size_t item = 0) {
    log.calls.clear();
    status::ExecuteStatusQuery(*host, instance, status::StatusFunctionItems().at(item), view);
  }

  Apartment apartment;
  CallLog log;
  FakeExchangeARCom arCom{log};
  FakePacker packer{log};
  FakeUnpacker unpacker{log};
  FakeClassRegistration packerClass{host::CLSID_Packer, static_cast<host::IPackerDisp*>(&packer)};
  FakeClassRegistration unpackerClass{host::CLSID_Unpacker,
                                      static_cast<host::IUnpackerDisp*>(&unpacker)};
  FakeDataContainer tempData;
  FakeAppFrame frame;
  // Declared after the fakes: it goes first and gives their references back.
  std::unique_ptr<plugin::TBizFormBase> host = std::make_unique<plugin::TBizFormBase>(
      ui::ParseFormLayout("form StatusHost\nclient 100 50\n"));
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

TEST_F(StatusQueryTest, AnErrorNumberShowsErrorInfoAndLeavesTheGrid) {
  Click(1, L"AS3", L"AR1");
  Answer({L"f"}, {});
  unpacker.table.rows.emplace_back();
  unpacker.table.rows[0].push_back(V(L"old"));
  Execute();
  const Grid before = view.grid;

  Answer({L"error_info"}, {});
  unpacker.table.rows.emplace_back();
  unpacker.table.rows[0].push_back(V(L"X"));
  arCom.errorNo = 5;
  Execute();
  ASSERT_EQ(1u, view.messages.size());
  EXPECT_EQ(Cp936(L"返回错误") + "5\rX", view.messages[0]);
  EXPECT_EQ(before, view.grid);
  EXPECT_EQ("GetValue error_info", log.calls.back());
}

TEST_F(StatusQueryTest, FailuresAfterTheNameShowNothing) {
  Click(0, L"AR1", L"");
  Answer({L"a", L"b"}, {});
  unpacker.table.rows.emplace_back();
  unpacker.table.rows[0].push_back(V(L"1"));
  unpacker.table.rows[0].push_back(V(L"2"));
  Execute();
  const Grid full = view.grid;
  // Where the exchange breaks, and what the grid then keeps.
  const Grid none = full;
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
      {"GetFieldCount", 0, {{"#", "a"}, {"1", "1"}}},
      {"GetName", 0, {{"#", "", ""}, {"", "", ""}}},
      {"GetValue", 0, {{"#", "a", "b"}, {"1", "", ""}}},
      {"Next", 0, {{"#", "a", "b"}, {"1", "1", "2"}}},
  };
  for (const auto& c : cases) {
    Execute();  // a full grid again
    log.failOn = c.failOn;
    arCom.errorNo = c.errorNo;
    Execute();
    EXPECT_TRUE(view.messages.empty()) << c.failOn;
    EXPECT_EQ(c.expected, view.grid) << c.failOn;
    log.failOn.clear();
    arCom.errorNo = 0;
  }

  // Without an ARCom service nothing is sent and nothing shown.
  frame.Withdraw(L"ARCom");
  host->AttachToHost(0, nullptr, nullptr, &frame);
  Execute();
  EXPECT_TRUE(log.calls.empty());
  EXPECT_TRUE(view.messages.empty());
  EXPECT_EQ(full, view.grid);

  // TempData is read before that point: its failure is the caller's.
  frame.Withdraw(L"TempData");
  host->AttachToHost(0, nullptr, nullptr, &frame);
  EXPECT_THROW(Execute(), win32::EHostCallError);
}

TEST(StatusFunctions, TheFortyTwoItemsByteForByte) {
  const wchar_t* expected[] = {
      L"25632  RAWUDP:\t取支持的管理ID(就是本功能)",
      L"25633  RAWUDP:\t取初始化状态",
      L"25634  RAWUDP:\t取配置信息",
      L"25635  RAWUDP:\t取运行期统计信息",
      L"25664  可靠UDP:\t显示模块的管理接口",
      L"25665  可靠UDP:\t取初始化状态",
      L"25666  可靠UDP:\t取配置信息",
      L"25667  可靠UDP:\t取运行期统计信息",
      L"25668  可靠UDP:\t取每个连接具体信息",
      L"25696  SESSION:\t显示模块的管理接口",
      L"25697  SESSION:\t取初始化状态",
      L"25698  SESSION:\t取配置信息",
      L"25699  SESSION:\t取运行期统计信息",
      L"25700  SESSION:\t取每个连接具体信息",
      L"25701  SESSION:\t取黑白名单",
      L"25728  CSplit:\t显示模块的管理接口",
      L"25729  CSplit:\t取运行期统计信息",
      L"25730  CSplit:\t取分片的接收发送情况",
      L"25731  CSplit:\t查看重组队列的详细信息",
      L"00512  log取日志状态",
      L"00513  log取日志配置",
      L"00769  QXDB 取驱动库列表信息",
      L"00770  QXDB 取数据源列表信息",
      L"01281  MDB取内存数据库状态",
      L"01282  MDB取缓存表配置",
      L"01284  MDB取缓存表配置",
      L"01285  MDB取缓存表配置",
      L"01286  MDB取缓存表配置",
      L"02049  TempMDB取临时表列表",
      L"02817  SessionMgr取服务状态",
      L"03073  PagesQueryMgr取服务状态",
      L"03329  TimerMgr取服务状态",
      L"03585  TaskMgr取服务状态",
      L"05633  AppMgr取功能号列表",
      L"05634  AppMgr取功能组件库列表",
      L"05635  AppMgr取脚本组件库列表",
      L"05121  ICommService取通信模块状态",
      L"12545  ProcServer取已加载的基础服务信息",
      L"12546  ProcServer取调用中的子服务信息",
      L"12547  ProcServer取服务处理模块状态与配置",
      L"12548  ProcServer取服务处理线程状态",
      L"12549  ProcServer取通信接收队列状态",
  };
  const auto& items = status::StatusFunctionItems();
  ASSERT_EQ(std::size(expected), items.size());
  for (size_t i = 0; i < items.size(); ++i) {
    EXPECT_EQ(Cp936(expected[i]), items[i]) << "item " << i + 1;
    EXPECT_EQ(_wtol(std::wstring(expected[i], 5).c_str()), status::FunctionNumberOf(items[i]))
        << "item " << i + 1;
  }
}

}  // namespace
}  // namespace topo::test
