// What the tooltip over a box says: its name and kind, a server's AR node,
// the running instances, its links and whether each is up (by the rule the
// diagram draws them solid or dotted), and when its status last changed.
// Composed here, from labels the shell takes from its string table, so the
// rules run under the native tests.
#pragma once

#include <optional>
#include <string>

#include "model/History.h"
#include "model/Nodes.h"

namespace topo {

// The instances a box runs: none for a box counted down, whatever its flags.
TInstanceBits RunningInstanceBits(int32_t activeCount, const TActiveFlags& flags);

// Code page 936 texts; each label is followed by its value on the same line.
struct TDetailLabels {
  std::string AR = "AR", AS = "AS";
  std::string ARNode = "AR: ";
  std::string Running = "running: ";
  std::string NoneRunning = "-";
  std::string Links = "links:";
  std::string Up = "up", Down = "down";
  std::string LastChange = "changed: ";
};

// Lines end in "\r\n" but the last. At most kDetailLinks links are listed; a
// last line counts the others. Empty for a box that does not exist.
inline constexpr int kDetailLinks = 12;
std::string NodeDetails(const TARNodeList& model, const ZOrderEntry& box,
                        const TDetailLabels& labels, const std::optional<TLocalTime>& lastChange);

}  // namespace topo
