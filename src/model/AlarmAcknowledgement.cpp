// The acknowledged conditions; the window asks here before it plays a sound.
#include "model/AlarmAcknowledgement.h"

#include <algorithm>
#include <string_view>

#include "model/Nodes.h"

namespace topo {

namespace {

// The key of the link from a child AR node (or a server) to the AR node above it.
uint64_t LinkKey(std::string_view lower, std::string_view upper, bool server) {
  // FNV-1a over both names and a separator no name holds.
  uint64_t hash = 0xcbf29ce484222325ull;
  const auto mix = [&hash](unsigned char byte) {
    hash ^= byte;
    hash *= 0x100000001b3ull;
  };
  for (char c : lower) mix(static_cast<unsigned char>(c));
  mix(0);
  for (char c : upper) mix(static_cast<unsigned char>(c));
  mix(server ? 1 : 2);
  return hash;
}

}  // namespace

TLinkSet DownLinks(const TARNodeList& model) {
  TLinkSet down;
  for (int32_t i = 0; i < model.Count(); ++i) {
    const TARNode& child = model.Items(i);
    for (int32_t p = 0; p < child.ParentARs.Count(); ++p) {
      const TLinkNode& link = child.ParentARs.Items(p);
      if (link.ARIndex() < 0 || link.ARIndex() >= model.Count()) continue;
      const TARNode& parent = model.Items(link.ARIndex());
      if (child.ActiveCount == 0 || parent.ActiveCount == 0 || link.ActiveCount == 0)
        down.push_back(LinkKey(child.Name(), parent.Name(), false));
    }
    for (int32_t s = 0; s < child.SubASs.Count(); ++s) {
      const TLinkNode& server = child.SubASs.Items(s);
      if (child.ActiveCount == 0 || server.ActiveCount == 0)
        down.push_back(LinkKey(server.Name(), child.Name(), true));
    }
  }
  std::sort(down.begin(), down.end());
  down.erase(std::unique(down.begin(), down.end()), down.end());
  return down;
}

TAlarmTick TAlarmAcknowledgement::ErrorTick(bool failed) {
  if (!failed) {
    errorAcknowledged_ = false;
    return {};
  }
  return {errorAcknowledged_, !errorAcknowledged_ && !Muted};
}

TAlarmTick TAlarmAcknowledgement::WarningTick(const TLinkSet& down) {
  if (warningAcknowledged_) {
    // A link that has mended is forgotten, so its next break counts as new.
    TLinkSet still;
    std::set_intersection(acknowledgedDown_.begin(), acknowledgedDown_.end(), down.begin(),
                          down.end(), std::back_inserter(still));
    acknowledgedDown_.swap(still);
    if (down.empty() || !std::includes(acknowledgedDown_.begin(), acknowledgedDown_.end(),
                                       down.begin(), down.end())) {
      warningAcknowledged_ = false;
      acknowledgedDown_.clear();
    }
  }
  if (down.empty()) return {};
  return {warningAcknowledged_, !warningAcknowledged_ && !Muted};
}

void TAlarmAcknowledgement::AcknowledgeWarning(TLinkSet down) {
  warningAcknowledged_ = true;
  acknowledgedDown_ = std::move(down);
}

}  // namespace topo
