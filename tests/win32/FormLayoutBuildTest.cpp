// The layout builder on real windows: every key of every kind comes back from
// the control it built (bounds by GetWindowRect and GetClientRect), anchors
// follow a resize, and a key or kind the builder does not know is refused
// with the layout's name, the line and the key.
// commctrl.h needs windows.h first.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on
#include <gtest/gtest.h>

#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "DataModule.h"
#include "ui/Form.h"
#include "ui/StringGrid.h"

namespace topo::test {
namespace {

constexpr const char* kKit = R"(form Kit
caption "kit"
position 10 10
client 400 300
control label lbRight 100 10 40 13 text="abc" align=right autosize
control label lbCenter 10 30 50 13 text="c" align=center id=77
control edit edA 10 50 60 21 text="5" readonly tab=1
control updown udA 70 50 15 21 buddy=edA min=1 max=9 pos=5 increment=2 wrap tab=2
control button btnA 100 50 75 21 text="A" tab=0
control checkbox cbA 180 50 90 17 text="check" checked
control groupbox gb 10 80 120 60 text="g"
control edit edIn 10 20 50 21 parent=gb disabled
control panel pn 140 80 60 60 hidden
control listbox lbx 210 80 80 60
control combobox cmbA 10 150 100 21 items=5
control grid sg 10 180 380 110 columns=3 rows=4 fixedcols=1 fixedrows=1 colwidth=50 rowheight=16 lines fixedlines colsizing rowselect anchors=left,top,right,bottom
control button btnAnchor 320 150 70 21 text="R" anchors=right,bottom
control image imgX 300 10 105 65 bitmap=ERROR_BMP transparent hidden
)";

RECT BoundsInParent(HWND control) {
  RECT r;
  GetWindowRect(control, &r);
  MapWindowPoints(nullptr, GetParent(control), reinterpret_cast<POINT*>(&r), 2);
  return r;
}

std::wstring TextOf(HWND w) {
  wchar_t text[64] = L"";
  GetWindowTextW(w, text, 64);
  return text;
}

struct Check {
  std::string what;
  long got;
  long expected;
};

TEST(FormLayoutBuildTest, EveryKeyComesBackFromItsControl) {
  DataModule pictures(L"topo.dll");
  ASSERT_NE(pictures.Get(), nullptr);
  ui::Form form(ui::ParseFormLayout(kKit), pictures.Get());
  auto c = [&](const wchar_t* name) { return form.Control(name); };
  auto style = [&](const wchar_t* name) { return GetWindowLongW(c(name), GWL_STYLE); };
  std::vector<Check> checks;
  auto bounds = [&](const wchar_t* name, long l, long t, long w, long h) {
    RECT r = BoundsInParent(c(name));
    const std::string n(name, name + lstrlenW(name));
    checks.push_back({n + " left", r.left, l});
    checks.push_back({n + " top", r.top, t});
    checks.push_back({n + " width", r.right - r.left, w});
    checks.push_back({n + " height", r.bottom - r.top, h});
  };

  // Kinds and their bounds; the auto-sized label keeps its right edge at 140.
  SIZE text{};
  {
    HDC dc = GetDC(c(L"lbRight"));
    HGDIOBJ old =
        SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(c(L"lbRight"), WM_GETFONT, 0, 0)));
    GetTextExtentPoint32W(dc, L"abc", 3, &text);
    SelectObject(dc, old);
    ReleaseDC(c(L"lbRight"), dc);
  }
  bounds(L"lbRight", 140 - text.cx, 10, text.cx, text.cy);
  SetWindowTextW(c(L"lbRight"), L"a longer text");
  checks.push_back(
      {"lbRight right edge after a new text", BoundsInParent(c(L"lbRight")).right, 140});
  checks.push_back(
      {"lbRight grew",
       BoundsInParent(c(L"lbRight")).right - BoundsInParent(c(L"lbRight")).left > text.cx, 1});
  bounds(L"lbCenter", 10, 30, 50, 13);
  bounds(L"edA", 10, 50, 60, 21);
  bounds(L"btnA", 100, 50, 75, 21);
  bounds(L"cbA", 180, 50, 90, 17);
  bounds(L"edIn", 10, 20, 50, 21);
  bounds(L"lbx", 210, 80, 80, 60);
  bounds(L"cmbA", 10, 150, 100, 21);
  bounds(L"sg", 10, 180, 380, 110);
  RECT gridClient;
  GetClientRect(c(L"sg"), &gridClient);
  checks.push_back({"sg client width (no scroll bar)", gridClient.right, 376});
  checks.push_back({"sg client height", gridClient.bottom, 106});

  // Keys of every kind.
  checks.push_back({"align=right", style(L"lbRight") & SS_TYPEMASK, SS_RIGHT});
  checks.push_back({"align=center", style(L"lbCenter") & SS_TYPEMASK, SS_CENTER});
  checks.push_back({"id=77", GetDlgCtrlID(c(L"lbCenter")), 77});
  checks.push_back({"id by place", GetDlgCtrlID(c(L"edIn")), 108});
  checks.push_back({"text", TextOf(c(L"btnA")) == L"A", 1});
  checks.push_back({"readonly", (style(L"edA") & ES_READONLY) != 0, 1});
  checks.push_back({"tab=0 first", GetWindow(form.Handle(), GW_CHILD) == c(L"btnA"), 1});
  checks.push_back({"tab=1 next", GetWindow(c(L"btnA"), GW_HWNDNEXT) == c(L"edA"), 1});
  checks.push_back({"tab=2 next", GetWindow(c(L"edA"), GW_HWNDNEXT) == c(L"udA"), 1});
  checks.push_back(
      {"buddy", SendMessageW(c(L"udA"), UDM_GETBUDDY, 0, 0) == reinterpret_cast<LRESULT>(c(L"edA")),
       1});
  int low = 0, high = 0;
  SendMessageW(c(L"udA"), UDM_GETRANGE32, reinterpret_cast<WPARAM>(&low),
               reinterpret_cast<LPARAM>(&high));
  checks.push_back({"min", low, 1});
  checks.push_back({"max", high, 9});
  checks.push_back({"pos", static_cast<long>(SendMessageW(c(L"udA"), UDM_GETPOS32, 0, 0)), 5});
  UDACCEL accel{};
  SendMessageW(c(L"udA"), UDM_GETACCEL, 1, reinterpret_cast<LPARAM>(&accel));
  checks.push_back({"increment", static_cast<long>(accel.nInc), 2});
  checks.push_back({"wrap", (style(L"udA") & UDS_WRAP) != 0, 1});
  checks.push_back(
      {"checked", static_cast<long>(SendMessageW(c(L"cbA"), BM_GETCHECK, 0, 0)), BST_CHECKED});
  checks.push_back({"parent", GetParent(c(L"edIn")) == c(L"gb"), 1});
  checks.push_back({"disabled", IsWindowEnabled(c(L"edIn")), 0});
  checks.push_back({"hidden", (style(L"pn") & WS_VISIBLE) != 0, 0});
  checks.push_back({"not hidden", (style(L"lbx") & WS_VISIBLE) != 0, 1});
  // items=5: the open list shows five items.
  form.Show();
  for (int i = 0; i < 10; ++i)
    SendMessageW(c(L"cmbA"), CB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"item"));
  SendMessageW(c(L"cmbA"), CB_SHOWDROPDOWN, TRUE, 0);
  COMBOBOXINFO combo{};
  combo.cbSize = sizeof combo;
  GetComboBoxInfo(c(L"cmbA"), &combo);
  RECT list{};
  GetClientRect(combo.hwndList, &list);
  const long item = static_cast<long>(SendMessageW(combo.hwndList, LB_GETITEMHEIGHT, 0, 0));
  checks.push_back({"items=5 (visible items of the open list)", list.bottom / item, 5});
  SendMessageW(c(L"cmbA"), CB_SHOWDROPDOWN, FALSE, 0);
  checks.push_back({"drop-down list", style(L"cmbA") & 3, CBS_DROPDOWNLIST});

  ui::StringGrid* grid = ui::StringGrid::From(c(L"sg"));
  ASSERT_NE(grid, nullptr);
  checks.push_back({"columns", grid->ColCount(), 3});
  checks.push_back({"rows", grid->RowCount(), 4});
  checks.push_back({"fixedcols", grid->FixedCols(), 1});
  checks.push_back({"fixedrows", grid->FixedRows(), 1});
  checks.push_back({"colwidth", grid->ColWidth(2), 50});
  checks.push_back({"rowheight", grid->RowHeight(), 16});
  checks.push_back({"lines", grid->GetOptions().lines, 1});
  checks.push_back({"fixedlines", grid->GetOptions().fixedLines, 1});
  checks.push_back({"colsizing", grid->GetOptions().colSizing, 1});
  checks.push_back({"rowselect", grid->GetOptions().rowSelect, 1});

  const ui::FormImage* image = form.Image(L"imgX");
  ASSERT_NE(image, nullptr);
  checks.push_back({"bitmap", image->Bitmap() != nullptr, 1});
  checks.push_back({"transparent", image->Transparent(), 1});
  checks.push_back({"image hidden", image->Visible(), 0});
  checks.push_back({"image right", image->Bounds().right, 405});
  int windows = 0;
  for (HWND w = GetWindow(form.Handle(), GW_CHILD); w; w = GetWindow(w, GW_HWNDNEXT)) ++windows;
  checks.push_back({"the image is no window", windows, 12});

  // anchors: the grid stretches with the form, the anchored button moves.
  RECT outer;
  GetWindowRect(form.Handle(), &outer);
  SetWindowPos(form.Handle(), nullptr, 0, 0, outer.right - outer.left + 40,
               outer.bottom - outer.top + 30, SWP_NOMOVE | SWP_NOZORDER);
  bounds(L"sg", 10, 180, 420, 140);
  bounds(L"btnAnchor", 360, 180, 70, 21);
  bounds(L"btnA", 100, 50, 75, 21);

  for (const Check& check : checks) EXPECT_EQ(check.got, check.expected) << check.what;
}

