// What a screen reader is told about the diagram, kept apart from any window
// so the rules run under the native tests: every box is a child numbered from
// 1, with the text it shows, its running instances, what kind of node it is
// and whether it is selected or down. The numbers follow the model (each AR
// node, then its servers), not the stacking order, so a click that brings a
// box to the front does not renumber the children under a screen reader.
#pragma once

#include <cstdint>
#include <optional>
#include <string>

#include "model/KeyboardMoves.h"
#include "model/Nodes.h"

namespace topo {

// The string table's texts a description is made of, in code page 936.
struct BoxTexts {
  std::string arNode;     // an AR box
  std::string asNode;     // an AS box; the first "%s" becomes its AR node's name
  std::string separator;  // between two running instance numbers
};

// State bits; the shell maps them to its platform's.
inline constexpr uint32_t kBoxSelected = 1;  // at stacking position 0: the menu acts on it
inline constexpr uint32_t kBoxDown = 2;      // no instance running

struct AccessibleBox {
  ZOrderEntry entry;
  std::string name;         // exactly what the box shows
  std::string value;        // the running instances, "1, 4"
  std::string description;  // AR node, or AS node of which AR node (names repeat across ARs)
  uint32_t state = 0;
  TRect box;  // diagram coordinates
};

int32_t AccessibleBoxCount(const TARNodeList& model);
// The box a child number stands for; none outside 1..AccessibleBoxCount.
std::optional<ZOrderEntry> AccessibleBoxEntry(const TARNodeList& model, int32_t child);
// The child number of a box; 0 when the model has no such box.
int32_t AccessibleChild(const TARNodeList& model, const ZOrderEntry& entry);
std::optional<AccessibleBox> DescribeAccessibleBox(const TARNodeList& model, int32_t child,
                                                   const BoxTexts& texts);
// The child at stacking position 0; 0 for an empty diagram.
int32_t SelectedAccessibleChild(const TARNodeList& model);

// The child nearest the given one in a direction, by the rule of the arrow
// keys (NearestBox); 0 when none lies that way.
int32_t AccessibleChildToward(const TARNodeList& model, int32_t child, TDirection direction);

}  // namespace topo
