// GDI behind the drawing port. GDI's own conventions already match what the
// diagram needs: one-pixel cosmetic pens, LineTo and Polyline leaving out the
// last point, ExtTextOut clipping and filling the label rectangle; so each call
// maps onto one GDI call. Labels are drawn with the W functions from code page
// 936, so Chinese names show whatever the system code page is.
#include "win32/GdiCanvas.h"

#include <array>
#include <limits>

#include "win32/Cp936.h"

namespace topo::win32 {

namespace {

constexpr size_t kMaxCachedPens = 16;

// GDI coordinates are LONG, which is 32 bits on Windows like the model's. A
// link needs at most four points, so they live on the stack.
class Points {
 public:
  Points(const TPoint* points, size_t count) : count_(static_cast<int>(count)) {
    POINT* out = small_.data();
    if (count > small_.size()) {
      large_.resize(count);
      out = large_.data();
    }
    for (size_t i = 0; i < count; ++i) out[i] = {points[i].x, points[i].y};
    data_ = out;
  }
  const POINT* data() const { return data_; }
  int count() const { return count_; }

 private:
  std::array<POINT, 8> small_{};
  std::vector<POINT> large_;
  const POINT* data_ = nullptr;
  int count_;
};

}  // namespace

GdiCanvas::GdiCanvas(HDC dc)
    : dc_(dc),
      originalPen_(GetCurrentObject(dc, OBJ_PEN)),
      originalColor_(kBlack),
      originalStyle_(PenStyle::Solid),
      originalBkColor_(GetBkColor(dc)),
      opaque_(false) {
  LOGPEN pen{};
  if (originalPen_ && GetObjectW(originalPen_, sizeof pen, &pen) == sizeof pen) {
    originalColor_ = pen.lopnColor;
    originalStyle_ = (pen.lopnStyle & PS_STYLE_MASK) == PS_DOT ? PenStyle::Dotted : PenStyle::Solid;
  }
  color_ = originalColor_;
  style_ = originalStyle_;

  // Labels are filled with the selected brush, and so are the gaps of dotted
  // lines when the background mode is opaque.
  LOGBRUSH brush{};
  HGDIOBJ selected = GetCurrentObject(dc, OBJ_BRUSH);
  if (selected && GetObjectW(selected, sizeof brush, &brush) == sizeof brush &&
      brush.lbStyle == BS_SOLID) {
    opaque_ = true;
    SetBkColor(dc_, brush.lbColor);
  }
}

GdiCanvas::~GdiCanvas() {
  SelectObject(dc_, originalPen_);
  SetBkColor(dc_, originalBkColor_);
}

const std::wstring& GdiCanvas::Wide(const std::string& text) {
  if (text != narrow_) {
    narrow_ = text;
    wide_ = WideFromCp936(text);
  }
  return wide_;
}

int32_t GdiCanvas::TextWidth(const std::string& text) {
  const std::wstring& wide = Wide(text);
  SIZE size{};
  if (!GetTextExtentPoint32W(dc_, wide.c_str(), static_cast<int>(wide.size()), &size)) return 0;
  return size.cx;
}

void GdiCanvas::TextRect(const TRect& clip, int32_t x, int32_t y, const std::string& text) {
  const std::wstring& wide = Wide(text);
  const RECT rect{clip.Left, clip.Top, clip.Right, clip.Bottom};
  const UINT options = ETO_CLIPPED | (opaque_ ? ETO_OPAQUE : 0u);
  ExtTextOutW(dc_, x, y, options, &rect, wide.c_str(), static_cast<UINT>(wide.size()), nullptr);
}

void GdiCanvas::MoveTo(int32_t x, int32_t y) { MoveToEx(dc_, x, y, nullptr); }

void GdiCanvas::LineTo(int32_t x, int32_t y) { ::LineTo(dc_, x, y); }

void GdiCanvas::SetPenColor(TColor color) {
  if (color == color_) return;
  color_ = color;
  SelectPen();
}

void GdiCanvas::SetPenStyle(PenStyle style) {
  if (style == style_) return;
  style_ = style;
  SelectPen();
}

void GdiCanvas::SelectPen() {
  if (color_ == originalColor_ && style_ == originalStyle_) {
    SelectObject(dc_, originalPen_);
    return;
  }
  for (const CachedPen& cached : pens_) {
    if (cached.color == color_ && cached.style == style_) {
      SelectObject(dc_, cached.pen.Get());
      return;
    }
  }
  Pen pen(CreatePen(style_ == PenStyle::Dotted ? PS_DOT : PS_SOLID, 1, color_));
  if (!pen) return;  // out of GDI objects: keep drawing with the pen in place
  SelectObject(dc_, pen.Get());
  // A caller cycling through many colours must not exhaust GDI objects; the
  // pen just selected is the only one that cannot go.
  if (pens_.size() >= kMaxCachedPens) pens_.clear();
  pens_.push_back({color_, style_, std::move(pen)});
}

void GdiCanvas::Polyline(const TPoint* points, size_t count) {
  const Points gdi(points, count);
  ::Polyline(dc_, gdi.data(), gdi.count());
}

void GdiCanvas::Polygon(const TPoint* points, size_t count) {
  const Points gdi(points, count);
  ::Polygon(dc_, gdi.data(), gdi.count());
}

TRect GdiCanvas::ClipBox() const {
  RECT rect{};
  switch (GetClipBox(dc_, &rect)) {
    case NULLREGION:
      return {};
    case SIMPLEREGION:
    case COMPLEXREGION:
      return {rect.left, rect.top, rect.right, rect.bottom};
    default:  // no answer: cull nothing
      return {std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::min(),
              std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::max()};
  }
}

}  // namespace topo::win32
