// The topology window, made for BizEntry.
#include "plugin/WindowFactory.h"

#include "window/MainForm.h"

namespace topo::plugin {

std::unique_ptr<bridge::TBizFormBase> CreateTopologyWindow(bridge::ModuleServices& module) {
  return std::make_unique<window::TMainForm>(module);
}

}  // namespace topo::plugin
