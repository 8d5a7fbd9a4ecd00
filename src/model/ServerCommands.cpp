#include "model/ServerCommands.h"

#include <algorithm>

#include "model/Nodes.h"

namespace topo {

std::vector<int32_t> RunningInstances(int32_t activeCount, const TActiveFlags& flags) {
  std::vector<int32_t> running;
  for (int32_t k = 0; k < kInstanceCount && static_cast<int32_t>(running.size()) < activeCount;
       ++k) {
    if (flags[static_cast<size_t>(k)] != 0) running.push_back(k);
  }
  return running;
}

std::vector<int32_t> RunningInstances(const TARNodeList& model) {
  const ZOrderEntry& entry = model.ZOrder.Items(0);
  const TARNode& node = model.Items(entry.ARIndex);
  if (entry.ASIndex < 0) return RunningInstances(node.ActiveCount, node.ActiveFlags);
  const TLinkNode& server = node.SubASs.Items(entry.ASIndex);
  return RunningInstances(server.ActiveCount, server.ActiveFlags);
}

std::vector<int32_t> StoppedInstances(const TARNodeList& model) {
  const std::vector<int32_t> running = RunningInstances(model);
  std::vector<int32_t> stopped;
  for (int32_t n = 0; n < kInstanceCount; ++n) {
    if (std::find(running.begin(), running.end(), n) == running.end()) stopped.push_back(n);
  }
  return stopped;
}

std::string AdminAddress(std::string_view adminAR, std::string_view adminAS) {
  std::string address;
  address.reserve(adminAR.size() + adminAS.size() + 3);
  address.append(adminAR).append(".").append(adminAS).append(".0");
  return address;
}

std::string StartupPrompt(std::string_view format, std::string_view name) {
  std::string prompt(format);
  const size_t at = prompt.find("%s");
  if (at != std::string::npos) prompt.replace(at, 2, name);
  return prompt;
}

}  // namespace topo
