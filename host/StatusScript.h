// --status: the host opens the plug-in's status query as an operator does,
// from the node menu of a box, and a second later runs the query on one
// instance with one function.
#pragma once

#include <windows.h>

#include "host/Options.h"

namespace arhost {

// A right click on the node's box, which opens its menu; false when there is
// no window to click.
bool OpenStatusMenu(HWND plugin, const StatusQuery& q);
// The menu's first entry, its status command, which opens the dialog.
void ChooseStatusEntry(HWND plugin);
// Chooses the instance and the function in the open dialog and presses its
// push button.
void RunStatusQuery(HWND frame, const StatusQuery& q);

}  // namespace arhost
