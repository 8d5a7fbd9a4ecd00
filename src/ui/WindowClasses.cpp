// The module's window classes, named where each is registered.
#include "ui/WindowClasses.h"

#include <windows.h>

#include "ui/ControlClasses.h"
#include "ui/Form.h"
#include "win32/ThisModule.h"

namespace topo::ui {

const wchar_t* const kWindowClasses[4] = {kFormClass, kPanelClass, kTabSheetClass,
                                          kStringGridClass};

void UnregisterWindowClasses() noexcept {
  for (const wchar_t* name : kWindowClasses) UnregisterClassW(name, win32::ThisModule());
}

}  // namespace topo::ui
