// Rasterises the drawing port's calls into memory for the native pixel tests.
// Coordinates may be anywhere in the 32-bit range; only the pixels that fall on
// the raster are visited, so a box near the end of the range costs nothing.
#include "RasterCanvas.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

namespace topo::test {

namespace {

// Dotted pens: three pixels on, three off.
bool DashOn(int64_t step) { return (step / 3) % 2 == 0; }

}  // namespace

RasterCanvas::RasterCanvas(int32_t width, int32_t height)
    : width_(width),
      height_(height),
      pixels_(static_cast<size_t>(width) * static_cast<size_t>(height), kPaper),
      clip_{0, 0, width, height} {}

void RasterCanvas::SetClip(const TRect& clip) {
  clip_ = {std::max(clip.Left, 0), std::max(clip.Top, 0), std::min(clip.Right, width_),
           std::min(clip.Bottom, height_)};
}

TColor RasterCanvas::At(int32_t x, int32_t y) const {
  if (x < 0 || y < 0 || x >= width_ || y >= height_) return kPaper;
  return pixels_[static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)];
}

void RasterCanvas::Plot(int64_t x, int64_t y, TColor color) {
  if (x < clip_.Left || x >= clip_.Right || y < clip_.Top || y >= clip_.Bottom) return;
  pixels_[static_cast<size_t>(y) * static_cast<size_t>(width_) + static_cast<size_t>(x)] = color;
}

int32_t RasterCanvas::TextWidth(const std::string& text) {
  return static_cast<int32_t>(text.size()) * kCharWidth;
}

void RasterCanvas::TextRect(const TRect& clip, int32_t x, int32_t y, const std::string& text) {
  const int64_t left = std::max<int64_t>(clip.Left, clip_.Left);
  const int64_t right = std::min<int64_t>(clip.Right, clip_.Right);
  const int64_t top = std::max<int64_t>(clip.Top, clip_.Top);
  const int64_t bottom = std::min<int64_t>(clip.Bottom, clip_.Bottom);
  for (int64_t py = top; py < bottom; ++py) {
    for (int64_t px = left; px < right; ++px) {
      const int64_t dx = px - x;
      const int64_t dy = py - y;
      const int64_t cell = dx >= 0 ? dx / kCharWidth : -1;
      const int64_t column = dx - cell * kCharWidth;
      const bool glyph = cell >= 0 && cell < static_cast<int64_t>(text.size()) &&
                         text[static_cast<size_t>(cell)] != ' ' && column >= 1 && column <= 4 &&
                         dy >= 2 && dy <= 8;
      Plot(px, py, glyph ? kInk : kBrush);
    }
  }
}

void RasterCanvas::Stroke(TPoint to) {
  const int64_t x0 = current_.x;
  const int64_t y0 = current_.y;
  const int64_t dx = static_cast<int64_t>(to.x) - x0;
  const int64_t dy = static_cast<int64_t>(to.y) - y0;
  const int64_t steps = std::max(std::llabs(dx), std::llabs(dy));
  current_ = to;
  if (steps == 0) return;
  const bool alongX = std::llabs(dx) >= std::llabs(dy);
  // Only the steps whose major coordinate lands on the raster are visited.
  const int64_t origin = alongX ? x0 : y0;
  const int64_t sign = (alongX ? dx : dy) > 0 ? 1 : -1;
  const int64_t limit = alongX ? width_ : height_;
  int64_t first = sign > 0 ? -origin : origin - (limit - 1);
  int64_t last = sign > 0 ? limit - 1 - origin : origin;
  first = std::max<int64_t>(first, 0);
  last = std::min<int64_t>(last, steps - 1);
  for (int64_t i = first; i <= last; ++i) {
    // Rounded to the nearest pixel, halves away from the start.
    const int64_t minor = alongX ? dy : dx;
    const int64_t offset = (2 * i * minor + (minor >= 0 ? steps : -steps)) / (2 * steps);
    const int64_t px = alongX ? x0 + sign * i : x0 + offset;
    const int64_t py = alongX ? y0 + offset : y0 + sign * i;
    const bool on = style_ == PenStyle::Solid || DashOn(dash_ + i);
    Plot(px, py, on ? pen_ : kBrush);
  }
  dash_ += steps;
}

void RasterCanvas::LineTo(int32_t x, int32_t y) { Stroke({x, y}); }

void RasterCanvas::Polyline(const TPoint* points, size_t count) {
  if (count == 0) return;
  const TPoint saved = current_;
  current_ = points[0];
  dash_ = 0;
  for (size_t i = 1; i < count; ++i) Stroke(points[i]);
  current_ = saved;
}

void RasterCanvas::Polygon(const TPoint* points, size_t count) {
  if (count < 2) return;
  int64_t left = points[0].x, right = points[0].x, top = points[0].y, bottom = points[0].y;
  for (size_t i = 1; i < count; ++i) {
    left = std::min<int64_t>(left, points[i].x);
    right = std::max<int64_t>(right, points[i].x);
    top = std::min<int64_t>(top, points[i].y);
    bottom = std::max<int64_t>(bottom, points[i].y);
  }
  left = std::max<int64_t>(left, clip_.Left);
  top = std::max<int64_t>(top, clip_.Top);
  right = std::min<int64_t>(right, clip_.Right - 1);
  bottom = std::min<int64_t>(bottom, clip_.Bottom - 1);
  // Interior: pixel centres inside by the even-odd rule.
  for (int64_t py = top; py <= bottom; ++py) {
    const double cy = static_cast<double>(py) + 0.5;
    for (int64_t px = left; px <= right; ++px) {
      const double cx = static_cast<double>(px) + 0.5;
      bool inside = false;
      for (size_t i = 0, j = count - 1; i < count; j = i++) {
        const double xi = points[i].x, yi = points[i].y, xj = points[j].x, yj = points[j].y;
        if ((yi > cy) != (yj > cy) && cx < (xj - xi) * (cy - yi) / (yj - yi) + xi) inside = !inside;
      }
      if (inside) Plot(px, py, kBrush);
    }
  }
  // Outline in the current pen, closed, so every vertex is coloured.
  const TPoint saved = current_;
  current_ = points[count - 1];
  dash_ = 0;
  for (size_t i = 0; i < count; ++i) Stroke(points[i]);
  current_ = saved;
}

}  // namespace topo::test
