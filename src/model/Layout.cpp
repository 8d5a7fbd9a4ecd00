// Puts boxes on the canvas: new and stranded boxes onto a circle, or every box
// into a grid on request. The canvas comes from the operator's settings and the
// boxes from files and drags, so the arithmetic is done in 64 bits and clamped
// back to 32, never overflowing whatever the extremes.
#include <algorithm>
#include <cmath>

#include "model/Nodes.h"
#include "model/Prefetch.h"
#include "model/TextFields.h"

namespace topo {

namespace {

constexpr int64_t kCircleAllowanceX = 200;
constexpr int64_t kCircleAllowanceY = 34;
constexpr int64_t kCircleInset = 30;
constexpr int64_t kGridLeft = 8;
constexpr int64_t kGridTop = 40;
constexpr int64_t kColumnPitch = 130;
constexpr int64_t kRowPitch = 34;
constexpr int32_t kDefaultHeightSetting = 300;

// Clamped so that the box's far edge still fits in 32 bits.
TRect BoxAt(int64_t left, int64_t top) {
  const auto clamp = [](int64_t v, int64_t size) {
    return static_cast<int32_t>(std::clamp<int64_t>(v, INT32_MIN, int64_t{INT32_MAX} - size));
  };
  const int32_t l = clamp(left, kBoxWidth);
  const int32_t t = clamp(top, kBoxHeight);
  return {l, t, l + kBoxWidth, t + kBoxHeight};
}

bool Meets(const TRect& a, const TRect& b) {
  return std::max(a.Left, b.Left) < std::min(a.Right, b.Right) &&
         std::max(a.Top, b.Top) < std::min(a.Bottom, b.Bottom);
}

}  // namespace

void TARNodeList::PlaceOutsideNodes(const TRect& canvas) {
  if (canvas.IsEmpty()) return;
  const int64_t w = int64_t{canvas.Right} - canvas.Left;
  const int64_t h = int64_t{canvas.Bottom} - canvas.Top;
  const int64_t r = std::min(w - kCircleAllowanceX, h - kCircleAllowanceY) / 2 - kCircleInset;
  const int64_t cx = (int64_t{canvas.Left} + canvas.Right) / 2;
  const int64_t cy = (int64_t{canvas.Top} + canvas.Bottom) / 2;
  const int32_t n = ZOrder.Count();
  if (n == 0) return;
  // After the first refresh every box is usually on the canvas. Looking at
  // the records in memory order finds that without the stacking order's
  // indirection; the slots on the circle need the stacking order only when
  // some box has to move.
  const auto onCanvas = [&canvas](const TRect& box) { return Meets(canvas, box); };
  bool allOnCanvas = true;
  for (size_t i = 0; i < nodes_.size() && allOnCanvas; ++i) {
    if (i + 1 < nodes_.size()) nodes_[i + 1]->SubASs.Prefetch();
    if (i + 2 < nodes_.size()) PrefetchAddress(nodes_[i + 2].get());
    const TARNode& node = *nodes_[i];
    allOnCanvas = onCanvas(node.Rect) && node.SubASs.AllBoxes(onCanvas);
  }
  if (allOnCanvas) return;
  // Extended precision where the platform has it; pi rounded to nearest in it.
  const long double pi = 3.141592653589793238462643383279502884L;
  const long double radius = static_cast<long double>(r);
  for (int32_t k = 0; k < n; ++k) {
    TRect& box = BoxOf(ZOrder.Items(k));
    if (Meets(canvas, box)) continue;
    const long double a = (2.0L * k * pi) / n;
    const auto dx = static_cast<int64_t>(std::ceil(std::sin(a) * radius));
    const auto dy = static_cast<int64_t>(std::ceil(std::cos(a) * radius));
    box = BoxAt(dx + cx, cy - dy);
  }
}

std::optional<int32_t> TARNodeList::ReLocate(const TRect& canvas,
                                             const std::string& heightSettingText) {
  if (canvas.IsEmpty()) return std::nullopt;
  const int64_t w = int64_t{canvas.Right} - canvas.Left;
  const int64_t columns = (w - kGridLeft) / kColumnPitch;
  int64_t col = 0;
  int64_t row = 0;
  for (int32_t k = 0; k < ZOrder.Count(); ++k) {
    BoxOf(ZOrder.Items(k)) = BoxAt(kColumnPitch * col + kGridLeft, kRowPitch * row + kGridTop);
    if (++col >= columns) {
      col = 0;
      ++row;
    }
  }
  const int64_t needed = std::min<int64_t>((row + 1) * kRowPitch + kGridTop, INT32_MAX);
  const int32_t current = ParseInt32(heightSettingText).value_or(kDefaultHeightSetting);
  if (current < needed) return static_cast<int32_t>(needed);
  return std::nullopt;
}

}  // namespace topo