TEST(FormLayoutBuildTest, GridCellsAndCountsReadBackExactly) {
  ui::Form form(
      ui::ParseFormLayout("form G\nclient 300 200\n"
                          "control grid sg 0 0 300 200 columns=2 rows=2 lines\n"));
  ui::StringGrid* grid = ui::StringGrid::From(form.Control(L"sg"));
  ASSERT_NE(grid, nullptr);
  grid->SetColCount(4);
  grid->SetRowCount(5);
  for (int col = 0; col < 4; ++col)
    for (int row = 0; row < 5; ++row) grid->SetCell(col, row, std::to_wstring(col * 10 + row));
  EXPECT_EQ(grid->Cell(3, 4), L"34");
  EXPECT_EQ(grid->Cell(4, 0), L"") << "a cell outside the grid";
  grid->SetColCount(2);
  grid->SetRowCount(2);
  grid->SetColCount(4);
  grid->SetRowCount(5);
  EXPECT_EQ(grid->ColCount(), 4);
  EXPECT_EQ(grid->RowCount(), 5);
  EXPECT_EQ(grid->Cell(1, 1), L"11") << "a cell inside the cut was lost";
  for (int col = 0; col < 4; ++col)
    for (int row = 0; row < 5; ++row)
      if (col >= 2 || row >= 2) {
        EXPECT_EQ(grid->Cell(col, row), L"") << col << "," << row;
      }
}

