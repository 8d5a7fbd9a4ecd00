// Anchors: the sides of a control whose distance to the form's edge stays as
// the form is resized. Positions are computed from the layout's bounds and
// the first client size, never from the previous size, so resizing back and
// forth cannot make rounding drift.
#include <algorithm>
#include <string>

#include "ui/Form.h"

namespace topo::ui {

void Form::RecordAnchors() {
  RECT client;
  GetClientRect(hwnd_, &client);
  designClient_ = {client.right, client.bottom};
  for (const ControlLayout& c : layout_.controls) {
    HWND w = Control(c.name);
    if (!w) continue;
    const std::wstring anchors = c.Text(L"anchors", L"left,top");
    if (anchors != L"left,top" && GetParent(w) == hwnd_) {
      auto has = [&](const wchar_t* side) { return anchors.find(side) != std::wstring::npos; };
      anchored_.push_back({w,
                           {c.left, c.top, c.left + c.width, c.top + c.height},
                           has(L"left"),
                           has(L"top"),
                           has(L"right"),
                           has(L"bottom")});
    }
  }
}

void Form::ApplyAnchors() {
  if (anchored_.empty() || !hwnd_) return;
  RECT client;
  GetClientRect(hwnd_, &client);
  const int dw = client.right - designClient_.cx, dh = client.bottom - designClient_.cy;
  for (const Anchored& a : anchored_) {
    RECT r = a.bounds;
    auto follow = [](LONG& nearSide, LONG& farSide, bool nearAnchor, bool farAnchor, int d) {
      if (nearAnchor && farAnchor) {
        farSide += d;  // stretches with the form
      } else if (farAnchor) {
        nearSide += d;  // moves with the far edge
        farSide += d;
      } else if (!nearAnchor) {
        nearSide += d / 2;  // stays centred
        farSide += d / 2;
      }
    };
    follow(r.left, r.right, a.left, a.right, dw);
    follow(r.top, r.bottom, a.top, a.bottom, dh);
    SetWindowPos(a.control, nullptr, r.left - horz_.position, r.top - vert_.position,
                 std::max(0, static_cast<int>(r.right - r.left)),
                 std::max(0, static_cast<int>(r.bottom - r.top)), SWP_NOZORDER | SWP_NOACTIVATE);
  }
}

}  // namespace topo::ui
