// The drawing surface of the diagram. The core draws through this port only,
// so it never names an imaging API; the shell implements it with GDI and the
// native tests with recording and raster canvases.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>

#include "model/Geometry.h"

namespace topo {

// Colours are kept in the 0x00BBGGRR layout that GDI uses.
using TColor = uint32_t;
constexpr TColor Rgb(uint8_t r, uint8_t g, uint8_t b) {
  return static_cast<TColor>(r) | (static_cast<TColor>(g) << 8) | (static_cast<TColor>(b) << 16);
}
constexpr TColor kBlack = Rgb(0, 0, 0);
constexpr TColor kBlue = Rgb(0, 0, 255);
constexpr TColor kGreen = Rgb(0, 128, 0);
constexpr TColor kRed = Rgb(255, 0, 0);
constexpr TColor kYellow = Rgb(255, 255, 0);

enum class PenStyle { Solid, Dotted };

class Canvas {
 public:
  virtual ~Canvas() = default;
  // Width in pixels of a code page 936 text in the current font.
  virtual int32_t TextWidth(const std::string& text) = 0;
  // Fills clip with the current brush and writes text at (x, y), clipped to clip.
  virtual void TextRect(const TRect& clip, int32_t x, int32_t y, const std::string& text) = 0;
  virtual void MoveTo(int32_t x, int32_t y) = 0;
  // Colours the pixels from the current point up to, not including, (x, y).
  virtual void LineTo(int32_t x, int32_t y) = 0;
  virtual TColor PenColor() const = 0;
  virtual void SetPenColor(TColor color) = 0;
  virtual void SetPenStyle(PenStyle style) = 0;
  virtual void Polyline(const TPoint* points, size_t count) = 0;
  // Closed polygon outlined with the pen and filled with the current brush.
  virtual void Polygon(const TPoint* points, size_t count) = 0;
  // The part of the canvas a repaint may change, in the canvas's coordinates;
  // drawing may skip whatever lies wholly outside it.
  virtual TRect ClipBox() const = 0;
};

}  // namespace topo
