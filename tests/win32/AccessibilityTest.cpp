// What a screen reader reads, through oleacc as one would: the diagram's boxes
// (names, values, states, places, hit testing and navigation), the status
// grid's cells against the texts the grid shows, the answers the interface
// prescribes for what is not there, and a reference kept after its window
// closed.
#include <gtest/gtest.h>
#include <windows.h>
// windows.h first: the accessibility header relies on it.
#include <oleacc.h>

#include <functional>
#include <memory>
#include <string>
#include <utility>
#include <vector>

#include "DiagramBuilders.h"
#include "FakeExchange.h"
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

RECT Location(IAccessible* object, LONG id) {
  LONG x = 0, y = 0, w = 0, h = 0;
  EXPECT_EQ(S_OK, object->accLocation(&x, &y, &w, &h, Id(id))) << "child " << id;
  return {x, y, x + w, y + h};
}

RECT OnScreen(HWND window, RECT client) {
  MapWindowPoints(window, nullptr, reinterpret_cast<POINT*>(&client), 2);
  return client;
}

// The child a point of the screen hits, -1 for anything but a child id.
LONG HitAt(IAccessible* object, LONG x, LONG y) {
  VARIANT v;
  VariantInit(&v);
  const HRESULT hr = object->accHitTest(x, y, &v);
  const LONG id = hr == S_OK && v.vt == VT_I4 ? v.lVal : -1;
  VariantClear(&v);
  return id;
}

LONG Navigate(IAccessible* object, LONG direction, LONG from) {
  VARIANT v;
  VariantInit(&v);
  const HRESULT hr = object->accNavigate(direction, Id(from), &v);
  return hr == S_OK && v.vt == VT_I4 ? v.lVal : (hr == S_FALSE && v.vt == VT_EMPTY ? 0 : -1);
}

constexpr LONG kPicked = STATE_SYSTEM_SELECTABLE | STATE_SYSTEM_FOCUSABLE;

// The selection events of this process while it lives, as "window object child":
// a screen reader follows a selection by them.
class SelectionEvents {
 public:
  SelectionEvents() {
    seen_ = &list;
    hook_ = SetWinEventHook(EVENT_OBJECT_SELECTION, EVENT_OBJECT_SELECTION, nullptr, Record,
                            GetCurrentProcessId(), 0, WINEVENT_OUTOFCONTEXT);
  }
  SelectionEvents(const SelectionEvents&) = delete;
  SelectionEvents& operator=(const SelectionEvents&) = delete;
  ~SelectionEvents() {
    UnhookWinEvent(hook_);
    seen_ = nullptr;
  }
  std::vector<std::string> Take() {
    PumpMessages();
    return std::exchange(list, {});
  }
  std::vector<std::string> list;

 private:
  static void CALLBACK Record(HWINEVENTHOOK, DWORD, HWND window, LONG object, LONG child, DWORD,
                              DWORD) {
    if (seen_)
      seen_->push_back(std::to_string(reinterpret_cast<uintptr_t>(window)) + " " +
                       std::to_string(object) + " " + std::to_string(child));
  }
  static inline std::vector<std::string>* seen_ = nullptr;
  HWINEVENTHOOK hook_ = nullptr;
};

std::string Event(HWND window, LONG child) {
  return std::to_string(reinterpret_cast<uintptr_t>(window)) + " " + std::to_string(OBJID_CLIENT) +
         " " + std::to_string(child);
}

// A topology window that is never attached: the test draws its own diagram.
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
    form->SetScrollRange(SB_HORZ, 2000);
    form->SetScrollRange(SB_VERT, 2000);
    form->SetScrollPosition(SB_HORZ, 5);
    form->SetScrollPosition(SB_VERT, 30);
    window = form->Handle();
  }
  void TearDown() override {
    if (IsWindow(window)) DestroyWindow(window);
    plugin::Module().ResetForTest();
  }

  ComApartment apartment;
  TMainForm* form = nullptr;  // owned by its window
  HWND window = nullptr;
};

