// The mouse's part of the model: the buttons the window reports, and what a
// left press on a box records so that every later move places the box by the
// travel since the press (not by the last step, which would let rounding and
// missed moves walk the box away from the mouse).
#pragma once

#include <cstdint>

#include "model/Geometry.h"

namespace topo {

enum class TMouseButton { Left, Right, Middle };

// Kept by TARNodeList, whose mouse operations set and clear it; the window
// reads Dragging to repaint while a box moves.
struct TDragState {
  uint8_t Dragging = 0;
  TRect DragRect{};        // the selected box when the press began, diagram coordinates
  int32_t DragStartX = 0;  // the press in window coordinates, without the scroll
  int32_t DragStartY = 0;
};

}  // namespace topo
