// The tidy layout on generated networks against the grid of "re-arrange":
// no overlap, no more crossings, arrows pointing up, and its undo.
#include <gtest/gtest.h>

#include "DiagramBuilders.h"
#include "GeneratedNetwork.h"
#include "LayoutMetrics.h"
#include "model/Boxes.h"
#include "model/PositionSnapshot.h"
#include "model/TidyLayout.h"

namespace topo {
namespace {

const TRect kCanvas{0, 0, 2000, 2000};

TEST(TidyLayoutTest, NoOverlapAndNoMoreCrossingsThanTheGrid) {
  for (int32_t boxes : {20, 200, 2000}) {
    const test::GeneratedNetwork network = test::GeneratedNetwork::Make(boxes, 2024);
    TARNodeList grid, tidy;
    network.Build(grid);
    network.Build(tidy);
    grid.ReLocate(kCanvas, "2000");
    const int32_t height = TidyLayout(tidy, kCanvas);
    const test::LayoutMeasure g = test::Measure(grid), t = test::Measure(tidy);
    EXPECT_EQ(t.overlaps, 0) << boxes;
    EXPECT_LE(t.crossings, g.crossings) << boxes;

    for (int32_t k = 0; k < tidy.ZOrder.Count(); ++k) {
      const TRect& r = *BoxOf(tidy, tidy.ZOrder.Items(k));
      ASSERT_EQ(r.Right - r.Left, kBoxWidth);
      ASSERT_EQ(r.Bottom - r.Top, kBoxHeight);
      ASSERT_GE(r.Left, kCanvas.Left);
      ASSERT_LE(r.Right, kCanvas.Right);
      ASSERT_LT(r.Bottom, height);
    }
    // Every arrow points up: servers below their node, nodes below their
    // parents (a random tree has no cycle).
    for (int32_t a = 0; a < tidy.Count(); ++a) {
      const TARNode& node = tidy.Items(a);
      for (int32_t s = 0; s < node.SubASs.Count(); ++s)
        EXPECT_GT(node.SubASs.Items(s).Rect.Top, node.Rect.Bottom);
      for (int32_t p = 0; p < node.ParentARs.Count(); ++p)
        EXPECT_GT(node.Rect.Top, tidy.Items(node.ParentARs.Items(p).ARIndex()).Rect.Bottom);
    }
  }
}

TEST(TidyLayoutTest, ATreeGetsNoCrossingAndCyclesAndEmptyListsAreSafe) {
  TARNodeList tree;
  const int32_t root = test::AddAR(tree, "root", 1, {});
  for (int32_t i = 0; i < 3; ++i) {
    const int32_t child = test::AddAR(tree, "c" + std::to_string(i), 1, {});
    test::AddParent(tree, child, "root", 1);
    for (int32_t s = 0; s < 4; ++s)
      test::AddAS(tree, child, "s" + std::to_string(i * 4 + s), 1, {});
  }
  test::AddAS(tree, root, "own", 1, {});
  TidyLayout(tree, {0, 0, 800, 600});
  EXPECT_EQ(test::Measure(tree).crossings, 0);
  EXPECT_EQ(test::Measure(tree).overlaps, 0);

  TARNodeList cycle;
  const int32_t a = test::AddAR(cycle, "a", 1, {});
  const int32_t b = test::AddAR(cycle, "b", 1, {});
  test::AddParent(cycle, a, "b", 1);
  test::AddParent(cycle, b, "a", 1);
  TidyLayout(cycle, {0, 0, 150, 300});  // narrower than two boxes: one per row
  EXPECT_EQ(test::Measure(cycle).overlaps, 0);
  EXPECT_NE(cycle.Items(a).Rect.Top, cycle.Items(b).Rect.Top);

  TARNodeList empty;
  EXPECT_EQ(TidyLayout(empty, kCanvas), 0);
}

TEST(PositionSnapshotTest, RestoresBoxesStillThereByName) {
  TARNodeList list;
  test::GeneratedNetwork::Make(40, 5).Build(list);
  list.ReLocate(kCanvas, "600");
  const TPositionSnapshot before = TPositionSnapshot::Take(list);
  std::vector<TRect> places;
  for (int32_t k = 0; k < list.ZOrder.Count(); ++k)
    places.push_back(*BoxOf(list, list.ZOrder.Items(k)));
  TidyLayout(list, kCanvas);
  // Meanwhile a node that stopped is removed, and a newcomer arrives.
  const std::string gone = list.Items(list.Count() - 1).Name();
  ASSERT_EQ(list.RemoveNode(false, gone), TARNodeList::RemoveResult::RefusedActive);
  list.Items(list.Count() - 1).ActiveCount = 0;
  ASSERT_EQ(list.RemoveNode(false, gone), TARNodeList::RemoveResult::Removed);
  const int32_t fresh = test::AddAR(list, "fresh", 1, {5, 5, 105, 22});
  before.Restore(list);
  EXPECT_EQ(list.Items(fresh).Rect, (TRect{5, 5, 105, 22}));
  size_t checked = 0;
  // The removed node's boxes were last in the stacking order.
  for (int32_t k = 0; k < list.ZOrder.Count(); ++k) {
    const ZOrderEntry& e = list.ZOrder.Items(k);
    if (e.ARIndex == fresh) continue;
    EXPECT_EQ(*BoxOf(list, e), places[static_cast<size_t>(k)]) << k;
    ++checked;
  }
  EXPECT_GT(checked, 30u);
}

}  // namespace
}  // namespace topo
