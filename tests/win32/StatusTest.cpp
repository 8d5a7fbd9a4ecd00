// The status dialog itself: its window and controls from the shipped layout,
// the 42 function items byte for byte, showing, a query through the real grid
// and message boxes, and the two warnings.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "FakeExchange.h"
#include "MessageBoxCloser.h"
#include "bridge/ResourceLookup.h"
#include "query/QueryDialog.h"
#include "query/QueryFunctions.h"
#include "ui/StringGrid.h"
#include "win32/Cp936.h"

namespace topo::test {
namespace {

using Rows = std::vector<std::vector<std::wstring>>;  // [row][column]

std::vector<LONG> Edges(const RECT& r) { return {r.left, r.top, r.right, r.bottom}; }

struct DataModule {
  HMODULE module = LoadLibraryExW(L"topo.dll", nullptr, LOAD_LIBRARY_AS_DATAFILE);
  DataModule() = default;
  DataModule(const DataModule&) = delete;
  DataModule& operator=(const DataModule&) = delete;
  ~DataModule() {
    if (module) FreeLibrary(module);
  }
};

class FormStatusTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(nullptr, dll.module) << "topo.dll not found";
    dialog = std::make_unique<query::TFormStatus>(
        ui::ParseFormLayout(bridge::LoadLayoutText(dll.module, bridge::kFormStatusLayout)));
    dialog->HostForm = host.form.get();
  }
  HWND C(const wchar_t* name) const { return dialog->Control(name); }
  ui::StringGrid& Grid() const { return *ui::StringGrid::From(C(L"sgResult")); }
  Rows Cells() const {
    Rows out(static_cast<size_t>(Grid().RowCount()));
    for (int r = 0; r < Grid().RowCount(); ++r)
      for (int c = 0; c < Grid().ColCount(); ++c)
        out[static_cast<size_t>(r)].push_back(Grid().Cell(c, r));
    return out;
  }
  // A control's bounds in the dialog's client area.
  RECT Bounds(HWND control) const {
    RECT r;
    GetWindowRect(control, &r);
    MapWindowPoints(nullptr, dialog->Handle(), reinterpret_cast<POINT*>(&r), 2);
    return r;
  }
  std::wstring Text(HWND w) const {
    wchar_t text[256] = L"";
    GetWindowTextW(w, text, 256);
    return text;
  }

  FakeExchangeHost host;
  DataModule dll;
  std::unique_ptr<query::TFormStatus> dialog;  // goes before the host it borrows
};

