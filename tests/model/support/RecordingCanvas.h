// A canvas that keeps every call with the pen in effect at that moment, so a
// test can compare the exact points of a link or a box outline and see which
// colour and style each stroke was made with.
#pragma once

#include <cstdint>
#include <limits>
#include <string>
#include <vector>

#include "model/Canvas.h"

namespace topo::test {

enum class CallKind {
  TextWidth,
  TextRect,
  MoveTo,
  LineTo,
  SetPenColor,
  SetPenStyle,
  Polyline,
  Polygon
};

struct DrawCall {
  CallKind kind;
  std::vector<TPoint> points;  // MoveTo, LineTo: the point; TextRect: where the text starts
  TRect clip{};                // TextRect only
  std::string text;            // TextWidth, TextRect
  TColor color = kBlack;       // the pen colour (after the call, for SetPenColor)
  PenStyle style = PenStyle::Solid;
};

// One straight stroke from a MoveTo/LineTo sequence.
struct Segment {
  TPoint from;
  TPoint to;
  TColor color;
  PenStyle style;
  friend bool operator==(const Segment& a, const Segment& b) {
    return a.from == b.from && a.to == b.to && a.color == b.color && a.style == b.style;
  }
};

class RecordingCanvas : public Canvas {
 public:
  static constexpr TRect kEverywhere{
      std::numeric_limits<int32_t>::min(), std::numeric_limits<int32_t>::min(),
      std::numeric_limits<int32_t>::max(), std::numeric_limits<int32_t>::max()};

  // Every byte of a text is charWidth pixels wide.
  explicit RecordingCanvas(TColor pen = kBlack, int32_t charWidth = 6)
      : pen_(pen), charWidth_(charWidth) {}

  int32_t TextWidth(const std::string& text) override;
  void TextRect(const TRect& clip, int32_t x, int32_t y, const std::string& text) override;
  void MoveTo(int32_t x, int32_t y) override;
  void LineTo(int32_t x, int32_t y) override;
  TColor PenColor() const override { return pen_; }
  void SetPenColor(TColor color) override;
  void SetPenStyle(PenStyle style) override;
  void Polyline(const TPoint* points, size_t count) override;
  void Polygon(const TPoint* points, size_t count) override;
  TRect ClipBox() const override { return clip_; }

  void SetClip(const TRect& clip) { clip_ = clip; }
  PenStyle Style() const { return style_; }
  const std::vector<DrawCall>& Calls() const { return calls_; }
  std::vector<DrawCall> CallsOf(CallKind kind) const;
  // The LineTo strokes, in order, each from the point before it.
  std::vector<Segment> Segments() const;
  void Clear() { calls_.clear(); }

 private:
  DrawCall Record(CallKind kind);
  std::vector<DrawCall> calls_;
  TColor pen_;
  PenStyle style_ = PenStyle::Solid;
  int32_t charWidth_;
  TRect clip_ = kEverywhere;
};

}  // namespace topo::test
