// Rectangles and points of the diagram. A point lies inside a rectangle when
// Left <= x < Right and Top <= y < Bottom; the right and bottom edges are outside.
#pragma once

#include <cstdint>

namespace topo {

struct TPoint {
  int32_t x = 0;
  int32_t y = 0;
  friend bool operator==(const TPoint& a, const TPoint& b) { return a.x == b.x && a.y == b.y; }
  friend bool operator!=(const TPoint& a, const TPoint& b) { return !(a == b); }
};

struct TRect {
  int32_t Left = 0;
  int32_t Top = 0;
  int32_t Right = 0;
  int32_t Bottom = 0;

  bool IsEmpty() const { return Right <= Left || Bottom <= Top; }
  bool Contains(int32_t x, int32_t y) const {
    return Left <= x && x < Right && Top <= y && y < Bottom;
  }
  friend bool operator==(const TRect& a, const TRect& b) {
    return a.Left == b.Left && a.Top == b.Top && a.Right == b.Right && a.Bottom == b.Bottom;
  }
  friend bool operator!=(const TRect& a, const TRect& b) { return !(a == b); }
};

// Coordinates come from files, drags and reports; arithmetic on them wraps
// instead of overflowing, so a box near INT32_MAX never makes undefined behaviour.
inline int32_t WrapAdd(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) + static_cast<uint32_t>(b));
}
inline int32_t WrapSub(int32_t a, int32_t b) {
  return static_cast<int32_t>(static_cast<uint32_t>(a) - static_cast<uint32_t>(b));
}
// Half of a + b, truncated toward zero, computed without overflow.
inline int32_t HalfSum(int32_t a, int32_t b) {
  return static_cast<int32_t>((static_cast<int64_t>(a) + static_cast<int64_t>(b)) / 2);
}

inline TRect Offset(const TRect& r, TPoint d) {
  return {WrapAdd(r.Left, d.x), WrapAdd(r.Top, d.y), WrapAdd(r.Right, d.x), WrapAdd(r.Bottom, d.y)};
}

// The box every record starts with: 100 x 17, outside the canvas until placed.
constexpr TRect kDefaultBox{-500, -400, -400, -383};
constexpr int32_t kBoxWidth = 100;
constexpr int32_t kBoxHeight = 17;

}  // namespace topo
