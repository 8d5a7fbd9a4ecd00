// The tooltip's text of one box.
#include "model/NodeDetails.h"

namespace topo {

TInstanceBits RunningInstanceBits(int32_t activeCount, const TActiveFlags& flags) {
  // A node whose parent does not name it back is counted down with its flags kept.
  if (activeCount == 0) return 0;
  TInstanceBits bits = 0;
  for (size_t n = 0; n < flags.size(); ++n)
    if (flags[n]) bits = static_cast<TInstanceBits>(bits | (1u << n));
  return bits;
}

std::string NodeDetails(const TARNodeList& model, const ZOrderEntry& box,
                        const TDetailLabels& labels, const std::optional<TLocalTime>& lastChange) {
  if (box.ARIndex < 0 || box.ARIndex >= model.Count()) return {};
  const TARNode& node = model.Items(box.ARIndex);
  const bool server = box.ASIndex >= 0;
  if (server && box.ASIndex >= node.SubASs.Count()) return {};
  const TLinkNode* self = server ? &node.SubASs.Items(box.ASIndex) : nullptr;
  const int32_t count = server ? self->ActiveCount : node.ActiveCount;

  std::string text = server ? self->Name() : node.Name();
  text += " (" + (server ? labels.AS : labels.AR) + ")";
  if (server) text += "\r\n" + labels.ARNode + node.Name();
  const std::string running =
      InstanceList(RunningInstanceBits(count, server ? self->ActiveFlags : node.ActiveFlags));
  text += "\r\n" + labels.Running + (running.empty() ? labels.NoneRunning : running);

  std::string links;
  int listed = 0, more = 0;
  const auto link = [&](const std::string& name, bool up) {
    if (listed == kDetailLinks) {
      ++more;
      return;
    }
    ++listed;
    links += "\r\n  " + name + "  " + (up ? labels.Up : labels.Down);
  };
  const auto valid = [&model](int32_t index) { return index >= 0 && index < model.Count(); };
  if (server) {
    link(node.Name(), node.ActiveCount != 0 && count != 0);
  } else {
    for (int32_t p = 0; p < node.ParentARs.Count(); ++p) {
      const TLinkNode& parent = node.ParentARs.Items(p);
      if (!valid(parent.ARIndex())) continue;
      link(parent.Name(),
           count != 0 && model.Items(parent.ARIndex()).ActiveCount != 0 && parent.ActiveCount != 0);
    }
    for (int32_t c = 0; c < node.SubARs.Count(); ++c) {
      const TLinkNode& child = node.SubARs.Items(c);
      if (!valid(child.ARIndex())) continue;
      // Drawn from the child's side; a child that does not name this node is cut off.
      const TARNode& other = model.Items(child.ARIndex());
      const int32_t back = other.ParentARs.IndexOf(node.Name());
      link(child.Name(), back >= 0 && count != 0 && other.ActiveCount != 0 &&
                             other.ParentARs.Items(back).ActiveCount != 0);
    }
    for (int32_t s = 0; s < node.SubASs.Count(); ++s) {
      const TLinkNode& sub = node.SubASs.Items(s);
      link(sub.Name(), count != 0 && sub.ActiveCount != 0);
    }
  }
  if (listed > 0) {
    text += "\r\n" + labels.Links + links;
    if (more > 0) text += "\r\n  ... +" + std::to_string(more);
  }
  if (lastChange) text += "\r\n" + labels.LastChange + FormatTime(*lastChange);
  return text;
}

}  // namespace topo
