// Nearest-box search and keyboard moves; centres are compared in 64 bits so
// that boxes anywhere in the 32-bit range neither overflow nor wrap.
#include "model/KeyboardMoves.h"

#include <cstdlib>
#include <limits>

#include "model/Boxes.h"

namespace topo {

namespace {

struct Centre {
  int64_t x2;  // twice the centre, kept whole
  int64_t y2;
};

Centre CentreOf(const TRect& r) { return {int64_t{r.Left} + r.Right, int64_t{r.Top} + r.Bottom}; }

}  // namespace

int32_t NearestBox(const TARNodeList& list, TDirection direction) {
  return NearestBox(list, 0, direction);
}

int32_t NearestBox(const TARNodeList& list, int32_t position, TDirection direction) {
  if (position < 0 || position >= list.ZOrder.Count()) return -1;
  const TRect* selected = BoxOf(list, list.ZOrder.Items(position));
  if (!selected) return -1;
  const Centre from = CentreOf(*selected);
  int32_t best = -1;
  bool bestInCone = false;
  int64_t bestScore = std::numeric_limits<int64_t>::max();
  for (int32_t k = 0; k < list.ZOrder.Count(); ++k) {
    if (k == position) continue;
    const TRect* box = BoxOf(list, list.ZOrder.Items(k));
    if (!box) continue;
    const Centre to = CentreOf(*box);
    const int64_t dx = to.x2 - from.x2;
    const int64_t dy = to.y2 - from.y2;
    int64_t along = 0;
    int64_t across = 0;
    switch (direction) {
      case TDirection::Left:
        along = -dx, across = std::llabs(dy);
        break;
      case TDirection::Right:
        along = dx, across = std::llabs(dy);
        break;
      case TDirection::Up:
        along = -dy, across = std::llabs(dx);
        break;
      case TDirection::Down:
        along = dy, across = std::llabs(dx);
        break;
    }
    if (along <= 0) continue;
    const bool inCone = across <= along;
    const int64_t score = along + 2 * across;
    if (bestInCone && !inCone) continue;
    if ((inCone && !bestInCone) || score < bestScore) {
      best = k;
      bestInCone = inCone;
      bestScore = score;
    }
  }
  return best;
}

bool MoveSelected(TARNodeList& list, int32_t dx, int32_t dy, const TRect& canvas) {
  if (list.ZOrder.Count() == 0) return false;
  TRect* box = BoxOf(list, list.ZOrder.Items(0));
  if (!box) return false;
  const TRect moved = Offset(*box, {dx, dy});
  if (!Overlaps(moved, canvas) || moved == *box) return false;
  *box = moved;
  return true;
}

}  // namespace topo
