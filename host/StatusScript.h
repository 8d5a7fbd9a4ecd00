// --status: the host opens the plug-in's status query as an operator does (a
// right click on the node's box, then the node menu's status entry), and a
// second later chooses the instance and one function and runs the query.
#pragma once

#include <windows.h>

#include "host/Options.h"
#include "host/Services.h"

namespace arhost {

// A right click on the node's box: its menu opens, whose modal loop then
// reads the keys of ChooseStatusEntry. False when there is no window.
bool OpenStatusQuery(HWND plugin, const StatusQuery& q);
// The node menu's first entry is its status command.
void ChooseStatusEntry(HWND plugin);
// Chooses the instance and the function in the open dialog and presses its
// push button.
void RunStatusQuery(HWND frame, const StatusQuery& q);

}  // namespace arhost
