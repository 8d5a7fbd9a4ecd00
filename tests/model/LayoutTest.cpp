// Circle and grid placement: the coordinates the layout must produce, the
// boxes it must leave alone, and arithmetic at the 32-bit extremes.
#include <gtest/gtest.h>

#include <limits>

#include "model/Nodes.h"

namespace topo {
namespace {

void AddNodes(TARNodeList& list, int count) {
  for (int i = 0; i < count; ++i) list.AddOrUpdateAR("n" + std::to_string(i), 0, {}, 1);
}

std::vector<TPoint> Corners(TARNodeList& list) {
  std::vector<TPoint> out;
  for (int32_t k = 0; k < list.ZOrder.Count(); ++k) {
    const ZOrderEntry& e = list.ZOrder.Items(k);
    const TRect& r = e.ASIndex < 0 ? list.Items(e.ARIndex).Rect
                                   : list.Items(e.ARIndex).SubASs.Items(e.ASIndex).Rect;
    EXPECT_EQ(r.Right - r.Left, 100);
    EXPECT_EQ(r.Bottom - r.Top, 17);
    out.push_back({r.Left, r.Top});
  }
  return out;
}

TEST(PlaceOutsideNodesTest, FiveNewBoxesOnTheCircle) {
  TARNodeList list;
  AddNodes(list, 4);
  list.AddOrUpdateSubAS(0, "s", 0, {}, 1);
  list.PlaceOutsideNodes({0, 0, 800, 600});
  EXPECT_EQ(Corners(list),
            (std::vector<TPoint>{{400, 47}, {641, 221}, {549, 504}, {252, 504}, {160, 221}}));
}

TEST(PlaceOutsideNodesTest, FourBoxesLandWithinAPixelOfTheQuarterPoints) {
  TARNodeList list;
  AddNodes(list, 4);
  list.PlaceOutsideNodes({0, 0, 800, 600});
  const std::vector<TPoint> got = Corners(list);
  if (std::numeric_limits<long double>::digits == 64) {
    EXPECT_EQ(got, (std::vector<TPoint>{{400, 47}, {653, 300}, {400, 553}, {147, 299}}));
  } else {
    const std::vector<TPoint> expected{{400, 47}, {653, 300}, {400, 553}, {147, 300}};
    for (size_t i = 0; i < got.size(); ++i) {
      EXPECT_LE(std::abs(got[i].x - expected[i].x), 1);
      EXPECT_LE(std::abs(got[i].y - expected[i].y), 1);
    }
  }
}

TEST(PlaceOutsideNodesTest, SingleBoxAtTopAndSmallestCanvasRadius) {
  TARNodeList list;
  AddNodes(list, 1);
  list.PlaceOutsideNodes({0, 0, 500, 300});  // r = 103
  EXPECT_EQ(Corners(list), (std::vector<TPoint>{{250, 150 - 103}}));
}

TEST(PlaceOutsideNodesTest, BoxesMeetingTheCanvasStayAndTouchingOnesMove) {
  TARNodeList list;
  AddNodes(list, 3);
  list.Items(0).Rect = {-99, -16, 1, 1};  // overlaps by one pixel
  list.Items(1).Rect = {-100, 0, 0, 17};  // touches the left edge
  list.Items(2).Rect = {10, 10, 10, 30};  // empty, inside
  list.PlaceOutsideNodes({0, 0, 800, 600});
  EXPECT_EQ(list.Items(0).Rect, (TRect{-99, -16, 1, 1}));
  EXPECT_NE(list.Items(1).Rect, (TRect{-100, 0, 0, 17}));
  EXPECT_EQ(list.Items(2).Rect.Right - list.Items(2).Rect.Left, 100);
  // Position 1 keeps its slot although position 0 was not moved.
  EXPECT_EQ(Corners(list)[1], (TPoint{400 + 220, 300 + 126}));
}

TEST(PlaceOutsideNodesTest, EmptyCanvasMovesNothing) {
  TARNodeList list;
  AddNodes(list, 2);
  list.PlaceOutsideNodes({0, 0, 0, 600});
  list.PlaceOutsideNodes({0, 600, 800, 600});
  EXPECT_EQ(list.Items(0).Rect, kDefaultBox);
}

TEST(PlaceOutsideNodesTest, ExtremeCanvasesKeepBoxesWithinRange) {
  TARNodeList list;
  AddNodes(list, 8);
  const TRect canvases[] = {{INT32_MAX - 300, INT32_MAX - 300, INT32_MAX, INT32_MAX},
                            {INT32_MIN, INT32_MIN, INT32_MIN + 300, INT32_MIN + 300},
                            {0, INT32_MIN, INT32_MAX, INT32_MAX}};
  for (const TRect& canvas : canvases) {
    list.PlaceOutsideNodes(canvas);
    for (const TPoint& corner : Corners(list)) {  // every box was outside and is 100 x 17 now
      EXPECT_LE(corner.x, INT32_MAX - 100);
      EXPECT_LE(corner.y, INT32_MAX - 17);
    }
  }
  // On the last canvas a radius of about 2^30 around x = 2^30 overflows 32 bits
  // in the intermediate sums but not in the result.
  EXPECT_EQ(Corners(list)[2].x, 1073741823 + 1073741693);
}

TEST(ReLocateTest, GridRowsFollowTheZOrder) {
  TARNodeList list;
  AddNodes(list, 7);
  list.ZOrder.BringToFront(6);
  EXPECT_EQ(list.ReLocate({0, 0, 800, 600}, "600"), std::nullopt);
  EXPECT_EQ(list.Items(6).Rect, (TRect{8, 40, 108, 57}));
  const std::vector<TPoint> corners = Corners(list);
  const std::vector<TPoint> expected{{8, 40},   {138, 40}, {268, 40}, {398, 40},
                                     {528, 40}, {658, 40}, {8, 74}};
  EXPECT_EQ(corners, expected);
}

TEST(ReLocateTest, HeightSettingIsOnlyRaised) {
  TARNodeList six;
  AddNodes(six, 6);
  EXPECT_EQ(six.ReLocate({0, 0, 800, 600}, "100"), 108);
  EXPECT_EQ(six.ReLocate({0, 0, 800, 600}, "108"), std::nullopt);
  EXPECT_EQ(six.ReLocate({0, 0, 800, 600}, " 5000 "), std::nullopt);
  TARNodeList many;
  AddNodes(many, 60);                                      // ten rows: needs 11 * 34 + 40
  EXPECT_EQ(many.ReLocate({0, 0, 800, 600}, "abc"), 414);  // not a number: 300
  EXPECT_EQ(many.ReLocate({0, 0, 800, 600}, "99999999999"), 414);
}

TEST(ReLocateTest, NarrowCanvasPutsEveryBoxInItsOwnRow) {
  TARNodeList list;
  AddNodes(list, 3);
  EXPECT_EQ(list.ReLocate({0, 0, 137, 600}, "300"), std::nullopt);
  EXPECT_EQ(Corners(list), (std::vector<TPoint>{{8, 40}, {8, 74}, {8, 108}}));
  EXPECT_EQ(list.ReLocate({0, 0, 0, 600}, "0"), std::nullopt);  // empty: nothing at all
}

}  // namespace
}  // namespace topo
