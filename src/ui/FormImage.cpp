// Loading and transparent drawing of a form's pictures, plain and marked.
#include "ui/FormImage.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

#include "win32/Cp936.h"

namespace topo::ui {

FormImage::FormImage(std::wstring name, HMODULE module, const std::wstring& bitmap, RECT bounds,
                     bool transparent, bool visible)
    : name_(std::move(name)), bounds_(bounds), transparent_(transparent), visible_(visible) {
  plain_.bitmap.Reset(static_cast<HBITMAP>(
      LoadImageW(module, bitmap.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION)));
  if (!plain_.bitmap)
    throw std::runtime_error("bitmap " + win32::Cp936FromWide(bitmap) + " is missing");
  BITMAP info{};
  GetObjectW(plain_.bitmap.Get(), sizeof info, &info);
  size_ = {info.bmWidth, info.bmHeight};
  {
    win32::MemoryDc source(nullptr);
    win32::SelectedObject selected(source.Get(), plain_.bitmap.Get());
    transparentColour_ = GetPixel(source.Get(), 0, size_.cy - 1);
  }
  Prepare(plain_);
  MakeMarkedLook();
}

void FormImage::Prepare(Look& look) const {
  if (!transparent_) return;
  look.mask.Reset(CreateBitmap(size_.cx, size_.cy, 1, 1, nullptr));
  win32::WindowDc screen(nullptr);
  look.sprite.Reset(CreateCompatibleBitmap(screen.Get(), size_.cx, size_.cy));
  if (!look.mask || !look.sprite) throw std::runtime_error("no memory for a transparent picture");
  win32::MemoryDc source(nullptr), mask(nullptr), sprite(screen.Get());
  win32::SelectedObject sourceSelected(source.Get(), look.bitmap.Get());
  win32::SelectedObject maskSelected(mask.Get(), look.mask.Get());
  win32::SelectedObject spriteSelected(sprite.Get(), look.sprite.Get());
  SetBkColor(source.Get(), transparentColour_);
  BitBlt(mask.Get(), 0, 0, size_.cx, size_.cy, source.Get(), 0, 0, SRCCOPY);
  BitBlt(sprite.Get(), 0, 0, size_.cx, size_.cy, source.Get(), 0, 0, SRCCOPY);
  SetBkColor(sprite.Get(), RGB(255, 255, 255));
  SetTextColor(sprite.Get(), RGB(0, 0, 0));
  constexpr DWORD kDestAndNotSource = 0x00220326;
  BitBlt(sprite.Get(), 0, 0, size_.cx, size_.cy, mask.Get(), 0, 0, kDestAndNotSource);
}

void FormImage::MakeMarkedLook() {
  // The picture's own pixels faded to light grey, its transparent ones kept,
  // and a green check mark across it: plainly the same alarm, plainly
  // dealt with.
  BITMAPINFO format{};
  format.bmiHeader.biSize = sizeof format.bmiHeader;
  format.bmiHeader.biWidth = size_.cx;
  format.bmiHeader.biHeight = -size_.cy;  // top-down rows
  format.bmiHeader.biPlanes = 1;
  format.bmiHeader.biBitCount = 32;
  format.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  markedLook_.bitmap.Reset(CreateDIBSection(nullptr, &format, DIB_RGB_COLORS, &bits, nullptr, 0));
  if (!markedLook_.bitmap || !bits) throw std::runtime_error("no memory for a marked picture");
  win32::MemoryDc source(nullptr), target(nullptr);
  {
    win32::SelectedObject sourceSelected(source.Get(), plain_.bitmap.Get());
    win32::SelectedObject targetSelected(target.Get(), markedLook_.bitmap.Get());
    BitBlt(target.Get(), 0, 0, size_.cx, size_.cy, source.Get(), 0, 0, SRCCOPY);
  }
  GdiFlush();
  const DWORD transparentPixel = static_cast<DWORD>(GetRValue(transparentColour_)) << 16 |
                                 static_cast<DWORD>(GetGValue(transparentColour_)) << 8 |
                                 GetBValue(transparentColour_);
  auto* pixel = static_cast<DWORD*>(bits);
  for (LONG i = 0; i < size_.cx * size_.cy; ++i) {
    const DWORD p = pixel[i] & 0xFFFFFF;
    if (transparent_ && p == transparentPixel) continue;
    const DWORD lum = ((p >> 16 & 0xFF) * 30 + (p >> 8 & 0xFF) * 59 + (p & 0xFF) * 11) / 100;
    DWORD grey = 150 + lum * 90 / 255;
    // Never the transparent colour itself, or the pixel would vanish.
    if ((grey << 16 | grey << 8 | grey) == transparentPixel) --grey;
    pixel[i] = grey << 16 | grey << 8 | grey;
  }
  {
    win32::SelectedObject targetSelected(target.Get(), markedLook_.bitmap.Get());
    const int width = std::max<int>(3, size_.cy / 8);
    win32::Pen pen(CreatePen(PS_SOLID, width, RGB(0, 128, 0)));
    win32::SelectedObject penSelected(target.Get(), pen.Get());
    const POINT check[3] = {{size_.cx * 30 / 100, size_.cy * 52 / 100},
                            {size_.cx * 44 / 100, size_.cy * 72 / 100},
                            {size_.cx * 72 / 100, size_.cy * 26 / 100}};
    Polyline(target.Get(), check, 3);
  }
  Prepare(markedLook_);
}

void FormImage::MoveTo(int left, int top) {
  OffsetRect(&bounds_, left - bounds_.left, top - bounds_.top);
}

void FormImage::Draw(HDC dc, int dx, int dy) const {
  DrawLook(marked_ ? markedLook_ : plain_, dc, dx, dy);
}

void FormImage::DrawLook(const Look& look, HDC dc, int dx, int dy) const {
  const int x = bounds_.left + dx, y = bounds_.top + dy;
  const int w = bounds_.right - bounds_.left, h = bounds_.bottom - bounds_.top;
  win32::MemoryDc memory(dc);
  if (!transparent_) {
    win32::SelectedObject selected(memory.Get(), look.bitmap.Get());
    StretchBlt(dc, x, y, w, h, memory.Get(), 0, 0, size_.cx, size_.cy, SRCCOPY);
    return;
  }
  // Black where the picture is, untouched where it is transparent; then the
  // sprite (black where transparent) ORed in.
  const COLORREF oldBk = SetBkColor(dc, RGB(255, 255, 255));
  const COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
  {
    win32::SelectedObject selected(memory.Get(), look.mask.Get());
    StretchBlt(dc, x, y, w, h, memory.Get(), 0, 0, size_.cx, size_.cy, SRCAND);
  }
  {
    win32::SelectedObject selected(memory.Get(), look.sprite.Get());
    StretchBlt(dc, x, y, w, h, memory.Get(), 0, 0, size_.cx, size_.cy, SRCPAINT);
  }
  SetBkColor(dc, oldBk);
  SetTextColor(dc, oldText);
}

}  // namespace topo::ui
