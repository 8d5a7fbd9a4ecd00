// The one mapping between the diagram, where boxes are kept, dragged and
// saved, and the window's client area, which shows it zoomed and scrolled:
// client = floor(diagram * percent / 100) - scroll, and lower by a shift that
// keeps the band at the top that the toolbar covers the same at every zoom
// (a layout leaves that band free; zoomed out it would slide under the
// toolbar). At 100% the shift is 0 and the rule is exactly the unzoomed one,
// client point + scroll = diagram point. Whatever must agree on where a box
// is on screen (painting, hit testing, dragging, the focus rectangle, screen
// locations told to others) goes through TZoomView.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "model/Canvas.h"
#include "model/Geometry.h"

namespace topo {

class TZoomView {
 public:
  static constexpr int32_t kMinPercent = 25;
  static constexpr int32_t kMaxPercent = 400;

  TZoomView() = default;
  // The percent is clamped to kMinPercent..kMaxPercent; band is the height
  // of the strip at the top of the client area that the toolbar covers.
  TZoomView(int32_t percent, TPoint scroll, int32_t band = 0);

  int32_t Percent() const { return percent_; }
  TPoint Scroll() const { return scroll_; }
  int32_t Band() const { return band_; }
  // How much lower the diagram shows than the scroll alone would put it.
  int32_t Shift() const { return shift_; }

  // The client pixel a diagram point is drawn in (clamped to 32 bits).
  TPoint ToClient(TPoint diagram) const;
  // The pixels a diagram rectangle covers: from the pixel of its left and top
  // edges up to, not including, the pixel of its right and bottom edges.
  // Boxes that do not overlap in the diagram do not overlap on screen.
  TRect ToClient(const TRect& diagram) const;
  // The diagram point a client pixel stands for: the last one drawn into it,
  // so that a box contains it exactly when the box's pixels include the
  // pixel. None when it does not fit in 32 bits.
  std::optional<TPoint> ToDiagram(TPoint client) const;
  // The pixels a canvas length covers.
  int32_t Scaled(int32_t length) const;
  // The scroll ranges that show a canvas of this size from its top left
  // corner to its bottom right one.
  TPoint Ranges(TPoint canvas) const;

  // The same diagram at another zoom, scrolled so that the diagram point
  // under the client point stays under it (the window's scroll range may
  // clamp the result).
  TZoomView ZoomedAbout(int32_t percent, TPoint client) const;

 private:
  int32_t percent_ = 100;
  TPoint scroll_{};
  int32_t band_ = 0;
  int32_t shift_ = 0;  // band - the band's zoomed height
};

// The zoom a number of wheel notches away (positive: larger) through the
// usual stops; a zoom between stops moves to the nearest stop that way.
int32_t ZoomStep(int32_t percent, int32_t notches);

// The view showing all of content inside area (client coordinates): the
// largest zoom in range at which it fits, scrolled to put it at the area's
// top left. A scroll cannot be negative, so content near the diagram's
// origin stays there. An empty content gives 100% unscrolled.
TZoomView FitView(const TRect& content, const TRect& area, int32_t band = 0);

// Whether labels are worth writing at a zoom: below it their letters are a
// few pixels high, so the boxes are drawn without them.
bool LabelsLegible(int32_t percent);

// Draws the diagram zoomed: every call is handed on to a canvas in client
// pixels through the view. Pens stay one pixel wide. Labels are written in
// the inner canvas's font, which the caller has sized for the zoom; without
// labels a box is still filled.
class ZoomCanvas final : public Canvas {
 public:
  ZoomCanvas(Canvas& inner, const TZoomView& view, bool labels)
      : inner_(inner), view_(view), labels_(labels) {}

  int32_t TextWidth(const std::string& text) override;
  void TextRect(const TRect& clip, int32_t x, int32_t y, const std::string& text) override;
  void MoveTo(int32_t x, int32_t y) override;
  void LineTo(int32_t x, int32_t y) override;
  TColor PenColor() const override { return inner_.PenColor(); }
  void SetPenColor(TColor color) override { inner_.SetPenColor(color); }
  void SetPenStyle(PenStyle style) override { inner_.SetPenStyle(style); }
  void Polyline(const TPoint* points, size_t count) override;
  void Polygon(const TPoint* points, size_t count) override;
  // The inner clip box in diagram coordinates, a pixel wider all round.
  TRect ClipBox() const override;

 private:
  void Forward(const TPoint* points, size_t count, bool closed);

  Canvas& inner_;
  TZoomView view_;
  bool labels_;
};

}  // namespace topo