TEST_F(AccessibilityTest, TheDiagramsBoxesReadAsTheyAreDrawn) {
  ASSERT_EQ(5, form->ScrollPosition(SB_HORZ));
  ASSERT_EQ(30, form->ScrollPosition(SB_VERT));
  win32::ComPtr<IAccessible> diagram = ClientObject(window);
  ASSERT_TRUE(diagram);
  LONG count = 0;
  EXPECT_EQ(S_OK, diagram->get_accChildCount(&count));
  EXPECT_EQ(3, count);
  EXPECT_EQ(L"拓扑图", Read(diagram.Get(), &IAccessible::get_accName, CHILDID_SELF));
  EXPECT_EQ(ROLE_SYSTEM_DIAGRAM, Number(diagram.Get(), &IAccessible::get_accRole, CHILDID_SELF));

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
    IAccessible* d = diagram.Get();
    EXPECT_EQ(box.name, Read(d, &IAccessible::get_accName, id));
    EXPECT_EQ(box.value, Read(d, &IAccessible::get_accValue, id));
    EXPECT_EQ(box.description, Read(d, &IAccessible::get_accDescription, id));
    EXPECT_EQ(ROLE_SYSTEM_LISTITEM, Number(d, &IAccessible::get_accRole, id));
    EXPECT_EQ(box.state, Number(d, &IAccessible::get_accState, id)) << id;
    const RECT at = Location(d, id), want = OnScreen(window, box.client);
    EXPECT_TRUE(EqualRect(&at, &want)) << id << ": at " << at.left << "," << at.top;
    win32::ComPtr<IDispatch> child;
    EXPECT_EQ(S_FALSE, d->get_accChild(Id(id), child.Put())) << "a box is a simple element";
    EXPECT_FALSE(child);
    // The box out of view lies outside the client area, where nothing is hit.
    EXPECT_EQ(id < 3 ? id : -1, HitAt(d, at.left + 3, at.top + 3)) << id;
  }
  const RECT first = Location(diagram.Get(), 1);
  EXPECT_EQ(CHILDID_SELF, HitAt(diagram.Get(), first.right + 20, first.top));

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
    EXPECT_EQ(m.to, Navigate(diagram.Get(), m.direction, m.from))
        << m.direction << " from " << m.from;

  // Selecting through the object is a click on the box: the menu acts on it.
  SelectionEvents events;
  EXPECT_EQ(S_OK, diagram->accSelect(SELFLAG_TAKESELECTION, Id(3)));
  EXPECT_EQ(std::vector<std::string>{Event(window, 3)}, events.Take());
  EXPECT_EQ("edge", form->Model().SelectedName());
  EXPECT_EQ(kPicked | STATE_SYSTEM_SELECTED | STATE_SYSTEM_OFFSCREEN,
            Number(diagram.Get(), &IAccessible::get_accState, 3));
  EXPECT_EQ(kPicked, Number(diagram.Get(), &IAccessible::get_accState, 1));
  VARIANT selection;
  EXPECT_EQ(S_OK, diagram->get_accSelection(&selection));
  EXPECT_EQ(VT_I4, selection.vt);
  EXPECT_EQ(3, selection.lVal);
}

TEST_F(AccessibilityTest, WhatIsNotThereIsAnsweredAsTheInterfaceSays) {
  win32::ComPtr<IAccessible> diagram = ClientObject(window);
  ASSERT_TRUE(diagram);
  IAccessible* d = diagram.Get();
  win32::BStr text;
  VARIANT byName;
  byName.vt = VT_BSTR;
  byName.bstrVal = nullptr;
  const struct {
    const char* what;
    std::function<HRESULT()> call;
    HRESULT expected;
  } cases[] = {
      {"a child past the end", [&] { return d->get_accName(Id(4), text.Put()); }, E_INVALIDARG},
      {"a negative child", [&] { return d->get_accName(Id(-1), text.Put()); }, E_INVALIDARG},
      {"a child id that is no number", [&] { return d->get_accName(byName, text.Put()); },
       E_INVALIDARG},
      {"help", [&] { return d->get_accHelp(Id(1), text.Put()); }, DISP_E_MEMBERNOTFOUND},
      {"default action", [&] { return d->accDoDefaultAction(Id(1)); }, DISP_E_MEMBERNOTFOUND},
      {"renaming", [&] { return d->put_accName(Id(1), nullptr); }, E_NOTIMPL},
      {"adding to the selection", [&] { return d->accSelect(SELFLAG_ADDSELECTION, Id(2)); },
       E_INVALIDARG},
      {"the first child of a box",
       [&] {
         VARIANT v;
         return d->accNavigate(NAVDIR_FIRSTCHILD, Id(1), &v);
       },
       E_INVALIDARG},
  };
  for (const auto& c : cases) EXPECT_EQ(c.expected, c.call()) << c.what;
  EXPECT_EQ(nullptr, text.Get());
  EXPECT_EQ(win32::Cp936FromWide(L"总部AR"), form->Model().SelectedName())
      << "a refused selection changed it";
}

