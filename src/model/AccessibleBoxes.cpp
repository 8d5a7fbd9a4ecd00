// The diagram's children for a screen reader: numbering, texts and states.
// A lookup walks the AR nodes, not every box, so reading all N children of
// a diagram of A AR nodes costs N * A steps rather than N * N.
#include "model/AccessibleBoxes.h"

#include "model/BoxLabel.h"
#include "model/Boxes.h"
#include "model/ServerCommands.h"

namespace topo {

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
  box.box = *BoxOf(model, *entry);
  return box;
}

int32_t SelectedAccessibleChild(const TARNodeList& model) {
  return model.ZOrder.Count() > 0 ? AccessibleChild(model, model.ZOrder.Items(0)) : 0;
}

int32_t AccessibleChildToward(const TARNodeList& model, int32_t child, TDirection direction) {
  const std::optional<ZOrderEntry> from = AccessibleBoxEntry(model, child);
  for (int32_t p = 0; from && p < model.ZOrder.Count(); ++p) {
    if (!(model.ZOrder.Items(p) == *from)) continue;
    const int32_t to = NearestBox(model, p, direction);
    return to < 0 ? 0 : AccessibleChild(model, model.ZOrder.Items(to));
  }
  return 0;
}

}  // namespace topo