TEST_F(FormStatusTest, WindowControlsAndFunctionItemsAsLaidOut) {
  RECT window;
  GetWindowRect(dialog->Handle(), &window);
  EXPECT_EQ((std::vector<LONG>{240, 229, 240 + 689, 229 + 268}), Edges(window));
  EXPECT_EQ(L"状态", Text(dialog->Handle()));

  struct Bound {
    const wchar_t* name;
    LONG left, top, right, bottom;  // bottom -1: a drop-down list, whose height the system sets
  } bounds[] = {
      {L"cmbNo", 80, 8, 145, -1},
      {L"cmbFunction", 152, 8, 489, -1},
      {L"btnExec", 496, 8, 571, 29},
      {L"sgResult", 7, 43, 673, 233},
  };
  for (const auto& b : bounds) {
    RECT r = Bounds(C(b.name));
    EXPECT_EQ((std::vector<LONG>{b.left, b.top, b.right, b.bottom < 0 ? r.bottom : b.bottom}),
              Edges(r))
        << win32::Cp936FromWide(b.name);
  }
  EXPECT_EQ(L"执行", Text(C(L"btnExec")));
  // The server's name sizes its label, whose right edge stays put.
  for (const wchar_t* name : {L"lbSvr", L"华东AR", L"a-much-longer-server-name"}) {
    dialog->SetServerCaption(win32::Cp936FromWide(name));
    RECT r = Bounds(C(L"lbSvr"));
    EXPECT_EQ(73, r.right) << win32::Cp936FromWide(name);
    EXPECT_EQ(11, r.top);
    EXPECT_EQ(name, Text(C(L"lbSvr")));
  }

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
  HWND list = C(L"cmbFunction");
  ASSERT_EQ(static_cast<LRESULT>(std::size(expected)), SendMessageW(list, CB_GETCOUNT, 0, 0));
  for (size_t i = 0; i < std::size(expected); ++i) {
    wchar_t item[128] = L"";
    SendMessageW(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
    const std::string bytes = win32::Cp936FromWide(item);
    EXPECT_EQ(win32::Cp936FromWide(expected[i]), bytes) << "item " << i + 1;
    EXPECT_EQ(std::wcstol(std::wstring(expected[i], 5).c_str(), nullptr, 10),
              query::FunctionNumberOf(bytes))
        << "item " << i + 1;
  }
}

TEST_F(FormStatusTest, ShowingResetsAndEachClickReplacesTheGrid) {
  MessageBoxCloser boxes;
  dialog->SetInstances({-1, 2, 5});
  Grid().SetColCount(4);
  Grid().SetCell(3, 1, L"stale");
  dialog->Show();
  EXPECT_EQ(0, SendMessageW(C(L"cmbNo"), CB_GETCURSEL, 0, 0));
  EXPECT_EQ(2, SendMessageW(C(L"cmbNo"), CB_GETCOUNT, 0, 0)) << "negative numbers are left out";
  EXPECT_EQ(0, SendMessageW(C(L"cmbFunction"), CB_GETCURSEL, 0, 0));
  EXPECT_EQ((Rows{{L"#", L""}, {L"", L""}}), Cells());
  EXPECT_EQ(1, Grid().FixedCols());
  EXPECT_EQ(1, Grid().FixedRows());

  host.Click(1, L"AS3", L"AR1");
  host.Answer({L"名称", L"n", L"v"}, {});
  for (LONG k = 0; k < 4; ++k) {
    host.unpacker.table.rows.emplace_back();
    auto& row = host.unpacker.table.rows.back();
    row.push_back(win32::Variant::String(L"行" + std::to_wstring(k)));
    row.push_back(win32::Variant::Int32(k));
    row.push_back(win32::Variant::String(std::wstring(L"x\0y", 3)));
  }
  SendMessageW(C(L"cmbNo"), CB_SETCURSEL, 1, 0);
  SendMessageW(C(L"cmbFunction"), CB_SETCURSEL, 19, 0);
  SendMessageW(C(L"btnExec"), BM_CLICK, 0, 0);
  ASSERT_LE(2u, host.log.calls.size());
  EXPECT_EQ("SetDestination 131 bstr:AR1.AS3.5", host.log.calls[0]);
  EXPECT_EQ("SetFunction 512 null", host.log.calls[1]);
  EXPECT_EQ(L"AS3", Text(C(L"lbSvr")));
  const Rows filled = {{L"#", L"名称", L"n", L"v"},
                       {L"1", L"行0", L"0", L"x"},
                       {L"2", L"行1", L"1", L"x"},
                       {L"3", L"行2", L"2", L"x"},
                       {L"4", L"行3", L"3", L"x"}};
  EXPECT_EQ(filled, Cells());
  EXPECT_EQ(0, boxes.closed);

  // An error number is shown in a box over an empty grid: the answer before
  // is not this query's.
  host.Answer({L"error_info"}, {});
  host.unpacker.table.rows.emplace_back();
  host.unpacker.table.rows[0].push_back(win32::Variant::String(L"X"));
  host.arCom.errorNo = 5;
  ShowWindow(dialog->Handle(), SW_HIDE);  // a box over a shown window is slow under Wine
  SendMessageW(C(L"btnExec"), BM_CLICK, 0, 0);
  EXPECT_EQ(1, boxes.closed);
  EXPECT_EQ(L"返回错误5\rX", boxes.lastText);
  EXPECT_EQ(dialog->Handle(), boxes.lastOwner);
  EXPECT_EQ((Rows{{L"#", L""}, {L"", L""}}), Cells());

  Grid().SetCell(1, 1, L"stale");
  dialog->Show();
  EXPECT_EQ((Rows{{L"#", L""}, {L"", L""}}), Cells());
}

TEST_F(FormStatusTest, AMissingChoiceIsAskedForAndNothingIsSent) {
  struct Case {
    std::vector<int> instances;
    bool clearFunction;
    const wchar_t *text, *list;
  } cases[] = {
      {{}, false, L"请先选择编号！", L"cmbNo"},
      {{-1}, false, L"请先选择编号！", L"cmbNo"},
      {{0, 3}, true, L"请先选择功能！", L"cmbFunction"},
  };
  for (const auto& c : cases) {
    MessageBoxCloser boxes;
    host.Click(0, L"AR1", L"");
    dialog->SetInstances(c.instances);
    SendMessageW(C(L"cmbNo"), CB_SETCURSEL, 0, 0);
    SendMessageW(C(L"cmbFunction"), CB_SETCURSEL, c.clearFunction ? static_cast<WPARAM>(-1) : 0, 0);
    host.log.calls.clear();
    SendMessageW(C(L"btnExec"), BM_CLICK, 0, 0);
    EXPECT_EQ(1, boxes.closed) << win32::Cp936FromWide(c.text);
    EXPECT_EQ(c.text, boxes.lastText);
    EXPECT_TRUE(host.log.calls.empty()) << host.log.calls.size() << " calls sent";
    EXPECT_TRUE(SendMessageW(C(c.list), CB_GETDROPPEDSTATE, 0, 0)) << win32::Cp936FromWide(c.list);
    EXPECT_EQ(L"lbSvr", Text(C(L"lbSvr"))) << "nothing read";
    SendMessageW(C(c.list), CB_SHOWDROPDOWN, FALSE, 0);
  }
}

}  // namespace
}  // namespace topo::test
