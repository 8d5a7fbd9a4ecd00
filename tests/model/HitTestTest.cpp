// Mouse handling and the selection queries the menu commands rely on.
#include <gtest/gtest.h>

#include "DiagramBuilders.h"
#include "model/Nodes.h"

namespace topo {
namespace {

class RecordingMenu : public PopupMenuHost {
 public:
  TPoint ClientToScreen(TPoint client) override {
    calls.push_back("convert");
    return {client.x + 1000, client.y + 2000};
  }
  void BuildServerMenus() override { calls.push_back("build:" + list->SelectedName()); }
  void Popup(TPoint screen) override {
    calls.push_back("popup");
    at = screen;
  }
  TARNodeList* list = nullptr;
  std::vector<std::string> calls;
  TPoint at;
};

// Boxes: A at (0,0), B overlapping A at (50,10), server S of A at (300,0).
class HitTestTest : public ::testing::Test {
 protected:
  void SetUp() override {
    test::AddAR(list, "A", 2, {0, 0, 100, 17});
    test::AddAR(list, "B", 0, {50, 10, 150, 27});
    test::AddAS(list, 0, "S", {1, 4, 7}, {300, 0, 400, 17});
    menu.list = &list;
  }
  const TRect canvas{0, 0, 800, 600};
  TARNodeList list;
  RecordingMenu menu;
};

TEST_F(HitTestTest, LeftPressOnEmptyCanvasChangesNothing) {
  list.MouseDown(TMouseButton::Left, 700, 500, 0, 0);
  EXPECT_EQ(list.Dragging, 0);
  list.MouseMove(710, 510, canvas, 0, 0);
  EXPECT_EQ(list.ZOrder.Items(0), (ZOrderEntry{0, -1}));
  EXPECT_EQ(list.Items(0).Rect, (TRect{0, 0, 100, 17}));
}

TEST_F(HitTestTest, LeftPressSelectsTopBoxAndSwapsWithFront) {
  list.ZOrder.BringToFront(1);  // B in front
  list.MouseDown(TMouseButton::Left, 305, 5, 0, 0);
  EXPECT_EQ(list.ZOrder.Items(0), (ZOrderEntry{0, 0}));
  EXPECT_EQ(list.ZOrder.Items(2), (ZOrderEntry{1, -1}));
  EXPECT_EQ(list.SelectedIsAS(), 1);
  EXPECT_EQ(list.SelectedName(), "S");
  list.MouseUp(TMouseButton::Left, 305, 5, 0, 0, menu);
  // In the overlap, the box nearer the front wins.
  list.MouseDown(TMouseButton::Left, 60, 12, 0, 0);
  EXPECT_EQ(list.SelectedName(), "A");
  list.ZOrder.BringToFront(2);
  list.MouseDown(TMouseButton::Left, 60, 12, 0, 0);
  EXPECT_EQ(list.SelectedName(), "B");
}

TEST_F(HitTestTest, DragFollowsMouseInsideCanvasOnly) {
  list.MouseDown(TMouseButton::Left, 10 - 20, 5 - 30, 20, 30);  // diagram (10,5), scrolled
  ASSERT_EQ(list.Dragging, 1);
  EXPECT_EQ(list.DragStartX, -10);
  list.MouseMove(0 - 20 - 10, 5 - 30, canvas, 20, 30);  // diagram x = -10: outside
  EXPECT_EQ(list.Items(0).Rect, (TRect{0, 0, 100, 17}));
  list.MouseMove(0 - 20, 5 - 30 + 100, canvas, 20, 30);  // diagram (0, 105)
  EXPECT_EQ(list.Items(0).Rect, (TRect{-10, 100, 90, 117}));
  list.MouseUp(TMouseButton::Middle, 0, 0, 0, 0, menu);
  EXPECT_EQ(list.Dragging, 0);
  list.MouseMove(400, 400, canvas, 0, 0);
  EXPECT_EQ(list.Items(0).Rect, (TRect{-10, 100, 90, 117}));
  EXPECT_TRUE(menu.calls.empty());
}

TEST_F(HitTestTest, DragAtTheExtremesWrapsWithoutOverflow) {
  list.Items(0).Rect = {INT32_MAX - 100, 0, INT32_MAX, 17};
  list.MouseDown(TMouseButton::Left, INT32_MAX - 50, 5, 0, 0);
  list.MouseMove(INT32_MIN, 5, {INT32_MIN, 0, INT32_MAX, 600}, 0, 0);
  EXPECT_EQ(WrapSub(list.Items(0).Rect.Right, list.Items(0).Rect.Left), 100);
  // A scroll position that pushes the point beyond 32 bits hits nothing.
  list.MouseUp(TMouseButton::Right, INT32_MAX, 5, INT32_MAX, 0, menu);
  EXPECT_TRUE(menu.calls.empty());
}

TEST_F(HitTestTest, RightClickSelectsThenBuildsMenusThenPopsUpAtScreenPoint) {
  list.MouseDown(TMouseButton::Right, 60, 12, 0, 0);
  EXPECT_EQ(list.Dragging, 0);
  EXPECT_EQ(list.SelectedName(), "A");  // a right press alone does not select
  list.MouseUp(TMouseButton::Right, 140, 12, 0, 5, menu);
  EXPECT_EQ(menu.calls, (std::vector<std::string>{"convert", "build:B", "popup"}));
  EXPECT_EQ(menu.at, (TPoint{1140, 2012}));
  menu.calls.clear();
  list.MouseUp(TMouseButton::Right, 700, 500, 0, 0, menu);
  EXPECT_TRUE(menu.calls.empty());
  EXPECT_EQ(list.SelectedName(), "B");
}

TEST_F(HitTestTest, SelectedActiveNoWalksFlagsButTrustsTheCount) {
  list.MouseDown(TMouseButton::Left, 305, 5, 0, 0);
  EXPECT_EQ(list.SelectedActiveCount(), 3);
  EXPECT_EQ(list.SelectedActiveNo(0), 1);
  EXPECT_EQ(list.SelectedActiveNo(1), 4);
  EXPECT_EQ(list.SelectedActiveNo(2), 7);
  EXPECT_EQ(list.SelectedActiveNo(3), -1);
  EXPECT_EQ(list.SelectedActiveNo(-1), -1);
  list.Items(0).SubASs.Items(0).ActiveCount = 0;
  EXPECT_EQ(list.SelectedActiveNo(0), -1);
}

TEST_F(HitTestTest, FindParentARNameTakesFirstNodeInListOrder) {
  list.AddOrUpdateSubAS(1, "S", 0, {}, 0);
  list.AddOrUpdateSubAS(1, "T", 0, {}, 0);
  EXPECT_EQ(list.FindParentARName("S"), "A");
  EXPECT_EQ(list.FindParentARName("T"), "B");
  EXPECT_EQ(list.FindParentARName("nobody"), "");
}

TEST(SelectionTest, QueriesOnEmptyModelRaiseListIndexError) {
  TARNodeList list;
  EXPECT_THROW(list.SelectedName(), EListIndexError);
  EXPECT_THROW(list.SelectedIsAS(), EListIndexError);
  EXPECT_THROW(list.SelectedActiveNo(0), EListIndexError);
}

}  // namespace
}  // namespace topo
