// The text a box shows, "name (count)": one definition for the painting and
// for what a screen reader is told, so the two can never read differently.
#pragma once

#include <cstdint>
#include <string>

namespace topo {

inline std::string BoxLabel(const std::string& name, int32_t activeCount) {
  std::string label = name;
  label += " (";
  label += std::to_string(activeCount);
  label += ')';
  return label;
}

}  // namespace topo
