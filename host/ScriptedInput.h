// The clicks, pointer moves and keys a headless run scripts (--click,
// --rclick, --hover, --keys), posted as the mouse and keyboard would deliver
// them, so the plug-in cannot tell them from an operator's.
#pragma once

#include <windows.h>

#include "host/Options.h"

namespace arhost {

// At a point of the plug-in window's client area, to the deepest visible
// child under it.
void PostClick(HWND plugin, const Click& click);
// To the window that has the focus (an open popup menu reads them all), else
// to the plug-in window.
void PostKeys(HWND plugin, const KeyPresses& presses);

}  // namespace arhost
