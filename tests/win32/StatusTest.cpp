// The status dialog itself, built from the shipped layout: the function items
// and their numbers, the server's label, showing, a query through the real
// grid and message boxes, and the two warnings.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdio>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "DataModule.h"
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

class FormStatusTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(nullptr, dll.Get()) << "topo.dll not found";
    layout = bridge::LoadFormLayout(dll.Get(), bridge::kFormStatusLayout);
    dialog = std::make_unique<query::TFormStatus>(layout);
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
  ui::FormLayout layout;
  std::unique_ptr<query::TFormStatus> dialog;  // goes before the host it borrows
};

// The list offers every item as it is written, and each item's first
// characters are its function number: decoded and written again, they match.
TEST_F(FormStatusTest, FunctionListHoldsEveryItemAndEachDecodesToItsNumber) {
  const auto& items = query::StatusFunctionItems();
  HWND list = C(L"cmbFunction");
  ASSERT_EQ(static_cast<LRESULT>(items.size()), SendMessageW(list, CB_GETCOUNT, 0, 0));
  std::set<LONG> numbers;
  for (size_t i = 0; i < items.size(); ++i) {
    wchar_t item[128] = L"";
    SendMessageW(list, CB_GETLBTEXT, i, reinterpret_cast<LPARAM>(item));
    const std::string bytes = win32::Cp936FromWide(item);
    EXPECT_EQ(items[i], bytes) << "item " << i + 1;
    const LONG number = query::FunctionNumberOf(bytes);
    char prefix[16];
    std::snprintf(prefix, sizeof prefix, "%05ld  ", static_cast<long>(number));
    EXPECT_EQ(prefix, bytes.substr(0, 7)) << "item " << i + 1;
    EXPECT_TRUE(numbers.insert(number).second) << "item " << i + 1 << " repeats " << number;
  }
}

TEST_F(FormStatusTest, TheServerNameSizesItsLabelWhoseRightEdgeStaysPut) {
  const ui::ControlLayout* label = layout.Find(L"lbSvr");
  ASSERT_NE(nullptr, label);
  for (const wchar_t* name : {L"lbSvr", L"华东AR", L"a-much-longer-server-name"}) {
    dialog->SetServerCaption(win32::Cp936FromWide(name));
    RECT r = Bounds(C(L"lbSvr"));
    EXPECT_EQ(label->left + label->width, r.right) << win32::Cp936FromWide(name);
    EXPECT_EQ(label->top, r.top);
    EXPECT_EQ(name, Text(C(L"lbSvr")));
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
