// --status: the host opens the plug-in's status query on one instance, as
// the topology window's status command opens it, and a second later runs the
// query with one function, as an operator would.
#pragma once

#include <windows.h>

#include "host/Options.h"
#include "host/Services.h"

namespace arhost {

// Writes what the status command leaves in TempData for the dialog and asks
// the plug-in window to open it; false when there is no window to ask.
bool OpenStatusQuery(HWND plugin, DataContainer* tempData, const StatusQuery& q);
// Chooses the function in the open dialog and presses its push button.
void RunStatusQuery(HWND frame, const StatusQuery& q);

}  // namespace arhost
