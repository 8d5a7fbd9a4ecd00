// The module's services: the non-virtual conveniences, for the plug-in's own
// code page 936 texts and for the string table.
#include "bridge/ModuleServices.h"

#include "bridge/ResourceLookup.h"
#include "win32/Cp936.h"

namespace topo::bridge {

void ModuleServices::ShowError(const char* cp936Text, HWND fallbackOwner) const {
  ShowError(win32::WideFromCp936(cp936Text ? cp936Text : ""), fallbackOwner);
}

std::wstring ModuleServices::Text(UINT id) const {
  std::wstring text = LoadPluginString(ResourceSource(), id);
  return text.empty() ? LoadPluginString(Self(), id) : text;
}

}  // namespace topo::bridge
