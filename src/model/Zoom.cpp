// Zoom arithmetic in 64 bits: diagram coordinates come from files and drags
// and may lie anywhere in 32 bits, four times which does not fit.
#include "model/Zoom.h"

#include <algorithm>
#include <array>
#include <limits>
#include <vector>

namespace topo {

namespace {

constexpr std::array<int32_t, 11> kStops = {25, 33, 50, 67, 75, 100, 125, 150, 200, 300, 400};
constexpr int32_t kLegiblePercent = 50;

int64_t FloorDiv(int64_t a, int64_t b) {
  const int64_t q = a / b;
  return (a % b != 0 && ((a < 0) != (b < 0))) ? q - 1 : q;
}

int32_t Clamp32(int64_t v) {
  return static_cast<int32_t>(std::clamp<int64_t>(v, std::numeric_limits<int32_t>::min(),
                                                  std::numeric_limits<int32_t>::max()));
}

int64_t ToPixel(int32_t diagram, int32_t percent, int32_t scroll) {
  return FloorDiv(int64_t{diagram} * percent, 100) - scroll;
}

// The last diagram coordinate whose pixel is at or before pixel p (scrolled):
// max{d : floor(d * percent / 100) <= p}.
int64_t FromPixel(int32_t client, int32_t percent, int32_t scroll) {
  return FloorDiv(100 * (int64_t{client} + scroll + 1) - 1, percent);
}

bool Fits32(int64_t v) {
  return v >= std::numeric_limits<int32_t>::min() && v <= std::numeric_limits<int32_t>::max();
}

}  // namespace

TZoomView::TZoomView(int32_t percent, TPoint scroll, int32_t band)
    : percent_(std::clamp(percent, kMinPercent, kMaxPercent)),
      scroll_(scroll),
      band_(band),
      shift_(Clamp32(int64_t{band} - ToPixel(band, percent_, 0))) {}

TPoint TZoomView::ToClient(TPoint diagram) const {
  return {Clamp32(ToPixel(diagram.x, percent_, scroll_.x)),
          Clamp32(ToPixel(diagram.y, percent_, scroll_.y) + shift_)};
}

TRect TZoomView::ToClient(const TRect& diagram) const {
  const TPoint topLeft = ToClient(TPoint{diagram.Left, diagram.Top});
  const TPoint bottomRight = ToClient(TPoint{diagram.Right, diagram.Bottom});
  return {topLeft.x, topLeft.y, bottomRight.x, bottomRight.y};
}

std::optional<TPoint> TZoomView::ToDiagram(TPoint client) const {
  const int64_t x = FromPixel(client.x, percent_, scroll_.x);
  const int64_t y = FromPixel(client.y, percent_, WrapSub(scroll_.y, shift_));
  if (!Fits32(x) || !Fits32(y)) return std::nullopt;
  return TPoint{static_cast<int32_t>(x), static_cast<int32_t>(y)};
}

int32_t TZoomView::Scaled(int32_t length) const { return Clamp32(ToPixel(length, percent_, 0)); }

TPoint TZoomView::Ranges(TPoint canvas) const {
  return {std::max(0, Scaled(canvas.x)), std::max(0, Clamp32(int64_t{Scaled(canvas.y)} + shift_))};
}

TZoomView TZoomView::ZoomedAbout(int32_t percent, TPoint client) const {
  const int32_t to = std::clamp(percent, kMinPercent, kMaxPercent);
  // The exact diagram point at the pixel's corner, (client + scroll) * 100 /
  // percent, lands on the same pixel at the new zoom, rounded to the nearest.
  const TZoomView unscrolled(to, {}, band_);
  const auto axis = [&](int32_t c, int32_t s, int32_t from, int32_t onto) {
    const int64_t scaled =
        FloorDiv((int64_t{c} - from + s) * to * 2 + percent_, int64_t{percent_} * 2);
    return Clamp32(scaled - c + onto);
  };
  return TZoomView(
      to, {axis(client.x, scroll_.x, 0, 0), axis(client.y, scroll_.y, shift_, unscrolled.shift_)},
      band_);
}

int32_t ZoomStep(int32_t percent, int32_t notches) {
  int32_t now = std::clamp(percent, TZoomView::kMinPercent, TZoomView::kMaxPercent);
  for (; notches > 0; --notches) {
    const auto next = std::upper_bound(kStops.begin(), kStops.end(), now);
    if (next == kStops.end()) break;
    now = *next;
  }
  for (; notches < 0; ++notches) {
    const auto at = std::lower_bound(kStops.begin(), kStops.end(), now);
    if (at == kStops.begin()) break;
    now = *(at - 1);
  }
  return now;
}

TZoomView FitView(const TRect& content, const TRect& area, int32_t band) {
  if (content.IsEmpty() || area.IsEmpty()) return TZoomView(100, {}, band);
  const int64_t across =
      (int64_t{area.Right} - area.Left) * 100 / (int64_t{content.Right} - content.Left);
  const int64_t down =
      (int64_t{area.Bottom} - area.Top) * 100 / (int64_t{content.Bottom} - content.Top);
  const auto percent = static_cast<int32_t>(
      std::clamp<int64_t>(std::min(across, down), TZoomView::kMinPercent, TZoomView::kMaxPercent));
  const TZoomView unscrolled(percent, {}, band);
  const TPoint corner = unscrolled.ToClient(TPoint{content.Left, content.Top});
  return TZoomView(
      percent,
      {std::max(0, WrapSub(corner.x, area.Left)), std::max(0, WrapSub(corner.y, area.Top))}, band);
}

bool LabelsLegible(int32_t percent) { return percent >= kLegiblePercent; }

int32_t ZoomCanvas::TextWidth(const std::string& text) {
  if (!labels_) return 0;
  // Rounded up, so that a label that fits its zoomed box is not taken for
  // one wider than the box and left-aligned.
  const int64_t pixels = inner_.TextWidth(text);
  return Clamp32(FloorDiv(pixels * 100 + view_.Percent() - 1, view_.Percent()));
}

void ZoomCanvas::TextRect(const TRect& clip, int32_t x, int32_t y, const std::string& text) {
  const TPoint at = view_.ToClient(TPoint{x, y});
  inner_.TextRect(view_.ToClient(clip), at.x, at.y, labels_ ? text : std::string());
}

void ZoomCanvas::MoveTo(int32_t x, int32_t y) {
  const TPoint p = view_.ToClient(TPoint{x, y});
  inner_.MoveTo(p.x, p.y);
}

void ZoomCanvas::LineTo(int32_t x, int32_t y) {
  const TPoint p = view_.ToClient(TPoint{x, y});
  inner_.LineTo(p.x, p.y);
}

void ZoomCanvas::Forward(const TPoint* points, size_t count, bool closed) {
  std::array<TPoint, 8> small{};
  std::vector<TPoint> large;
  TPoint* out = small.data();
  if (count > small.size()) {
    large.resize(count);
    out = large.data();
  }
  for (size_t i = 0; i < count; ++i) out[i] = view_.ToClient(points[i]);
  if (closed)
    inner_.Polygon(out, count);
  else
    inner_.Polyline(out, count);
}

void ZoomCanvas::Polyline(const TPoint* points, size_t count) { Forward(points, count, false); }

void ZoomCanvas::Polygon(const TPoint* points, size_t count) { Forward(points, count, true); }

TRect ZoomCanvas::ClipBox() const {
  const TRect clip = inner_.ClipBox();
  if (clip.IsEmpty()) return {};
  const int32_t percent = view_.Percent();
  // The band's shift is a scroll the other way.
  const TPoint scroll{view_.Scroll().x, WrapSub(view_.Scroll().y, view_.Shift())};
  const auto low = [percent](int32_t c, int32_t s) {
    return Clamp32(FloorDiv((int64_t{c} + s) * 100, percent) - 1);
  };
  const auto high = [percent](int32_t c, int32_t s) {
    return Clamp32(FloorDiv((int64_t{c} + s) * 100 + percent - 1, percent) + 1);
  };
  return {low(clip.Left, scroll.x), low(clip.Top, scroll.y), high(clip.Right, scroll.x),
          high(clip.Bottom, scroll.y)};
}

}  // namespace topo
