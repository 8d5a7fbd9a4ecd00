// The diagram drawing: link paths and arrowheads to the point, box outlines,
// labels and markers with the pen they are drawn in, the inactive-link flag,
// the stacking order, culling against the clip box, coordinates at the ends of
// the 32-bit range, and the pixel scenes shared with the GDI canvas's tests.
#include <gtest/gtest.h>

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "DiagramBuilders.h"
#include "DrawingScenes.h"
#include "RasterCanvas.h"
#include "RecordingCanvas.h"
#include "model/Canvas.h"
#include "model/Nodes.h"

namespace topo {
namespace {

using test::AddAR;
using test::AddAS;
using test::AddParent;
using test::CallKind;
using test::DrawCall;
using test::Flags;
using test::RasterCanvas;
using test::RecordingCanvas;
using test::Segment;

constexpr int32_t kMin = std::numeric_limits<int32_t>::min();
constexpr int32_t kMax = std::numeric_limits<int32_t>::max();
constexpr TColor kOutline = Rgb(10, 20, 30);

std::vector<CallKind> Kinds(const RecordingCanvas& canvas) {
  std::vector<CallKind> kinds;
  for (const DrawCall& call : canvas.Calls()) kinds.push_back(call.kind);
  return kinds;
}

std::vector<std::string> Labels(const RecordingCanvas& canvas) {
  std::vector<std::string> labels;
  for (const DrawCall& call : canvas.CallsOf(CallKind::TextRect)) labels.push_back(call.text);
  return labels;
}

// ---- links -----------------------------------------------------------------

struct LinkCase {
  const char* what;
  TRect a;
  TRect b;
  bool active;
  std::vector<TPoint> path;
  std::vector<TPoint> head;
};

class DrawLinkTest : public ::testing::TestWithParam<LinkCase> {};

TEST_P(DrawLinkTest, PathArrowheadAndPenStyle) {
  const LinkCase& c = GetParam();
  TARNodeList list;
  RecordingCanvas canvas(kOutline);
  list.DrawLink(canvas, c.a, c.b, c.active);

  const std::vector<CallKind> expected =
      c.active ? std::vector<CallKind>{CallKind::Polyline, CallKind::Polygon}
               : std::vector<CallKind>{CallKind::SetPenStyle, CallKind::Polyline,
                                       CallKind::SetPenStyle, CallKind::Polygon};
  ASSERT_EQ(Kinds(canvas), expected) << c.what;
  const DrawCall line = canvas.CallsOf(CallKind::Polyline)[0];
  const DrawCall head = canvas.CallsOf(CallKind::Polygon)[0];
  EXPECT_EQ(line.points, c.path) << c.what;
  EXPECT_EQ(head.points, c.head) << c.what;
  EXPECT_EQ(line.style, c.active ? PenStyle::Solid : PenStyle::Dotted) << c.what;
  EXPECT_EQ(head.style, PenStyle::Solid) << c.what;
  EXPECT_EQ(line.color, kOutline);
  EXPECT_EQ(canvas.Style(), PenStyle::Solid);
  EXPECT_EQ(canvas.PenColor(), kOutline);
}

INSTANTIATE_TEST_SUITE_P(Cases, DrawLinkTest,
                         ::testing::Values(LinkCase{"active, A below B",
                                                    {100, 200, 200, 217},
                                                    {300, 40, 400, 57},
                                                    true,
                                                    {{148, 200}, {148, 128}, {348, 128}, {348, 57}},
                                                    {{346, 63}, {350, 63}, {348, 57}}},
                                           LinkCase{"inactive, side by side",
                                                    {0, 40, 100, 57},
                                                    {130, 40, 230, 57},
                                                    false,
                                                    {{57, 57}, {57, 64}, {173, 64}, {173, 57}},
                                                    {{171, 63}, {175, 63}, {173, 57}}},
                                           LinkCase{"active, A above B",
                                                    {0, 0, 100, 17},
                                                    {200, 100, 300, 117},
                                                    true,
                                                    {{52, 17}, {52, 58}, {252, 58}, {252, 100}},
                                                    {{250, 94}, {254, 94}, {252, 100}}},
                                           LinkCase{"inactive, A above B",
                                                    {0, 0, 100, 17},
                                                    {200, 100, 300, 117},
                                                    false,
                                                    {{57, 17}, {57, 58}, {257, 58}, {257, 100}},
                                                    {{255, 94}, {259, 94}, {257, 100}}},
                                           LinkCase{"gap of exactly 12 below A is side by side",
                                                    {0, 0, 100, 17},
                                                    {0, 29, 100, 46},
                                                    true,
                                                    {{52, 17}, {52, 53}, {48, 53}, {48, 46}},
                                                    {{46, 52}, {50, 52}, {48, 46}}},
                                           LinkCase{"gap of 13 below A is A above B",
                                                    {0, 0, 100, 17},
                                                    {0, 30, 100, 47},
                                                    true,
                                                    {{52, 17}, {52, 23}, {52, 23}, {52, 30}},
                                                    {{50, 24}, {54, 24}, {52, 30}}},
                                           LinkCase{"gap of exactly 12 above A is side by side",
                                                    {0, 29, 100, 46},
                                                    {0, 0, 100, 17},
                                                    true,
                                                    {{52, 46}, {52, 53}, {48, 53}, {48, 17}},
                                                    {{46, 23}, {50, 23}, {48, 17}}},
                                           LinkCase{"halves of negative sums truncate toward zero",
                                                    {-101, 0, 0, 17},
                                                    {-101, 100, 0, 117},
                                                    true,
                                                    {{-48, 17}, {-48, 58}, {-48, 58}, {-48, 100}},
                                                    {{-50, 94}, {-46, 94}, {-48, 100}}}));

TEST(DrawLinkRange, GapTestsUseTrueSumsAtTheEndOfTheRange) {
  // A.Bottom + 12 would wrap to a negative number and pass for "A above B".
  TARNodeList list;
  RecordingCanvas canvas;
  const TRect a{0, kMax - 20, 100, kMax - 3};
  const TRect b{0, 0, 100, 17};
  list.DrawLink(canvas, a, b, true);
  const DrawCall line = canvas.CallsOf(CallKind::Polyline).at(0);
  EXPECT_EQ(line.points.front(), (TPoint{48, kMax - 20}));  // leaves A's top: A below B
  EXPECT_EQ(line.points.back(), (TPoint{48, 17}));
}

// ---- boxes -----------------------------------------------------------------

TEST(DrawBoxTest, ARNodeOutlineSeparatorStatusBarAndMarker) {
  TARNodeList list;
  const int32_t ar = AddAR(list, "ar1", 2, {10, 20, 110, 37}, 1);
  RecordingCanvas canvas(kOutline, 7);  // "ar1 (2)" is 49 wide: an odd remainder of 51
  list.DrawARNode(canvas, ar, {0, 0});

  const DrawCall text = canvas.CallsOf(CallKind::TextRect).at(0);
  EXPECT_EQ(text.text, "ar1 (2)");
  EXPECT_EQ(text.clip, (TRect{10, 20, 110, 37}));
  EXPECT_EQ(text.points[0], (TPoint{35, 20}));  // 25 pixels left of the label, 26 right

  const std::vector<Segment> expected = {
      {{10, 37}, {10, 20}, kOutline, PenStyle::Solid},
      {{10, 20}, {109, 20}, kOutline, PenStyle::Solid},
      {{109, 20}, {109, 37}, kOutline, PenStyle::Solid},
      {{10, 32}, {110, 32}, kBlue, PenStyle::Solid},
      {{10, 36}, {110, 36}, kGreen, PenStyle::Solid},
      {{10, 37}, {110, 37}, kGreen, PenStyle::Solid},
      {{109, 20}, {109, 36}, kYellow, PenStyle::Solid},
      {{108, 20}, {108, 36}, kYellow, PenStyle::Solid},
  };
  EXPECT_EQ(canvas.Segments(), expected);
  EXPECT_EQ(canvas.PenColor(), kOutline);
}

TEST(DrawBoxTest, ASNodeHasNoSeparatorAndARedBarWhenDown) {
  TARNodeList list;
  const int32_t ar = AddAR(list, "ar1", 1, {0, 0, 100, 17});
  AddAS(list, ar, "as1", 0, {200, 40, 300, 57});
  RecordingCanvas canvas(kOutline);
  list.Items(ar).SubASs.DrawASNode(canvas, 0, {-5, 3});

  const std::vector<Segment> expected = {
      {{195, 60}, {195, 43}, kOutline, PenStyle::Solid},
      {{195, 43}, {294, 43}, kOutline, PenStyle::Solid},
      {{294, 43}, {294, 60}, kOutline, PenStyle::Solid},
      {{195, 59}, {295, 59}, kRed, PenStyle::Solid},
      {{195, 60}, {295, 60}, kRed, PenStyle::Solid},
  };
  EXPECT_EQ(canvas.Segments(), expected);
  EXPECT_EQ(Labels(canvas), std::vector<std::string>{"as1 (0)"});
  EXPECT_EQ(canvas.PenColor(), kOutline);
}

TEST(DrawBoxTest, LabelWiderThanTheBoxStartsAtItsLeftEdge) {
  TARNodeList list;
  const int32_t ar = AddAR(list, std::string(40, 'n'), 3, {10, 20, 110, 37});
  RecordingCanvas canvas;
  list.DrawARNode(canvas, ar, {0, 0});
  const DrawCall text = canvas.CallsOf(CallKind::TextRect).at(0);
  EXPECT_EQ(text.points[0], (TPoint{10, 20}));
  EXPECT_EQ(text.clip, (TRect{10, 20, 110, 37}));
}

TEST(DrawBoxTest, IndexesOutsideTheListDrawNothing) {
  TARNodeList list;
  const int32_t ar = AddAR(list, "ar1", 1, {0, 0, 100, 17});
  AddAS(list, ar, "as1", 1, {0, 40, 100, 57});
  RecordingCanvas canvas;
  list.DrawARNode(canvas, -1, {0, 0});
  list.DrawARNode(canvas, 1, {0, 0});
  list.Items(ar).SubASs.DrawASNode(canvas, -1, {0, 0});
  list.Items(ar).SubASs.DrawASNode(canvas, 1, {0, 0});
  EXPECT_TRUE(canvas.Calls().empty());
}

// ---- the whole diagram -----------------------------------------------------

TEST(DrawDiagramTest, EmptyModelDrawsNothing) {
  TARNodeList list;
  RecordingCanvas canvas;
  EXPECT_EQ(list.DrawDiagram(canvas, {0, 0}, true), 0);
  EXPECT_TRUE(canvas.Calls().empty());
}

class DrawDiagramModel : public ::testing::Test {
 protected:
  void SetUp() override {
    parent_ = AddAR(list_, "p", 1, {0, 0, 100, 17});
    child_ = AddAR(list_, "c", 2, {0, 100, 100, 117});
    AddParent(list_, child_, "p", 1);
    AddAS(list_, child_, "s", 1, {200, 200, 300, 217});
  }

