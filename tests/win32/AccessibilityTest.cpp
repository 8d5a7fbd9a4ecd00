// What a screen reader reads, through oleacc as one would: the diagram's boxes
// (names, values, states, places, hit testing and navigation), the status
// grid's cells against the texts the grid shows, the answers the interface
// prescribes for what is not there, and a reference kept after its window
// closed.
#include <gtest/gtest.h>
#include <windows.h>
// windows.h first: the accessibility header relies on it.
#include <oleacc.h>

#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "DiagramBuilders.h"
#include "FakeExchange.h"
#include "PressKey.h"
#include "plugin/EntryPoints.h"
#include "query/QueryDialog.h"
#include "ui/StringGrid.h"
#include "win32/BStr.h"
#include "win32/ComPtr.h"
#include "win32/Cp936.h"
#include "window/MainForm.h"

namespace topo::test {
namespace {

using window::TMainForm;

VARIANT Id(LONG id) {
  VARIANT v;
  v.vt = VT_I4;
  v.lVal = id;
  return v;
}

win32::ComPtr<IAccessible> ClientObject(HWND window) {
  win32::ComPtr<IAccessible> object;
  EXPECT_EQ(S_OK, AccessibleObjectFromWindow(window, OBJID_CLIENT, __uuidof(IAccessible),
                                             object.PutVoid()));
  return object;
}

using TextMember = HRESULT (STDMETHODCALLTYPE IAccessible::*)(VARIANT, BSTR*);
std::wstring Read(IAccessible* object, TextMember member, LONG id) {
  win32::BStr text;
  const HRESULT hr = (object->*member)(Id(id), text.Put());
  EXPECT_TRUE(hr == S_OK || hr == S_FALSE) << std::hex << hr << " for child " << id;
  return text.Str();
}

using NumberMember = HRESULT (STDMETHODCALLTYPE IAccessible::*)(VARIANT, VARIANT*);
LONG Number(IAccessible* object, NumberMember member, LONG id) {
  VARIANT v;
  EXPECT_EQ(S_OK, (object->*member)(Id(id), &v)) << "child " << id;
  EXPECT_EQ(VT_I4, v.vt) << "child " << id;
  return v.lVal;
}

// On the screen.
RECT Location(IAccessible* object, LONG id) {
  LONG x = 0, y = 0, w = 0, h = 0;
  EXPECT_EQ(S_OK, object->accLocation(&x, &y, &w, &h, Id(id))) << "child " << id;
  return {x, y, x + w, y + h};
}

// The child id a hit test or a navigation found: 0 for nothing, -1 for anything else.
LONG Found(HRESULT hr, VARIANT&& v) {
  const LONG id = hr == S_OK && v.vt == VT_I4 ? v.lVal : hr == S_FALSE && !v.vt ? 0 : -1;
  VariantClear(&v);
  return id;
}
LONG HitAt(IAccessible* object, LONG x, LONG y) {
  VARIANT v;
  return Found(object->accHitTest(x, y, &v), std::move(v));
}
LONG Navigate(IAccessible* object, LONG direction, LONG from) {
  VARIANT v;
  return Found(object->accNavigate(direction, Id(from), &v), std::move(v));
}

constexpr LONG kPicked = STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_FOCUSABLE;

// A topology window that is never attached, with a diagram of the test's own,
// and the selection events of the process (a screen reader follows them).
class AccessibilityTest : public testing::Test {
 protected:
  void SetUp() override {
    plugin::Module().ResetForTest();
    form = bridge::TBizFormBase::GiveToWindow(std::make_unique<TMainForm>(plugin::Module()));
    TARNodeList& model = form->Model();
    const int32_t hq = AddAR(model, win32::Cp936FromWide(L"总部AR"), 2, {40, 140, 140, 157});
    model.Items(hq).ActiveFlags = {0, 1, 0, 0, 1};
    AddAS(model, hq, "quote", 0, {40, 240, 140, 257});
    AddAR(model, "edge", 1, {1500, 140, 1600, 157});
    form->SetCanvasSettings(2000, 2000);
    form->SetScrollPosition(SB_HORZ, 5);
    form->SetScrollPosition(SB_VERT, 30);
    window = form->Handle();
    hook = SetWinEventHook(EVENT_OBJECT_SELECTION, EVENT_OBJECT_SELECTION, nullptr, Selection,
                           GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
  }
  void TearDown() override {
    UnhookWinEvent(hook);
    if (IsWindow(window)) DestroyWindow(window);
    plugin::Module().ResetForTest();
  }
  static std::vector<std::pair<HWND, LONG>> Selections() {
    PumpMessages();
    return std::exchange(selections, {});
  }

  ComApartment apartment;
  TMainForm* form = nullptr;  // owned by its window
  HWND window = nullptr;
  HWINEVENTHOOK hook = nullptr;

 private:
  static void CALLBACK Selection(HWINEVENTHOOK, DWORD, HWND w, LONG object, LONG child, DWORD,
                                 DWORD) {
    if (object == OBJID_CLIENT) selections.emplace_back(w, child);
  }
  static inline std::vector<std::pair<HWND, LONG>> selections;
};

TEST_F(AccessibilityTest, TheDiagramsBoxesReadAsTheyAreDrawn) {
  ASSERT_EQ(5, form->ScrollPosition(SB_HORZ));
  ASSERT_EQ(30, form->ScrollPosition(SB_VERT));
  win32::ComPtr<IAccessible> diagram = ClientObject(window);
  ASSERT_TRUE(diagram);
  IAccessible* d = diagram.Get();
  LONG count = 0;
  EXPECT_EQ(S_OK, d->get_accChildCount(&count));
  EXPECT_EQ(3, count);
  EXPECT_EQ(L"拓扑图", Read(d, &IAccessible::get_accName, CHILDID_SELF));
  EXPECT_EQ(ROLE_SYSTEM_DIAGRAM, Number(d, &IAccessible::get_accRole, CHILDID_SELF));
  win32::ComPtr<IDispatch> parent;
  EXPECT_EQ(S_OK, d->get_accParent(parent.Put()));
  EXPECT_TRUE(parent) << "the window's own object holds the diagram";

  const struct {
    const wchar_t *name, *value, *description;
    LONG state;
    RECT client;  // the box less the scroll position
  } boxes[] = {
      {L"总部AR (2)", L"1, 4", L"AR 节点", kPicked | STATE_SYSTEM_SELECTED, {35, 110, 135, 127}},
      {L"quote (0)",
       L"",
       L"总部AR 下的 AS 节点",
       kPicked | STATE_SYSTEM_UNAVAILABLE,
       {35, 210, 135, 227}},
      {L"edge (1)", L"0", L"AR 节点", kPicked | STATE_SYSTEM_OFFSCREEN, {1495, 110, 1595, 127}},
  };
  for (LONG id = 1; id <= 3; ++id) {
    const auto& box = boxes[id - 1];
    EXPECT_EQ(box.name, Read(d, &IAccessible::get_accName, id));
    EXPECT_EQ(box.value, Read(d, &IAccessible::get_accValue, id));
    EXPECT_EQ(box.description, Read(d, &IAccessible::get_accDescription, id));
    EXPECT_EQ(ROLE_SYSTEM_LISTITEM, Number(d, &IAccessible::get_accRole, id));
    EXPECT_EQ(box.state, Number(d, &IAccessible::get_accState, id)) << id;
    RECT want = box.client;
    MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&want), 2);
    const RECT at = Location(d, id);
    EXPECT_TRUE(EqualRect(&at, &want)) << id << ": at " << at.left << "," << at.top;
    win32::ComPtr<IDispatch> child;
    EXPECT_EQ(S_FALSE, d->get_accChild(Id(id), child.Put())) << "a box is a simple element";
    EXPECT_FALSE(child);
    // The box out of view lies outside the client area, where nothing is hit.
    EXPECT_EQ(id < 3 ? id : 0, HitAt(d, at.left + 3, at.top + 3)) << id;
  }
  const RECT first = Location(d, 1);
  EXPECT_EQ(CHILDID_SELF, HitAt(d, first.right + 20, first.top));

