// A key pressed on a window as the keyboard would, for the tests that work
// the diagram from the keyboard.
#pragma once

#include <windows.h>

#include <cstring>

#include "ui/FocusNavigation.h"

namespace topo::test {

// The key with the modifiers held down while the window handles it, as the
// thread's key state tells them.
inline void PressKey(HWND target, WORD key, unsigned modifiers = ui::ssNone) {
  BYTE saved[256], state[256];
  GetKeyboardState(saved);
  std::memcpy(state, saved, sizeof state);
  state[VK_CONTROL] = (modifiers & ui::ssCtrl) ? 0x80 : 0;
  state[VK_SHIFT] = (modifiers & ui::ssShift) ? 0x80 : 0;
  state[VK_MENU] = (modifiers & ui::ssAlt) ? 0x80 : 0;
  SetKeyboardState(state);
  // F10 goes down only: its release would open the host window's menu.
  if (key == VK_F10) {
    SendMessageW(target, WM_SYSKEYDOWN, key, 1);
  } else {
    SendMessageW(target, WM_KEYDOWN, key, 1);
    SendMessageW(target, WM_KEYUP, key, static_cast<LPARAM>(0xC0000001u));
  }
  SetKeyboardState(saved);
}

}  // namespace topo::test
