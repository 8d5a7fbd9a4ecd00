// The tidy layout the operator asks for when the diagram has become a tangle:
// boxes in layers, each AR node above its servers and the AR nodes under it,
// so that every arrow points up to the node it reports to. It leaves the
// circle placement of newcomers and the grid of "re-arrange" as they are.
#pragma once

#include <cstdint>

#include "model/Geometry.h"
#include "model/Nodes.h"

namespace topo {

// Places every box, 100 x 17, in layers across the canvas's width: a layer
// wider than that wraps onto further rows. No two boxes overlap. Crossings
// are reduced by ordering each layer by the mean place of its neighbours,
// sweeping down and up while that helps; a box then moves toward the
// middle of its neighbours. Links in a cycle cannot all point up: one of
// them is left pointing down. Returns the canvas height the layout needs.
int32_t TidyLayout(TARNodeList& list, const TRect& canvas);

}  // namespace topo