  std::vector<DrawCall> Lines(bool displayLinks, uint8_t* result) {
    RecordingCanvas canvas;
    *result = list_.DrawDiagram(canvas, {0, 0}, displayLinks);
    return canvas.CallsOf(CallKind::Polyline);
  }

  TARNodeList list_;
  int32_t parent_ = 0;
  int32_t child_ = 0;
};

TEST_F(DrawDiagramModel, ParentLinksThenServerLinksAllActive) {
  uint8_t result = 9;
  const std::vector<DrawCall> lines = Lines(true, &result);
  EXPECT_EQ(result, 0);
  ASSERT_EQ(lines.size(), 2u);
  // Child to parent, then server to its AR node; the arrow ends on the target.
  EXPECT_EQ(lines[0].points.front(), (TPoint{48, 100}));
  EXPECT_EQ(lines[0].points.back(), (TPoint{48, 17}));
  EXPECT_EQ(lines[1].points.front(), (TPoint{248, 200}));
  EXPECT_EQ(lines[1].points.back(), (TPoint{48, 117}));
  EXPECT_EQ(lines[0].style, PenStyle::Solid);
  EXPECT_EQ(lines[1].style, PenStyle::Solid);
}

TEST_F(DrawDiagramModel, ADownNodeMakesEveryLinkTouchingItInactive) {
  list_.Items(child_).ActiveCount = 0;
  uint8_t result = 0;
  const std::vector<DrawCall> lines = Lines(true, &result);
  EXPECT_EQ(result, 1);
  ASSERT_EQ(lines.size(), 2u);
  EXPECT_EQ(lines[0].style, PenStyle::Dotted);
  EXPECT_EQ(lines[0].points.front(), (TPoint{43, 100}));
  EXPECT_EQ(lines[1].style, PenStyle::Dotted);
}

TEST_F(DrawDiagramModel, EachSideOfALinkDecidesItsState) {
  uint8_t result = 0;
  list_.Items(child_).ParentARs.Items(0).ActiveCount = 0;
  std::vector<DrawCall> lines = Lines(true, &result);
  EXPECT_EQ(result, 1);
  EXPECT_EQ(lines.at(0).style, PenStyle::Dotted);
  EXPECT_EQ(lines.at(1).style, PenStyle::Solid);

  list_.Items(child_).ParentARs.Items(0).ActiveCount = 1;
  list_.Items(parent_).ActiveCount = 0;
  lines = Lines(true, &result);
  EXPECT_EQ(result, 1);
  EXPECT_EQ(lines.at(0).style, PenStyle::Dotted);

  list_.Items(parent_).ActiveCount = 1;
  list_.Items(child_).SubASs.Items(0).ActiveCount = 0;
  lines = Lines(true, &result);
  EXPECT_EQ(result, 1);
  EXPECT_EQ(lines.at(0).style, PenStyle::Solid);
  EXPECT_EQ(lines.at(1).style, PenStyle::Dotted);
}

TEST_F(DrawDiagramModel, SwitchOffDrawsBoxesOnlyAndReportsNothing) {
  list_.Items(child_).ActiveCount = 0;
  list_.Items(parent_).ActiveCount = 0;
  RecordingCanvas canvas;
  EXPECT_EQ(list_.DrawDiagram(canvas, {0, 0}, false), 0);
  EXPECT_TRUE(canvas.CallsOf(CallKind::Polyline).empty());
  EXPECT_TRUE(canvas.CallsOf(CallKind::Polygon).empty());
  EXPECT_EQ(canvas.CallsOf(CallKind::TextRect).size(), 3u);
}

TEST_F(DrawDiagramModel, UnboundParentLinksAreSkippedWithoutEffect) {
  // A node removed before the link's target leaves the binding one past the
  // end until links are resolved again; a new link is not bound at all.
  AddAR(list_, "z", 0, {0, 300, 100, 317});
  AddAR(list_, "q", 0, {0, 400, 100, 417});
  AddParent(list_, parent_, "q", 0);
  ASSERT_EQ(list_.RemoveNode(false, "z"), TARNodeList::RemoveResult::Removed);
  ASSERT_EQ(list_.Items(parent_).ParentARs.Items(0).ARIndex(), list_.Count());
  list_.AddOrUpdateParentAR(parent_, "gone", 0, Flags(0), 0);
  uint8_t result = 9;
  EXPECT_EQ(Lines(true, &result).size(), 2u);
  EXPECT_EQ(result, 0);
}

TEST_F(DrawDiagramModel, BoxesFromTheBackOfTheStackingOrderToTheFront) {
  // Stacking order [p, c, s]; bring s to the front: [s, c, p].
  list_.ZOrder.BringToFront(2);
  // Entries naming no record draw nothing.
  list_.ZOrder.Add(child_, 5);
  list_.ZOrder.Add(7, -1);
  list_.ZOrder.Add(7, 0);
  RecordingCanvas canvas;
  list_.DrawDiagram(canvas, {0, 0}, true);
  EXPECT_EQ(Labels(canvas), (std::vector<std::string>{"p (1)", "c (2)", "s (1)"}));
  // Every link is drawn before the first box.
  const std::vector<CallKind> kinds = Kinds(canvas);
  size_t lastLink = 0;
  size_t firstText = kinds.size();
  for (size_t i = 0; i < kinds.size(); ++i) {
    if (kinds[i] == CallKind::Polygon) lastLink = i;
    if (kinds[i] == CallKind::TextRect && firstText == kinds.size()) firstText = i;
  }
  EXPECT_LT(lastLink, firstText);
}

TEST_F(DrawDiagramModel, OffsetShiftsBoxesAndLinks) {
  RecordingCanvas canvas;
  list_.DrawDiagram(canvas, {-10, -100}, true);
  const std::vector<DrawCall> texts = canvas.CallsOf(CallKind::TextRect);
  ASSERT_EQ(texts.size(), 3u);
  EXPECT_EQ(texts[0].clip, (TRect{190, 100, 290, 117}));  // s, at the back
  const DrawCall line = canvas.CallsOf(CallKind::Polyline).at(0);
  EXPECT_EQ(line.points.front(), (TPoint{38, 0}));
}

// ---- culling ---------------------------------------------------------------

TEST(DrawingCullingTest, NothingOnScreenMakesNoCallsButStillReportsInactiveLinks) {
  TARNodeList list;
  const int32_t p = AddAR(list, "p", 0, {0, 0, 100, 17});
  const int32_t c = AddAR(list, "c", 1, {0, 100, 100, 117}, 1);
  AddParent(list, c, "p", 1);
  AddAS(list, p, "s", 1, {200, 0, 300, 17});
  RecordingCanvas canvas;
  canvas.SetClip({1000, 1000, 1200, 1100});
  EXPECT_EQ(list.DrawDiagram(canvas, {0, 0}, true), 1);
  EXPECT_TRUE(canvas.Calls().empty());
  canvas.SetClip({0, 0, 0, 0});
  EXPECT_EQ(list.DrawDiagram(canvas, {0, 0}, true), 1);
  EXPECT_TRUE(canvas.Calls().empty());
}

TEST(DrawingCullingTest, ClipBoxEdgesAgainstTheLowestPixelsDrawn) {
  // Two boxes side by side: the path runs at row 24 (7 below the bottoms),
  // the arrowhead's base at row 23, the lower status bar row at 17.
  TARNodeList list;
  const int32_t p = AddAR(list, "p", 1, {200, 0, 300, 17});
  const int32_t c = AddAR(list, "c", 1, {0, 0, 100, 17});
  AddParent(list, c, "p", 1);
  (void)p;
  struct Probe {
    TRect clip;
    size_t lines;
    size_t boxes;
  };
  for (const Probe& probe : {Probe{{0, 24, 400, 30}, 1, 0}, Probe{{0, 25, 400, 30}, 0, 0},
                             Probe{{0, 17, 400, 18}, 1, 2}, Probe{{0, 18, 400, 20}, 1, 0},
                             Probe{{99, 0, 100, 17}, 0, 1}, Probe{{101, 0, 199, 17}, 0, 0},
                             Probe{{-100, 0, 0, 17}, 0, 0}, Probe{{250, 23, 251, 24}, 1, 0},
                             Probe{{251, 18, 400, 30}, 0, 0}, Probe{{301, 0, 400, 30}, 0, 0}}) {
    RecordingCanvas canvas;
    canvas.SetClip(probe.clip);
    list.DrawDiagram(canvas, {0, 0}, true);
    EXPECT_EQ(canvas.CallsOf(CallKind::Polyline).size(), probe.lines) << probe.clip.Top;
    EXPECT_EQ(canvas.CallsOf(CallKind::TextRect).size(), probe.boxes)
        << probe.clip.Left << "," << probe.clip.Top;
  }
}

TEST(DrawingCullingTest, CulledRepaintMakesFewerCalls) {
  TARNodeList list;
  test::BuildMixedDiagram(list);
  RecordingCanvas all;
  list.DrawDiagram(all, {0, 0}, true);
  RecordingCanvas part;
  part.SetClip({0, 0, 60, 60});
  list.DrawDiagram(part, {0, 0}, true);
  EXPECT_LT(part.Calls().size() * 3, all.Calls().size());
}

// ---- pixels ----------------------------------------------------------------

// The raster canvas as a surface of the shared scenes.
class RasterSurface {
 public:
  RasterSurface(int32_t width, int32_t height) : canvas_(width, height) {}
  uint8_t Draw(const TARNodeList& list, bool displayLinks) {
    return list.DrawDiagram(canvas_, {0, 0}, displayLinks);
  }
  void Clip(const TRect& clip) { canvas_.SetClip(clip); }
  TColor At(int32_t x, int32_t y) const { return canvas_.At(x, y); }