  const struct {
    LONG direction, from, to;  // to 0: nothing there
  } moves[] = {
      {NAVDIR_FIRSTCHILD, CHILDID_SELF, 1},
      {NAVDIR_LASTCHILD, CHILDID_SELF, 3},
      {NAVDIR_NEXT, 1, 2},
      {NAVDIR_NEXT, 3, 0},
      {NAVDIR_PREVIOUS, 1, 0},
      {NAVDIR_DOWN, 1, 2},
      {NAVDIR_RIGHT, 1, 3},
      {NAVDIR_UP, 1, 0},
  };
  for (const auto& m : moves)
    EXPECT_EQ(m.to, Navigate(d, m.direction, m.from)) << m.direction << " from " << m.from;

  // Selecting through the object is a click on the box: the menu acts on it.
  EXPECT_EQ(S_OK, d->accSelect(SELFLAG_TAKESELECTION, Id(3)));
  EXPECT_EQ((std::vector<std::pair<HWND, LONG>>{{window, 3}}), Selections());
  EXPECT_EQ("edge", form->Model().SelectedName());
  EXPECT_EQ(kPicked | STATE_SYSTEM_SELECTED | STATE_SYSTEM_OFFSCREEN,
            Number(d, &IAccessible::get_accState, 3));
  EXPECT_EQ(kPicked, Number(d, &IAccessible::get_accState, 1));
  VARIANT selection;
  EXPECT_EQ(3, Found(d->get_accSelection(&selection), std::move(selection)));

