// Posted, as the system queues real input: the plug-in reads them from its
// own message loop, in order, after whatever it is doing now.
#include "host/ScriptedInput.h"

#include <string>
#include <utility>

namespace arhost {

void PostClick(HWND plugin, const Click& click) {
  if (!plugin || !IsWindow(plugin)) return;
  // The deepest visible child under the point gets the mouse messages, in
  // its own client coordinates, as a real click would deliver them.
  HWND target = plugin;
  POINT p = {click.x, click.y};
  for (;;) {
    HWND child = ChildWindowFromPointEx(target, p, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT);
    if (!child || child == target) break;
    MapWindowPoints(target, child, &p, 1);
    target = child;
  }
  LPARAM at = MAKELPARAM(p.x, p.y);
  PostMessageW(target, WM_MOUSEMOVE, 0, at);
  PostMessageW(target, click.right ? WM_RBUTTONDOWN : WM_LBUTTONDOWN,
               click.right ? MK_RBUTTON : MK_LBUTTON, at);
  PostMessageW(target, click.right ? WM_RBUTTONUP : WM_LBUTTONUP, 0, at);
}

void PostKeys(HWND plugin, const KeyPresses& presses) {
  // To the focus: an open menu reads every key of the thread, a dialog's
  // edit gets its characters.
  HWND target = GetFocus();
  if (!target) target = plugin;
  if (!target || !IsWindow(target)) return;
  static const std::pair<const wchar_t*, WPARAM> kNamed[] = {
      {L"down", VK_DOWN},    {L"up", VK_UP},      {L"left", VK_LEFT}, {L"right", VK_RIGHT},
      {L"enter", VK_RETURN}, {L"esc", VK_ESCAPE}, {L"tab", VK_TAB},   {L"back", VK_BACK}};
  for (const std::wstring& key : presses.keys) {
    WPARAM vk = 0;
    for (const auto& [name, code] : kNamed)
      if (key == name) vk = code;
    if (vk) {
      PostMessageW(target, WM_KEYDOWN, vk, 1);
      PostMessageW(target, WM_KEYUP, vk, static_cast<LPARAM>(0xC0000001u));
    } else {
      for (wchar_t c : key) PostMessageW(target, WM_CHAR, c, 1);
    }
  }
}

}  // namespace arhost
