// A small in-memory raster with a fixed-width fake font, so drawing tests can
// read pixel rows back natively as they would from a GDI memory DC: one-pixel
// pens with the end point left out, dotted pens whose gaps take the brush
// colour, opaque clipped text and filled polygons. Writes outside the clip box
// are dropped, so a repaint of part of the canvas can be compared with a full one.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

#include "model/Canvas.h"

namespace topo::test {

class RasterCanvas : public Canvas {
 public:
  // Every byte of a text takes a kCharWidth cell; a glyph fills columns 1..4 of
  // its cell in rows 2..8 below the text's top.
  static constexpr int32_t kCharWidth = 6;
  static constexpr TColor kPaper = 0x00FFFFFF;
  static constexpr TColor kBrush = 0x00C0C0C0;
  static constexpr TColor kInk = 0x00800000;

  RasterCanvas(int32_t width, int32_t height);

  int32_t TextWidth(const std::string& text) override;
  void TextRect(const TRect& clip, int32_t x, int32_t y, const std::string& text) override;
  void MoveTo(int32_t x, int32_t y) override {
    current_ = {x, y};
    dash_ = 0;
  }
  void LineTo(int32_t x, int32_t y) override;
  TColor PenColor() const override { return pen_; }
  void SetPenColor(TColor color) override { pen_ = color; }
  void SetPenStyle(PenStyle style) override { style_ = style; }
  void Polyline(const TPoint* points, size_t count) override;
  void Polygon(const TPoint* points, size_t count) override;
  TRect ClipBox() const override { return clip_; }

  // Limits later drawing to clip (within the raster).
  void SetClip(const TRect& clip);
  TColor At(int32_t x, int32_t y) const;
  int32_t Width() const { return width_; }
  int32_t Height() const { return height_; }
  PenStyle Style() const { return style_; }
  const std::vector<TColor>& Pixels() const { return pixels_; }

 private:
  void Plot(int64_t x, int64_t y, TColor color);
  // Colours from the current point up to, not including, to; the dash pattern
  // runs on from the previous segment.
  void Stroke(TPoint to);

  int32_t width_;
  int32_t height_;
  std::vector<TColor> pixels_;
  TRect clip_;
  TPoint current_{};
  int64_t dash_ = 0;
  TColor pen_ = kBlack;
  PenStyle style_ = PenStyle::Solid;
};

}  // namespace topo::test
