// Keyboard operation of the diagram over a table of layouts: which box the
// arrow keys select, and how far a keyboard move takes the selected box.
#include <gtest/gtest.h>

#include <vector>

#include "DiagramBuilders.h"
#include "model/Boxes.h"
#include "model/KeyboardMoves.h"

namespace topo {
namespace {

struct Layout {
  const char* what;
  std::vector<TPoint> boxes;  // top-left corners; the first is selected
  TDirection direction;
  int32_t expected;  // index into boxes, -1 for none
};

TEST(NearestBoxTest, FollowsTheTableOfLayouts) {
  const Layout layouts[] = {
      {"grid right",
       {{130, 34}, {0, 0}, {130, 0}, {260, 0}, {0, 34}, {260, 34}, {130, 68}},
       TDirection::Right,
       5},
      {"grid left",
       {{130, 34}, {0, 0}, {130, 0}, {260, 0}, {0, 34}, {260, 34}, {130, 68}},
       TDirection::Left,
       4},
      {"grid up",
       {{130, 34}, {0, 0}, {130, 0}, {260, 0}, {0, 34}, {260, 34}, {130, 68}},
       TDirection::Up,
       2},
      {"grid down",
       {{130, 34}, {0, 0}, {130, 0}, {260, 0}, {0, 34}, {260, 34}, {130, 68}},
       TDirection::Down,
       6},
      // A box within 45 degrees wins over a nearer one off to the side.
      {"cone first", {{0, 0}, {40, 300}, {500, 60}}, TDirection::Right, 2},
      {"side when nothing ahead", {{0, 0}, {40, 300}}, TDirection::Right, 1},
      {"nearer along, off axis", {{0, 0}, {300, 0}, {200, 40}}, TDirection::Right, 2},
      {"nothing that way", {{0, 0}, {-200, 0}, {0, 100}}, TDirection::Up, -1},
      {"same centre is no direction", {{0, 0}, {0, 0}}, TDirection::Down, -1},
      {"alone", {{0, 0}}, TDirection::Left, -1},
      {"tie goes to the front", {{0, 100}, {0, 0}, {0, 200}, {0, 0}}, TDirection::Up, 1},
  };
  for (const Layout& layout : layouts) {
    TARNodeList list;
    for (size_t i = 0; i < layout.boxes.size(); ++i) {
      const TPoint p = layout.boxes[i];
      test::AddAR(list, "b" + std::to_string(i), 1, {p.x, p.y, p.x + 100, p.y + 17});
    }
    EXPECT_EQ(NearestBox(list, layout.direction), layout.expected) << layout.what;
  }
}

TEST(MoveSelectedTest, MovesLikeADragWhileTheBoxMeetsTheCanvas) {
  const TRect canvas{0, 0, 800, 600};
  const struct {
    TRect box;
    TPoint by;
    TRect expected;
  } moves[] = {
      {{100, 100, 200, 117}, {10, 0}, {110, 100, 210, 117}},
      {{100, 100, 200, 117}, {0, -1}, {100, 99, 200, 116}},
      {{5, 5, 105, 22}, {-10, -10}, {-5, -5, 95, 12}},  // partly off: still meets
      {{-95, 5, 5, 22}, {-10, 0}, {-95, 5, 5, 22}},     // would leave the canvas
      {{795, 590, 895, 607}, {1, 0}, {796, 590, 896, 607}},
      {{799, 590, 899, 607}, {1, 0}, {799, 590, 899, 607}},
      {{INT32_MAX - 100, 0, INT32_MAX, 17}, {10, 0}, {INT32_MAX - 100, 0, INT32_MAX, 17}},
  };
  for (const auto& m : moves) {
    TARNodeList list;
    test::AddAR(list, "other", 1, {0, 300, 100, 317});
    test::AddAR(list, "moved", 1, m.box);
    list.ZOrder.BringToFront(1);
    const bool moved = MoveSelected(list, m.by.x, m.by.y, canvas);
    EXPECT_EQ(list.Items(1).Rect, m.expected) << m.box.Left << "," << m.box.Top;
    EXPECT_EQ(moved, m.expected != m.box);
    EXPECT_EQ(list.Items(0).Rect, (TRect{0, 300, 100, 317}));
  }
  TARNodeList empty;
  EXPECT_FALSE(MoveSelected(empty, 1, 1, canvas));
}

}  // namespace
}  // namespace topo
