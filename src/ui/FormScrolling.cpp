// The scrolling form: per bar a range, a position and a line increment. A bar
// shows only when its range exceeds the client size; showing one shrinks the
// client area, which can make the other bar needed, so the ranges are set
// twice and the re-entry through WM_SIZE is held off.
#include <algorithm>

#include "ui/Form.h"

namespace topo::ui {

void Form::SetScrollRange(int bar, int range) {
  Bar(bar).range = std::max(0, range);
  UpdateScrollBars();
}

void Form::SetScrollPosition(int bar, int position) {
  if (!hwnd_) return;
  RECT rc;
  GetClientRect(hwnd_, &rc);
  ScrollBarState& s = Bar(bar);
  const int visible = bar == SB_HORZ ? rc.right : rc.bottom;
  const int limit = std::max(0, s.range - visible);
  const int next = std::clamp(position, 0, limit);
  const int delta = next - s.position;
  s.position = next;
  SCROLLINFO si{sizeof si, SIF_POS, 0, 0, 0, next, 0};
  SetScrollInfo(hwnd_, bar, &si, TRUE);
  if (delta != 0) {
    ScrollWindowEx(hwnd_, bar == SB_HORZ ? -delta : 0, bar == SB_VERT ? -delta : 0, nullptr,
                   nullptr, nullptr, nullptr, SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
  }
}

void Form::UpdateScrollBars() {
  static thread_local bool updating = false;  // showing a bar resizes the client area
  if (!hwnd_ || updating) return;
  updating = true;
  for (int pass = 0; pass < 2; ++pass) {
    RECT rc;
    GetClientRect(hwnd_, &rc);
    for (int bar : {SB_HORZ, SB_VERT}) {
      ScrollBarState& s = Bar(bar);
      const int visible = bar == SB_HORZ ? rc.right : rc.bottom;
      SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE, 0, s.range - 1, static_cast<UINT>(visible), 0,
                    0};
      SetScrollInfo(hwnd_, bar, &si, TRUE);
    }
  }
  updating = false;
  for (int bar : {SB_HORZ, SB_VERT}) SetScrollPosition(bar, Bar(bar).position);
}

void Form::MouseWheel(short delta) {
  RECT rc;
  GetClientRect(hwnd_, &rc);
  int bar;
  if (rc.bottom < vert_.range)
    bar = SB_VERT;
  else if (rc.right < horz_.range)
    bar = SB_HORZ;
  else
    return;
  const int steps = delta / 120;  // truncates toward zero: a half notch moves nothing
  ScrollBarState& s = Bar(bar);
  SetScrollPosition(bar, std::clamp(s.position - steps * s.increment, 0, s.range));
}

void Form::ScrollMessage(int bar, WORD request) {
  RECT rc;
  GetClientRect(hwnd_, &rc);
  const int page = bar == SB_HORZ ? rc.right : rc.bottom;
  ScrollBarState& s = Bar(bar);
  int pos = s.position;
  switch (request) {
    case SB_LINEUP:
      pos -= s.increment;
      break;
    case SB_LINEDOWN:
      pos += s.increment;
      break;
    case SB_PAGEUP:
      pos -= page;
      break;
    case SB_PAGEDOWN:
      pos += page;
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
      SCROLLINFO si{sizeof si, SIF_TRACKPOS, 0, 0, 0, 0, 0};
      GetScrollInfo(hwnd_, bar, &si);
      pos = si.nTrackPos;
      break;
    }
    case SB_TOP:
      pos = 0;
      break;
    case SB_BOTTOM:
      pos = s.range;
      break;
    default:
      return;
  }
  SetScrollPosition(bar, pos);
}

}  // namespace topo::ui
