// The module's services: the one non-virtual convenience, for the plug-in's
// own code page 936 texts.
#include "bridge/ModuleServices.h"

#include "win32/Cp936.h"

namespace topo::bridge {

void ModuleServices::ShowError(const char* cp936Text, HWND fallbackOwner) const {
  ShowError(win32::WideFromCp936(cp936Text ? cp936Text : ""), fallbackOwner);
}

}  // namespace topo::bridge