  // A selection moved from the keyboard is told as a click's is.
  PressKey(window, VK_LEFT, ui::ssCtrl);
  EXPECT_EQ((std::vector<std::pair<HWND, LONG>>{{window, 1}}), Selections());
}

TEST_F(AccessibilityTest, WhatIsNotThereIsAnsweredAsTheInterfaceSays) {
  win32::ComPtr<IAccessible> diagram = ClientObject(window);
  ASSERT_TRUE(diagram);
  IAccessible* d = diagram.Get();
  win32::BStr text;
  VARIANT byName, end;
  byName.vt = VT_BSTR;
  byName.bstrVal = nullptr;
  const struct {
    const char* what;
    HRESULT got, expected;
  } cases[] = {
      {"a child past the end", d->get_accName(Id(4), text.Put()), E_INVALIDARG},
      {"a child id that is no number", d->get_accName(byName, text.Put()), E_INVALIDARG},
      {"help", d->get_accHelp(Id(1), text.Put()), DISP_E_MEMBERNOTFOUND},
      {"default action", d->accDoDefaultAction(Id(1)), DISP_E_MEMBERNOTFOUND},
      {"renaming", d->put_accName(Id(1), nullptr), E_NOTIMPL},
      {"adding to the selection", d->accSelect(SELFLAG_ADDSELECTION, Id(2)), E_INVALIDARG},
      {"the first child of a box", d->accNavigate(NAVDIR_FIRSTCHILD, Id(1), &end), E_INVALIDARG},
  };
  for (const auto& c : cases) EXPECT_EQ(c.expected, c.got) << c.what;
  EXPECT_EQ(nullptr, text.Get());
  EXPECT_EQ(win32::Cp936FromWide(L"总部AR"), form->Model().SelectedName())
      << "a refused selection changed it";
}

TEST_F(AccessibilityTest, TheStatusGridsCellsAreNamedByWhatItShows) {
  query::TFormStatus dialog(GetModuleHandleW(nullptr));
  ui::StringGrid& grid = *ui::StringGrid::From(dialog.Control(L"sgResult"));
  grid.SetColCount(3);
  grid.SetRowCount(40);  // more rows than fit: the later ones are scrolled out
  grid.SetCell(1, 0, L"名称");
  for (int r = 1; r < 40; ++r) {
    grid.SetCell(0, r, std::to_wstring(r));
    grid.SetCell(1, r, L"行" + std::to_wstring(r));
  }
  grid.SetRow(2);
  win32::ComPtr<IAccessible> table = ClientObject(grid.Handle());
  ASSERT_TRUE(table);
  IAccessible* t = table.Get();
  EXPECT_EQ(L"查询结果", Read(t, &IAccessible::get_accName, CHILDID_SELF));
  EXPECT_EQ(ROLE_SYSTEM_TABLE, Number(t, &IAccessible::get_accRole, CHILDID_SELF));
  LONG count = 0;
  EXPECT_EQ(S_OK, t->get_accChildCount(&count));
  ASSERT_EQ(3 * 40, count);
  for (LONG id = 1; id <= count; ++id) {
    const int col = (id - 1) % 3, row = (id - 1) / 3;
    EXPECT_EQ(grid.Cell(col, row), Read(t, &IAccessible::get_accName, id)) << col << "," << row;
    EXPECT_EQ(ROLE_SYSTEM_CELL, Number(t, &IAccessible::get_accRole, id));
    const LONG state = Number(t, &IAccessible::get_accState, id);
    EXPECT_EQ(row == 2 && col > 0, (state & STATE_SYSTEM_SELECTED) != 0) << col << "," << row;
    EXPECT_EQ(row > 0 && col > 0, (state & STATE_SYSTEM_SELECTABLE) != 0) << col << "," << row;
    const RECT at = Location(t, id);
    const LONG hit = state & STATE_SYSTEM_OFFSCREEN ? id : HitAt(t, at.left + 1, at.top + 1);
    EXPECT_EQ(id, hit) << col << "," << row;
  }
  const LONG last = 3 * 39 + 2;  // the middle of the last row, drawn out of view
  EXPECT_NE(0, Number(t, &IAccessible::get_accState, last) & STATE_SYSTEM_OFFSCREEN);
  EXPECT_EQ(S_OK, t->accSelect(SELFLAG_TAKESELECTION, Id(last)));
  EXPECT_EQ(39, grid.Row());
  // Each selection names the cell standing for its row: SetRow(2) above, then this one.
  EXPECT_EQ((std::vector<std::pair<HWND, LONG>>{{grid.Handle(), 3 * 2 + 2}, {grid.Handle(), last}}),
            Selections());
  EXPECT_EQ(0, Number(t, &IAccessible::get_accState, last) & STATE_SYSTEM_OFFSCREEN)
      << "selecting scrolls the row into view";
  EXPECT_EQ(E_INVALIDARG, t->accSelect(SELFLAG_TAKESELECTION, Id(1))) << "a fixed cell";
  EXPECT_EQ(3 * 3 + 2, Navigate(t, NAVDIR_DOWN, 3 * 2 + 2));
  EXPECT_EQ(3 * 2 + 3, Navigate(t, NAVDIR_RIGHT, 3 * 2 + 2));
  EXPECT_EQ(0, Navigate(t, NAVDIR_RIGHT, 3 * 2 + 3));
}

TEST_F(AccessibilityTest, AReferenceKeptAfterItsWindowClosedAnswersAndDoesNotCrash) {
  auto dialog = std::make_unique<query::TFormStatus>(GetModuleHandleW(nullptr));
  win32::ComPtr<IAccessible> kept[] = {ClientObject(window),
                                       ClientObject(dialog->Control(L"sgResult"))};
  DestroyWindow(window);
  dialog.reset();
  for (const auto& k : kept) {
    ASSERT_TRUE(k);
    LONG count = -1, x = 0, y = 0, w = 0, h = 0;
    win32::BStr name;
    VARIANT v;
    win32::ComPtr<IDispatch> parent;
    EXPECT_EQ(CO_E_OBJNOTCONNECTED, k->get_accChildCount(&count));
    EXPECT_EQ(CO_E_OBJNOTCONNECTED, k->get_accName(Id(1), name.Put()));
    EXPECT_EQ(CO_E_OBJNOTCONNECTED, k->get_accState(Id(1), &v));
    EXPECT_EQ(CO_E_OBJNOTCONNECTED, k->accLocation(&x, &y, &w, &h, Id(1)));
    EXPECT_EQ(CO_E_OBJNOTCONNECTED, k->accHitTest(10, 10, &v));
    EXPECT_EQ(CO_E_OBJNOTCONNECTED, k->accSelect(SELFLAG_TAKESELECTION, Id(1)));
    EXPECT_EQ(CO_E_OBJNOTCONNECTED, k->get_accParent(parent.Put()));
    EXPECT_EQ(0, count);
    EXPECT_EQ(nullptr, name.Get());
  }
}

}  // namespace
}  // namespace topo::test
