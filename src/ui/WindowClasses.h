// The window classes this module registers: the form, the layout's
// containers and the text grid. Windows keeps a DLL's classes after the DLL is
// unloaded; a later load at the same address would find them and use their
// procedure, one at another address would still find the name taken by a
// class whose procedure points into nothing. So the module unregisters them
// as it unloads.
#pragma once

namespace topo::ui {

// The class names, for the unregistration and its test.
extern const wchar_t* const kWindowClasses[4];

// Unregisters every class of kWindowClasses this module registered; a class
// that still has windows stays (the call fails for it and changes nothing).
void UnregisterWindowClasses() noexcept;

}  // namespace topo::ui
