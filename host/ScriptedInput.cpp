// Posted, as the system queues real input: the plug-in reads them from its
// own message loop, in order, after whatever it is doing now.
#include "host/ScriptedInput.h"

#include <cwctype>
#include <string>
#include <utility>

namespace arhost {

void PostClick(HWND plugin, const Click& click) {
  if (!plugin || !IsWindow(plugin)) return;
  // The deepest visible child under the point gets the mouse messages, in
  // its own client coordinates, as a real click would deliver them.
  HWND target = plugin;
  POINT p = {click.x, click.y};
  if (click.hover) {
    // The pointer itself goes there, or the window would be told at once
    // that the mouse has left it.
    POINT screen = p;
    ClientToScreen(plugin, &screen);
    SetCursorPos(screen.x, screen.y);
  }
  for (;;) {
    HWND child = ChildWindowFromPointEx(target, p, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT);
    if (!child || child == target) break;
    MapWindowPoints(target, child, &p, 1);
    target = child;
  }
  LPARAM at = MAKELPARAM(p.x, p.y);
  PostMessageW(target, WM_MOUSEMOVE, 0, at);
  if (click.hover) return;
  PostMessageW(target, click.right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN,
               click.right ? MK_RBUTTON : MK_LBUTTON, at);
  PostMessageW(target, click.right ? WM_RBUTTONUP : WM_LBUTTONUP, 0, at);
}

namespace {

// Lets the modifiers go. A timer's message comes only when no posted message
// waits, so this runs after the keys posted with them have been handled.
void CALLBACK ReleaseModifiers(HWND, UINT, UINT_PTR timer, DWORD) {
  KillTimer(nullptr, timer);
  BYTE state[256];
  GetKeyboardState(state);
  for (int vk : {VK_CONTROL, VK_SHIFT, VK_MENU}) state[vk] = 0;
  SetKeyboardState(state);
}

}  // namespace

void PostKeys(HWND plugin, const KeyPresses& presses) {
  // To the focus: an open menu reads every key of the thread, a dialog's
  // edit gets its characters.
  HWND target = GetFocus();
  if (!target) target = plugin;
  if (!target || !IsWindow(target)) return;
  static const std::pair<const wchar_t*, WPARAM> kNamed[] = {
      {L"down", VK_DOWN},    {L"up", VK_UP},      {L"left", VK_LEFT}, {L"right", VK_RIGHT},
      {L"enter", VK_RETURN}, {L"esc", VK_ESCAPE}, {L"tab", VK_TAB},   {L"back", VK_BACK},
      {L"f8", VK_F8},        {L"f10", VK_F10},    {L"apps", VK_APPS}};
  for (const std::wstring& key : presses.keys) {
    // ctrl+, shift+ and alt+ in front hold those down while the key goes:
    // the thread's key state says so until the key has been handled.
    std::wstring rest = key;
    BYTE held[256] = {};
    bool modified = false;
    for (auto [prefix, vk] : {std::pair{L"ctrl+", VK_CONTROL}, std::pair{L"shift+", VK_SHIFT},
                              std::pair{L"alt+", VK_MENU}}) {
      const std::wstring start(prefix);
      if (rest.size() > start.size() && rest.compare(0, start.size(), start) == 0) {
        held[vk] = 0x80;
        modified = true;
        rest.erase(0, start.size());
      }
    }
    WPARAM vk = 0;
    for (const auto& [name, code] : kNamed)
      if (rest == name) vk = code;
    if (!vk && modified && rest.size() == 1) vk = static_cast<WPARAM>(towupper(rest[0]));
    if (!vk) {
      for (wchar_t c : key) PostMessageW(target, WM_CHAR, c, 1);
      continue;
    }
    if (modified) {
      BYTE state[256];
      GetKeyboardState(state);
      for (int i : {VK_CONTROL, VK_SHIFT, VK_MENU}) state[i] = held[i];
      SetKeyboardState(state);
      SetTimer(nullptr, 0, 0, ReleaseModifiers);
    }
    // F10, and Alt without Ctrl, make system keys, as a keyboard does.
    const bool system = vk == VK_F10 || (held[VK_MENU] && !held[VK_CONTROL]);
    PostMessageW(target, system ? WM_SYSKEYDOWN : WM_KEYDOWN, vk, 1);
    PostMessageW(target, system ? WM_SYSKEYUP : WM_KEYUP, vk, static_cast<LPARAM>(0xC0000001u));
  }
}

}  // namespace arhost