TEST_F(AccessibilityTest, TheStatusGridsCellsAreNamedByWhatItShows) {
  query::TFormStatus dialog(GetModuleHandleW(nullptr));
  ui::StringGrid& grid = *ui::StringGrid::From(dialog.Control(L"sgResult"));
  grid.SetColCount(3);
  grid.SetRowCount(40);  // more rows than fit: the later ones are scrolled out
  const std::vector<std::wstring> header = {L"#", L"名称", L""};
  for (int c = 0; c < 3; ++c) grid.SetCell(c, 0, header[static_cast<size_t>(c)]);
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
    if (state & STATE_SYSTEM_OFFSCREEN) continue;
    const RECT at = Location(t, id);
    EXPECT_EQ(id, HitAt(t, at.left + 1, at.top + 1)) << col << "," << row;
  }
  EXPECT_EQ(STATE_SYSTEM_OFFSCREEN,
            Number(t, &IAccessible::get_accState, 3 * 39 + 2) & STATE_SYSTEM_OFFSCREEN)
      << "the last row is drawn out of view";
  SelectionEvents events;
  EXPECT_EQ(S_OK, t->accSelect(SELFLAG_TAKESELECTION, Id(3 * 39 + 2)));
  EXPECT_EQ(39, grid.Row());
  EXPECT_EQ(std::vector<std::string>{Event(grid.Handle(), 3 * 39 + 2)}, events.Take());
  EXPECT_EQ(0, Number(t, &IAccessible::get_accState, 3 * 39 + 2) & STATE_SYSTEM_OFFSCREEN)
      << "selecting scrolls the row into view";
  EXPECT_EQ(E_INVALIDARG, t->accSelect(SELFLAG_TAKESELECTION, Id(1))) << "a fixed cell";
  EXPECT_EQ(3 * 3 + 2, Navigate(t, NAVDIR_DOWN, 3 * 2 + 2));
  EXPECT_EQ(3 * 2 + 3, Navigate(t, NAVDIR_RIGHT, 3 * 2 + 2));
  EXPECT_EQ(0, Navigate(t, NAVDIR_RIGHT, 3 * 2 + 3));
}

TEST_F(AccessibilityTest, AReferenceKeptAfterItsWindowClosedAnswersAndDoesNotCrash) {
  auto dialog = std::make_unique<query::TFormStatus>(GetModuleHandleW(nullptr));
  const std::function<void()> closers[] = {
      [this] { DestroyWindow(window); },
      [&dialog] { dialog.reset(); },
  };
  const HWND windows[] = {window, dialog->Control(L"sgResult")};
  for (int i = 0; i < 2; ++i) {
    win32::ComPtr<IAccessible> kept = ClientObject(windows[i]);
    ASSERT_TRUE(kept);
    closers[i]();
    ASSERT_FALSE(IsWindow(windows[i]));
    LONG count = -1, x = 0, y = 0, w = 0, h = 0;
    win32::BStr name;
    VARIANT v;
    win32::ComPtr<IDispatch> parent;
    EXPECT_EQ(CO_E_OBJNOTCONNECTED, kept->get_accChildCount(&count)) << i;
    EXPECT_EQ(CO_E_OBJNOTCONNECTED, kept->get_accName(Id(1), name.Put())) << i;
    EXPECT_EQ(CO_E_OBJNOTCONNECTED, kept->get_accState(Id(1), &v)) << i;
    EXPECT_EQ(CO_E_OBJNOTCONNECTED, kept->accLocation(&x, &y, &w, &h, Id(1))) << i;
    EXPECT_EQ(CO_E_OBJNOTCONNECTED, kept->accHitTest(10, 10, &v)) << i;
    EXPECT_EQ(CO_E_OBJNOTCONNECTED, kept->accSelect(SELFLAG_TAKESELECTION, Id(1))) << i;
    EXPECT_EQ(CO_E_OBJNOTCONNECTED, kept->get_accParent(parent.Put())) << i;
    EXPECT_EQ(0, count);
    EXPECT_EQ(nullptr, name.Get());
  }
}

}  // namespace
}  // namespace topo::test
