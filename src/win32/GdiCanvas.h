// The drawing port over a GDI device context that the caller owns and has set
// up: its selected font, text colour and brush are the label font, the label
// colour and the fill of labels and arrowheads; its selected pen is the
// starting pen. Pens are created once per colour and style and kept for the
// canvas's life, because a diagram switches pens several times per box.
#pragma once

#include <windows.h>

#include <memory>
#include <string>
#include <type_traits>
#include <vector>

#include "model/Canvas.h"
#include "win32/GdiHandles.h"

namespace topo::win32 {

class GdiCanvas final : public Canvas {
 public:
  explicit GdiCanvas(HDC dc);
  ~GdiCanvas() override;
  GdiCanvas(const GdiCanvas&) = delete;
  GdiCanvas& operator=(const GdiCanvas&) = delete;

  int32_t TextWidth(const std::string& text) override;
  void TextRect(const TRect& clip, int32_t x, int32_t y, const std::string& text) override;
  void MoveTo(int32_t x, int32_t y) override;
  void LineTo(int32_t x, int32_t y) override;
  TColor PenColor() const override { return color_; }
  void SetPenColor(TColor color) override;
  void SetPenStyle(PenStyle style) override;
  void Polyline(const TPoint* points, size_t count) override;
  void Polygon(const TPoint* points, size_t count) override;
  TRect ClipBox() const override;

 private:
  struct CachedPen {
    TColor color;
    PenStyle style;
    Pen pen;
  };
  void SelectPen();
  // The UTF-16 form of a label; a box asks for its width and then draws it,
  // so the last conversion is kept.
  const std::wstring& Wide(const std::string& text);

  HDC dc_;
  HGDIOBJ originalPen_;
  TColor originalColor_;
  PenStyle originalStyle_;
  COLORREF originalBkColor_;
  bool opaque_;
  TColor color_;
  PenStyle style_;
  std::vector<CachedPen> pens_;
  std::string narrow_;
  std::wstring wide_;
};

}  // namespace topo::win32
