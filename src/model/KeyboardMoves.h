// What the arrow keys do to the diagram: move the selection to the nearest
// box in a direction, and move the selected box as a drag would.
#pragma once

#include <cstdint>

#include "model/Geometry.h"
#include "model/Nodes.h"

namespace topo {

enum class TDirection { Left, Up, Right, Down };

// The stacking position of the box nearest the selected one (position 0) in
// a direction, measured between centres: of the boxes whose centre lies
// beyond the selected one's that way, those within 45 degrees of the
// direction come first; among them the least distance along it plus twice
// the distance across it wins, the front-most on a tie. -1 when none lies
// that way.
int32_t NearestBox(const TARNodeList& list, TDirection direction);
// The same from the box at another stacking position: a screen reader moves
// from any box, not only the selected one.
int32_t NearestBox(const TARNodeList& list, int32_t position, TDirection direction);

// Moves the selected box by (dx, dy) as a drag does: only while it still
// shares a pixel with the canvas (a drag keeps the mouse, and so a point of
// the box, on the canvas). False when nothing moved.
bool MoveSelected(TARNodeList& list, int32_t dx, int32_t dy, const TRect& canvas);

}  // namespace topo