 private:
  RasterCanvas canvas_;
};

class RasterScenes : public ::testing::TestWithParam<test::DrawingScene> {};

TEST_P(RasterScenes, PixelsAsOnGdi) { test::ExpectScene<RasterSurface>(GetParam()); }

INSTANTIATE_TEST_SUITE_P(Drawing, RasterScenes, ::testing::ValuesIn(test::DrawingScenes()),
                         test::SceneName);

TEST(RasterDrawing, RepaintOfPartOfTheCanvasGivesTheSamePixels) {
  test::ExpectClippedRepaintsMatch<RasterSurface>();
}

// ---- the ends of the coordinate range -----------------------------------------

TEST(DrawingRangeTest, BoxesAtTheEndsOfTheRangeDrawWithoutOverflow) {
  TARNodeList list;
  const int32_t high = AddAR(list, "high", 1, {kMax - 50, kMax - 10, kMax, kMax}, 1);
  const int32_t low = AddAR(list, "low", 0, {kMin, kMin, kMin + 100, kMin + 17});
  const int32_t odd = AddAR(list, "odd", 1, {kMax, kMax, kMin, kMin});
  AddParent(list, high, "low", 1);
  AddParent(list, low, "odd", 1);
  AddParent(list, odd, "high", 1);
  AddAS(list, high, "s", 1, {kMin, kMax - 17, kMin + 100, kMax});
  AddAS(list, low, "t", 1, {kMax - 100, kMin, kMax, kMin + 17}, 1);

  RecordingCanvas canvas;
  EXPECT_EQ(list.DrawDiagram(canvas, {kMax, kMin}, true), 1);
  EXPECT_EQ(canvas.CallsOf(CallKind::Polyline).size(), 5u);
  RasterCanvas raster(64, 64);
  EXPECT_EQ(list.DrawDiagram(raster, {0, 0}, true), 1);
  EXPECT_EQ(list.DrawDiagram(raster, {kMin, kMax}, true), 1);
}

}  // namespace
}  // namespace topo
