// What the node menu's commands need apart from any window: which instance
// numbers each sub-menu offers, where a control request goes and how the
// password prompt names the node. Kept portable so that these rules run under
// the native tests and the sanitizers, not only inside the plug-in.
#pragma once

#include <array>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace topo {

class TARNodeList;

// A node runs at most this many instances, numbered 0 to 9.
inline constexpr int32_t kInstanceCount = 10;

// The running instance numbers of a box with this count and these flags,
// ascending: the first count flagged numbers. Empty for a node that is down,
// whatever its flags say.
std::vector<int32_t> RunningInstances(int32_t activeCount,
                                      const std::array<uint8_t, kInstanceCount>& flags);

// Those of the selected box: what "停止" and "重启" offer.
std::vector<int32_t> RunningInstances(const TARNodeList& model);

// The numbers 0 to 9 that are not running, ascending: what "启动" offers.
std::vector<int32_t> StoppedInstances(const TARNodeList& model);

// The administrative server that carries start, stop and restart requests:
// "AdminAR.AdminAS.0", as code page 936 text.
std::string AdminAddress(std::string_view adminAR, std::string_view adminAS);

// The startup password prompt: the first "%s" of the format replaced by the
// node's name, taken as it is (a "%" in the name is not a directive).
std::string StartupPrompt(std::string_view format, std::string_view name);

}  // namespace topo