TEST(FormLayoutBuildTest, UnknownKeysAndKindsAreRefusedNamingLayoutLineAndKey) {
  const struct {
    const char* statement;
    const char* expected;
  } bad[] = {
      {"control edit e 1 2 3 4 colour=red", "unknown key colour"},
      {"control gadget g 1 2 3 4", "unknown control kind gadget"},
      {"control label l 1 2 3 4 items=3", "unknown key items for a label"},
      {"control edit e 1 2 3 4 readonly=1", "readonly is a flag"},
      {"control combobox c 1 2 3 4 items", "items needs a value"},
      {"control grid g 1 2 3 4 rows=x", "rows needs a number"},
      {"control label l 1 2 3 4 align=middle", "align"},
      {"control button b 1 2 3 4 anchors=left,up", "anchors"},
  };
  for (const auto& b : bad) {
    const std::string text = std::string("form F\nclient 10 20\n") + b.statement + "\n";
    try {
      ui::ParseFormLayout(text, "layout TEST");
      ADD_FAILURE() << "accepted: " << b.statement;
    } catch (const std::runtime_error& e) {
      const std::string what = e.what();
      EXPECT_NE(what.find("layout TEST, line 3: "), std::string::npos) << what;
      EXPECT_NE(what.find(b.expected), std::string::npos) << what;
    }
  }
}

}  // namespace
}  // namespace topo::test
