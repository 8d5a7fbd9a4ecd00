// The diagram's children for a screen reader: numbering, texts and states.
// A lookup walks the AR nodes, not every box, so reading all N children of
// a diagram of A AR nodes costs N * A steps rather than N * N.
#include "model/AccessibleBoxes.h"

#include <cstdlib>
#include <utility>

#include "model/BoxLabel.h"
#include "model/ServerCommands.h"

namespace topo {

namespace {

const TRect& BoxOf(const TARNodeList& model, const ZOrderEntry& entry) {
  const TARNode& node = model.Items(entry.ARIndex);
  return entry.ASIndex < 0 ? node.Rect : node.SubASs.Items(entry.ASIndex).Rect;
}

TPoint Centre(const TRect& r) { return {HalfSum(r.Left, r.Right), HalfSum(r.Top, r.Bottom)}; }

}  // namespace

int32_t AccessibleBoxCount(const TARNodeList& model) {
  int32_t count = 0;
  for (int32_t i = 0; i < model.Count(); ++i) count += 1 + model.Items(i).SubASs.Count();
  return count;
}

std::optional<ZOrderEntry> AccessibleBoxEntry(const TARNodeList& model, int32_t child) {
  if (child < 1) return std::nullopt;
  int32_t first = 1;  // the child number of node i's own box
  for (int32_t i = 0; i < model.Count(); ++i) {
    const int32_t servers = model.Items(i).SubASs.Count();
    if (child - first <= servers) return ZOrderEntry{i, child - first - 1};
    first += 1 + servers;
  }
  return std::nullopt;
}

int32_t AccessibleChild(const TARNodeList& model, const ZOrderEntry& entry) {
  if (entry.ARIndex < 0 || entry.ARIndex >= model.Count() || entry.ASIndex < -1 ||
      entry.ASIndex >= model.Items(entry.ARIndex).SubASs.Count())
    return 0;
  int32_t first = 1;
  for (int32_t i = 0; i < entry.ARIndex; ++i) first += 1 + model.Items(i).SubASs.Count();
  return first + 1 + entry.ASIndex;
}

std::optional<AccessibleBox> DescribeAccessibleBox(const TARNodeList& model, int32_t child,
                                                   const BoxTexts& texts) {
  const std::optional<ZOrderEntry> entry = AccessibleBoxEntry(model, child);
  if (!entry) return std::nullopt;
  const TARNode& node = model.Items(entry->ARIndex);
  const bool server = entry->ASIndex >= 0;
  const std::string& name = server ? node.SubASs.Items(entry->ASIndex).Name() : node.Name();
  const int32_t count = server ? node.SubASs.Items(entry->ASIndex).ActiveCount : node.ActiveCount;
  const TActiveFlags& flags =
      server ? node.SubASs.Items(entry->ASIndex).ActiveFlags : node.ActiveFlags;

  AccessibleBox box;
  box.entry = *entry;
  box.name = BoxLabel(name, count);
  for (int32_t k : RunningInstances(count, flags)) {
    if (!box.value.empty()) box.value += texts.separator;
    box.value += std::to_string(k);
  }
  box.description = server ? texts.asNode : texts.arNode;
  const size_t at = box.description.find("%s");
  if (server && at != std::string::npos) box.description.replace(at, 2, node.Name());
  if (count == 0) box.state |= kBoxDown;
  if (model.ZOrder.Count() > 0 && model.ZOrder.Items(0) == *entry) box.state |= kBoxSelected;
  box.box = BoxOf(model, *entry);
  return box;
}

int32_t SelectedAccessibleChild(const TARNodeList& model) {
  return model.ZOrder.Count() > 0 ? AccessibleChild(model, model.ZOrder.Items(0)) : 0;
}

int32_t AccessibleChildToward(const TARNodeList& model, int32_t child, Toward direction) {
  const std::optional<ZOrderEntry> from = AccessibleBoxEntry(model, child);
  if (!from) return 0;
  const TPoint origin = Centre(BoxOf(model, *from));
  const bool vertical = direction == Toward::Up || direction == Toward::Down;
  const bool backwards = direction == Toward::Left || direction == Toward::Up;
  int32_t best = 0;
  double bestDistance = 0;
  int32_t other = 0;
  for (int32_t i = 0; i < model.Count(); ++i) {
    for (int32_t j = -1; j < model.Items(i).SubASs.Count(); ++j) {
      if (++other == child) continue;
      const TPoint c = Centre(BoxOf(model, {i, j}));
      // Along the direction of travel and across it, in 64 bits so no difference wraps.
      int64_t along = int64_t{c.x} - origin.x, across = int64_t{c.y} - origin.y;
      if (vertical) std::swap(along, across);
      if (backwards) along = -along;
      if (along <= 0 || std::llabs(across) > along || (vertical && std::llabs(across) == along))
        continue;
      const double distance =
          static_cast<double>(along) * along + static_cast<double>(across) * across;
      if (best == 0 || distance < bestDistance) {
        best = other;
        bestDistance = distance;
      }
    }
  }
  return best;
}

}  // namespace topo
