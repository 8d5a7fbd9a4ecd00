// Keeps the drawing calls of the core for the tests that compare exact points.
#include "RecordingCanvas.h"

namespace topo::test {

DrawCall RecordingCanvas::Record(CallKind kind) {
  DrawCall call{kind, {}, {}, {}, pen_, style_};
  return call;
}

int32_t RecordingCanvas::TextWidth(const std::string& text) {
  DrawCall call = Record(CallKind::TextWidth);
  call.text = text;
  calls_.push_back(std::move(call));
  return static_cast<int32_t>(text.size()) * charWidth_;
}

void RecordingCanvas::TextRect(const TRect& clip, int32_t x, int32_t y, const std::string& text) {
  DrawCall call = Record(CallKind::TextRect);
  call.points = {{x, y}};
  call.clip = clip;
  call.text = text;
  calls_.push_back(std::move(call));
}

void RecordingCanvas::MoveTo(int32_t x, int32_t y) {
  DrawCall call = Record(CallKind::MoveTo);
  call.points = {{x, y}};
  calls_.push_back(std::move(call));
}

void RecordingCanvas::LineTo(int32_t x, int32_t y) {
  DrawCall call = Record(CallKind::LineTo);
  call.points = {{x, y}};
  calls_.push_back(std::move(call));
}

void RecordingCanvas::SetPenColor(TColor color) {
  pen_ = color;
  calls_.push_back(Record(CallKind::SetPenColor));
}

void RecordingCanvas::SetPenStyle(PenStyle style) {
  style_ = style;
  calls_.push_back(Record(CallKind::SetPenStyle));
}

void RecordingCanvas::Polyline(const TPoint* points, size_t count) {
  DrawCall call = Record(CallKind::Polyline);
  call.points.assign(points, points + count);
  calls_.push_back(std::move(call));
}

void RecordingCanvas::Polygon(const TPoint* points, size_t count) {
  DrawCall call = Record(CallKind::Polygon);
  call.points.assign(points, points + count);
  calls_.push_back(std::move(call));
}

std::vector<DrawCall> RecordingCanvas::CallsOf(CallKind kind) const {
  std::vector<DrawCall> result;
  for (const DrawCall& call : calls_) {
    if (call.kind == kind) result.push_back(call);
  }
  return result;
}

std::vector<Segment> RecordingCanvas::Segments() const {
  std::vector<Segment> result;
  TPoint current{};
  for (const DrawCall& call : calls_) {
    if (call.kind == CallKind::MoveTo) {
      current = call.points[0];
    } else if (call.kind == CallKind::LineTo) {
      result.push_back({current, call.points[0], call.color, call.style});
      current = call.points[0];
    }
  }
  return result;
}

}  // namespace topo::test
