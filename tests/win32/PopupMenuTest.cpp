// Popup menus rebuilt at run time: what the menu handle itself holds
// (captions, tags in the item data, separators, sub-menus) after a rebuild,
// and which handler a command id runs.
#include <gtest/gtest.h>
#include <windows.h>

#include <stdexcept>
#include <string>
#include <vector>

#include "MenuItems.h"
#include "ui/Form.h"
#include "ui/PopupMenu.h"

namespace topo::test {
namespace {

TEST(PopupMenuTest, RebuiltSubMenuHoldsTheNewEntriesWithTheirTags) {
  ui::PopupMenu menu;
  std::vector<int> ran;
  auto record = [&](int tag) { ran.push_back(tag); };
  ui::PopupMenu& start = menu.AddSubMenu(L"start");
  const UINT old = start.Add(L"0", 0, record);
  start.Add(L"1", 1, record);
  menu.AddSeparator();
  const UINT remove = menu.Add(L"remove", 99, record);

  // Rebuilt as before each showing: other instances, other tags.
  start.Clear();
  start.Add(L"3", 3, record);
  const UINT five = start.Add(L"5", 5, record);
  start.AddSeparator();
  start.Add(L"all", -1, record);

  const std::vector<MenuItem> top = {
      {L"start", 0, false, true}, {L"", 0, true, false}, {L"remove", 99, false, false}};
  EXPECT_EQ(ItemsOf(menu.Handle()), top);
  const std::vector<MenuItem> sub = {{L"3", 3, false, false},
                                     {L"5", 5, false, false},
                                     {L"", 0, true, false},
                                     {L"all", -1, false, false}};
  EXPECT_EQ(ItemsOf(start.Handle()), sub);
  EXPECT_EQ(GetSubMenu(menu.Handle(), 0), start.Handle());

  EXPECT_TRUE(menu.Invoke(five));
  EXPECT_TRUE(menu.Invoke(remove));
  EXPECT_FALSE(menu.Invoke(old)) << "an entry removed by the rebuild still ran";
  EXPECT_EQ(ran, (std::vector<int>{5, 99}));
}

TEST(PopupMenuTest, LayoutMenusBindHandlersByNameAndKeepSubMenusForRebuilding) {
  ui::Form form(ui::ParseFormLayout(R"(form M
client 100 100
menu pmNode
item pmNode muiStart "start" submenu
item pmNode muiStatus "status" tag=4
separator pmNode
item pmNode muiMore "more"
item muiMore muiRemove "remove" tag=9
)"));
  ui::PopupMenu* node = form.Menu(L"pmNode");
  ASSERT_NE(node, nullptr);
  const std::vector<MenuItem> top = {{L"start", 0, false, true},
                                     {L"status", 4, false, false},
                                     {L"", 0, true, false},
                                     {L"more", 0, false, true}};
  EXPECT_EQ(ItemsOf(node->Handle()), top);
  ASSERT_NE(form.Menu(L"muiStart"), nullptr);
  EXPECT_EQ(form.Menu(L"muiStart")->Handle(), GetSubMenu(node->Handle(), 0));

  std::vector<int> ran;
  form.SetMenuHandler(L"muiStatus", [&](int tag) { ran.push_back(tag); });
  form.SetMenuHandler(L"muiRemove", [&](int tag) { ran.push_back(100 + tag); });
  form.Menu(L"muiStart")->Add(L"0", 0, [&](int tag) { ran.push_back(200 + tag); });
  EXPECT_TRUE(node->Invoke(GetMenuItemID(node->Handle(), 1)));
  EXPECT_TRUE(node->Invoke(GetMenuItemID(GetSubMenu(node->Handle(), 3), 0)));
  EXPECT_TRUE(node->Invoke(GetMenuItemID(GetSubMenu(node->Handle(), 0), 0)));
  EXPECT_EQ(ran, (std::vector<int>{4, 109, 200}));

  EXPECT_THROW(ui::ParseFormLayout("form M\nclient 1 1\nitem pmNone x \"x\"\n"), std::runtime_error)
      << "an item of an undeclared menu";
}

}  // namespace
}  // namespace topo::test
