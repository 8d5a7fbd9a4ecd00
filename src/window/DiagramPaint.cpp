// The topology window's painting: the diagram at the view's zoom through a
// back buffer, the focus rectangle of keyboard work, and the toolbar kept in
// place while the diagram scrolls under it.
#include <windows.h>

#include <algorithm>
#include <stdexcept>

#include "model/Boxes.h"
#include "model/Zoom.h"
#include "win32/GdiCanvas.h"
#include "win32/GdiHandles.h"
#include "window/MainForm.h"

namespace topo::window {

namespace {

// The back buffer a paint draws into: the update rectangle only, so a paint
// costs what is visible, and no flicker reaches the screen.
class BackBuffer {
 public:
  BackBuffer(HDC target, const RECT& area)
      : dc_(target),
        bitmap_(CreateCompatibleBitmap(target, std::max(1L, area.right - area.left),
                                       std::max(1L, area.bottom - area.top))),
        selected_(dc_.Get(), bitmap_.Get()) {
    if (!dc_.Get() || !bitmap_) throw std::runtime_error("cannot create the paint buffer");
    SetViewportOrgEx(dc_.Get(), -area.left, -area.top, nullptr);
  }
  HDC Dc() const { return dc_.Get(); }

 private:
  win32::MemoryDc dc_;
  win32::Bitmap bitmap_;
  win32::SelectedObject selected_;
};

}  // namespace

bool TMainForm::DisplayLinks() const {
  return SendMessageW(Control(L"cbDisplayLine"), BM_GETCHECK, 0, 0) == BST_CHECKED;
}

void TMainForm::PinControls() {
  const auto pin = [this](HWND control, const RECT& want) {
    RECT now;
    GetWindowRect(control, &now);
    MapWindowPoints(nullptr, Handle(), reinterpret_cast<POINT*>(&now), 2);
    if (now.left != want.left || now.top != want.top)
      SetWindowPos(control, nullptr, want.left, want.top, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  };
  for (int i = 0; i < kToolbarCount; ++i) pin(ToolbarControls_[i], ToolbarBounds_[i]);
  for (const auto& [control, bounds] : pinned_) pin(control, bounds);
}

void TMainForm::FormPaint(HDC dc, const RECT& update) {
  PinControls();
  InactiveLinkDrawn_ = false;
  BackBuffer buffer(dc, update);
  HDC back = buffer.Dc();
  FillRect(back, &update, GetSysColorBrush(COLOR_BTNFACE));
  InactiveLinkDrawn_ = PaintDiagram(back, View());
  if (keyboardInUse_) DrawSelectionFocus(back);
  BitBlt(dc, update.left, update.top, update.right - update.left, update.bottom - update.top, back,
         update.left, update.top, SRCCOPY);
}

bool TMainForm::PaintDiagram(HDC dc, const TZoomView& view) {
  // What the canvas takes as the label font, colour and fill, and its pen.
  win32::SelectedObject brush(dc, GetSysColorBrush(COLOR_BTNFACE));
  win32::SelectedObject font(dc, view.Percent() == 100 ? Font() : LabelFont(view.Percent()));
  win32::SelectedObject pen(dc, GetStockObject(BLACK_PEN));
  SetTextColor(dc, GetSysColor(COLOR_WINDOWTEXT));
  win32::GdiCanvas canvas(dc);
  if (view.Percent() == 100)  // exactly the unzoomed drawing
    return Model_->DrawDiagram(canvas, {-view.Scroll().x, -view.Scroll().y}, DisplayLinks()) != 0;
  ZoomCanvas zoomed(canvas, view, LabelsLegible(view.Percent()));
  return Model_->DrawDiagram(zoomed, {}, DisplayLinks()) != 0;
}

HFONT TMainForm::LabelFont(int percent) {
  if (percent != labelFontPercent_) {
    LOGFONTW font{};
    GetObjectW(Font(), sizeof font, &font);
    const LONG height = MulDiv(font.lfHeight, percent, 100);
    font.lfHeight = height != 0 ? height : (font.lfHeight < 0 ? -1 : 1);
    labelFont_.Reset(CreateFontIndirectW(&font));
    labelFontPercent_ = percent;
  }
  return labelFont_ ? labelFont_.Get() : Font();
}

void TMainForm::DrawSelectionFocus(HDC dc) {
  if (Model_->ZOrder.Count() == 0) return;
  const TRect* box = BoxOf(*Model_, Model_->ZOrder.Items(0));
  if (!box) return;
  // Around the box and the status bar row under it.
  const TRect pixels = View().ToClient(*box);
  const RECT around{pixels.Left - 2, pixels.Top - 2, pixels.Right + 2, pixels.Bottom + 3};
  SetTextColor(dc, RGB(0, 0, 0));
  SetBkColor(dc, RGB(255, 255, 255));
  DrawFocusRect(dc, &around);
}

}  // namespace topo::window
