// One refresh of the model from the AR network: the topology and status
// request, its answer merged through the host's unpacker, links resolved and
// new nodes placed. Kept apart from the window so that the request sequence
// can be exercised and measured without one; the window adds the alarms.
#pragma once

#include <optional>

#include "bridge/HostExchange.h"
#include "model/Nodes.h"
#include "win32/Variant.h"

namespace topo::window {

// Where a refresh finds the host's services (the window, or a test's fakes).
using RefreshServices = bridge::ExchangeServices;

inline constexpr LONG kTopologyReportFunction = 26115;
inline constexpr LONG kTopologyRequestMode = 2;
inline constexpr LONG kRefreshTimeout = 2000;  // ms, for the send and for the answer

// Sends the request; the answer, or nothing for a non-zero error number. A
// failing host call throws.
std::optional<win32::Variant> RequestTopologyReport(RefreshServices& services);

// Sends the request and, when the network answers without an error number,
// merges the answer into model and places what lies outside canvas. Returns
// false for a non-zero error number (the model is then untouched); a failing
// host call or merge throws, leaving what the merge had already changed.
bool RequestAndMerge(RefreshServices& services, TARNodeList& model, const TRect& canvas);

}  // namespace topo::window
