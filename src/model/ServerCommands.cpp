#include "model/ServerCommands.h"

#include <algorithm>

#include "model/Nodes.h"

namespace topo {

std::vector<int32_t> RunningInstances(const TARNodeList& model) {
  std::vector<int32_t> running;
  const int32_t count = model.SelectedActiveCount();
  for (int32_t i = 0; i < count && i < kInstanceCount; ++i) {
    const int32_t k = model.SelectedActiveNo(i);
    if (k >= 0) running.push_back(k);
  }
  return running;
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
