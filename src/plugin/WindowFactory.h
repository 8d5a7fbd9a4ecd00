// The one place that knows which window BizEntry(3101) embeds: the plug-in's
// top names the topology window, so the window itself never depends on the
// entry code above it.
#pragma once

#include <memory>

#include "bridge/BizForm.h"
#include "bridge/ModuleServices.h"

namespace topo::plugin {

// Creates the topology window with the module's services. Throws on failure.
std::unique_ptr<bridge::TBizFormBase> CreateTopologyWindow(bridge::ModuleServices& module);

}  // namespace topo::plugin
