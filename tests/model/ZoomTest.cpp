// The zoom: client pixels and diagram points map onto each other so that hit
// testing agrees with what is drawn at every zoom, zooming about the mouse
// keeps the point under it, fitting shows everything, and the zoomed canvas
// draws at 100% exactly what the plain diagram drawing does.
#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>

#include "DiagramBuilders.h"
#include "RasterCanvas.h"
#include "model/Zoom.h"

namespace topo {
namespace {

constexpr int32_t kZooms[] = {25, 33, 67, 100, 150, 400};
constexpr TPoint kScrolls[] = {{0, 0}, {37, 11}, {-5, 250}};

TEST(ZoomViewTest, EveryPixelRoundTripsAndBoxesHoldTheirOwnPixels) {
  const TRect boxes[] = {{0, 0, 100, 17}, {-3, 5, 7, 9}, {41, 33, 42, 34}};
  for (int32_t percent : kZooms) {
    // The band the toolbar covers ends at the same pixel at every zoom.
    EXPECT_EQ(TZoomView(percent, {}, 32).ToClient(TPoint{0, 32}).y, 32);
    for (TPoint scroll : kScrolls) {
      const int32_t band = scroll.y == 11 ? 32 : 0;
      const TZoomView view(percent, scroll, band);
      for (int32_t c = -40; c < 120; ++c) {
        const std::optional<TPoint> d = view.ToDiagram({c, c});
        ASSERT_TRUE(d);
        // The pixel lies in the span the point's unit of the diagram covers.
        const TPoint from = view.ToClient(*d);
        const TPoint to = view.ToClient(TPoint{d->x + 1, d->y + 1});
        ASSERT_TRUE(from.x <= c && c < std::max(to.x, from.x + 1)) << percent << "% pixel " << c;
        if (percent <= 100) {
          ASSERT_EQ(from, (TPoint{c, c})) << percent << "% pixel " << c;
        }
        if (percent == 100) {
          ASSERT_EQ(*d, (TPoint{c + scroll.x, c + scroll.y}));
        }
        if (percent > 100) {
          ASSERT_EQ(view.ToDiagram(view.ToClient(TPoint{c, c})), (TPoint{c, c})) << percent;
        }
        for (const TRect& box : boxes) {
          const TRect pixels = view.ToClient(box);
          ASSERT_EQ(box.Contains(d->x, d->y), pixels.Contains(c, c)) << percent << "% pixel " << c;
        }
      }
    }
  }
  EXPECT_FALSE(TZoomView(25, {INT32_MAX, 0}).ToDiagram({INT32_MAX, 0}));
  EXPECT_EQ(TZoomView(400, {}).ToClient(TPoint{INT32_MAX, INT32_MIN}),
            (TPoint{INT32_MAX, INT32_MIN}));
  EXPECT_EQ(TZoomView(1000, {}).Percent(), 400);
  EXPECT_EQ(TZoomView(10, {}).Percent(), 25);
}

TEST(ZoomViewTest, HitTestingFindsTheSameBoxAt25And100And400) {
  TARNodeList list;
  const TRect boxes[] = {{8, 40, 108, 57},
                         {120, 40, 220, 57},
                         {64, 90, 164, 107},
                         {-50, -30, 50, -13},
                         {1000, 700, 1100, 717}};
  for (const TRect& box : boxes) test::AddAR(list, "n" + std::to_string(box.Left), 1, box);
  for (int32_t percent : {25, 100, 400}) {
    const TZoomView view(percent, {13, 29});
    for (const TRect& box : boxes) {
      // The box's middle and its corner pixels, as the zoomed box shows them.
      const TRect pixels = view.ToClient(box);
      for (const TPoint client :
           {TPoint{(pixels.Left + pixels.Right) / 2, (pixels.Top + pixels.Bottom) / 2},
            TPoint{pixels.Left, pixels.Top}, TPoint{pixels.Right - 1, pixels.Bottom - 1}}) {
        const std::optional<TPoint> hit = view.ToDiagram(client);
        ASSERT_TRUE(hit);
        const int32_t found = list.NodeAt(hit->x, hit->y);
        ASSERT_GE(found, 0) << percent << "% box at " << box.Left;
        const ZOrderEntry& e = list.ZOrder.Items(found);
        EXPECT_EQ(list.Items(e.ARIndex).Rect, box) << percent << "%";
      }
    }
  }
}

TEST(ZoomViewTest, ZoomingAboutAPointKeepsItUnderTheMouse) {
  const struct {
    int32_t from, to;
    TPoint client, scroll;
    int32_t band;
  } cases[] = {
      {100, 400, {300, 200}, {0, 0}, 0},    {100, 25, {300, 200}, {900, 700}, 32},
      {67, 200, {5, 470}, {120, 33}, 32},   {400, 33, {785, 1}, {3001, 77}, 0},
      {150, 125, {640, 320}, {17, 19}, 32}, {25, 400, {0, 0}, {0, 0}, 0},
  };
  for (const auto& c : cases) {
    const TZoomView before(c.from, c.scroll, c.band);
    const TZoomView after = before.ZoomedAbout(c.to, c.client);
    EXPECT_EQ(after.Percent(), c.to);
    // The exact point at the pixel's corner, before and after: half a pixel apart at most.
    const auto exact = [&](const TZoomView& v, int32_t client, int32_t scroll) {
      return (static_cast<double>(client) + scroll) * 100.0 / v.Percent();
    };
    EXPECT_LE(std::abs(exact(after, c.client.x, after.Scroll().x) -
                       exact(before, c.client.x, c.scroll.x)),
              50.0 / c.to + 1e-9)
        << c.from << "->" << c.to;
    EXPECT_LE(std::abs(exact(after, c.client.y - after.Shift(), after.Scroll().y) -
                       exact(before, c.client.y - before.Shift(), c.scroll.y)),
              50.0 / c.to + 1e-9)
        << c.from << "->" << c.to;
    // In and back out again returns to the same view.
    if (c.to > c.from) {
      const TZoomView back = after.ZoomedAbout(c.from, c.client);
      EXPECT_EQ(back.Scroll(), c.scroll) << c.from << "->" << c.to << "->" << c.from;
    }
  }
}

TEST(ZoomViewTest, WheelStopsAndFit) {
  const struct {
    int32_t from, notches, to;
  } steps[] = {{100, 1, 125}, {100, -1, 75}, {100, 3, 200}, {400, 1, 400}, {25, -2, 25},
               {37, 1, 50},   {37, -1, 33},  {33, -1, 25},  {100, 0, 100}, {999, -1, 300}};
  for (const auto& s : steps) EXPECT_EQ(ZoomStep(s.from, s.notches), s.to) << s.from;

  const TRect area{0, 32, 800, 600};
  const TRect contents[] = {
      {8, 40, 1908, 1900}, {300, 400, 500, 417}, {0, 0, 100000, 10}, {8, 40, 792, 590}};
  for (const TRect& content : contents) {
    const TZoomView fit = FitView(content, area, content.Top == 40 ? 32 : 0);
    const TRect shown = fit.ToClient(content);
    EXPECT_GE(fit.Scroll().x, 0);
    EXPECT_GE(fit.Scroll().y, 0);
    if (fit.Percent() == TZoomView::kMinPercent) continue;  // too large to fit at all
    EXPECT_LE(shown.Right - shown.Left, area.Right - area.Left) << content.Right;
    EXPECT_LE(shown.Bottom - shown.Top, area.Bottom - area.Top) << content.Right;
    EXPECT_LE(shown.Right, area.Right);
    EXPECT_LE(shown.Bottom, area.Bottom);
    EXPECT_GE(shown.Top, area.Top) << "under the toolbar";
    if (fit.Percent() < TZoomView::kMaxPercent) {
      const TRect larger = TZoomView(fit.Percent() + 1, {}).ToClient(content);
      EXPECT_TRUE(larger.Right - larger.Left > area.Right - area.Left ||
                  larger.Bottom - larger.Top > area.Bottom - area.Top)
          << "a larger zoom would fit " << content.Right;
    }
  }
  EXPECT_EQ(FitView({}, area).Percent(), 100);
}

TEST(ZoomCanvasTest, DrawsThePlainDiagramAt100AndScalesBoxesNotPens) {
  TARNodeList list;
  test::RandomDiagram(list, 99, 10, 3, 700, 500);
  const TPoint scroll{40, 25};
  test::RasterCanvas plain(600, 400), zoomed(600, 400);
  list.DrawDiagram(plain, {-scroll.x, -scroll.y}, true);
  ZoomCanvas through(zoomed, TZoomView(100, scroll), true);
  list.DrawDiagram(through, {}, true);
  EXPECT_EQ(plain.Pixels(), zoomed.Pixels());

  // One running box alone: at 200% its two status rows are 200 pixels wide
  // and one pixel high; without labels no ink is written.
  TARNodeList one;
  test::AddAR(one, "node", 1, {10, 10, 110, 27});
  for (const auto& [percent, labels] : {std::pair{200, true}, std::pair{50, false}}) {
    test::RasterCanvas raster(400, 200);
    ZoomCanvas canvas(raster, TZoomView(percent, {5, 5}), labels);
    one.DrawDiagram(canvas, {}, true);
    const auto count = [&](TColor c) {
      return std::count(raster.Pixels().begin(), raster.Pixels().end(), c);
    };
    const int32_t width = 100 * percent / 100;
    if (percent == 200) {
      EXPECT_EQ(count(kGreen), 2 * width);
    }
    EXPECT_EQ(count(test::RasterCanvas::kInk) > 0, labels) << percent;
    const TRect pixels = TZoomView(percent, {5, 5}).ToClient(TRect{10, 10, 110, 27});
    EXPECT_EQ(raster.At(pixels.Left + 1, pixels.Top + 1), test::RasterCanvas::kBrush) << percent;
  }
}

}  // namespace
}  // namespace topo
