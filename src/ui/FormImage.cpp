// Loading and transparent drawing of a form's pictures.
#include "ui/FormImage.h"

#include <stdexcept>
#include <utility>

#include "win32/Cp936.h"

namespace topo::ui {

FormImage::FormImage(std::wstring name, HMODULE module, const std::wstring& bitmap, RECT bounds,
                     bool transparent, bool visible)
    : name_(std::move(name)),
      bitmap_(static_cast<HBITMAP>(
          LoadImageW(module, bitmap.c_str(), IMAGE_BITMAP, 0, 0, LR_CREATEDIBSECTION))),
      bounds_(bounds),
      transparent_(transparent),
      visible_(visible) {
  if (!bitmap_) throw std::runtime_error("bitmap " + win32::Cp936FromWide(bitmap) + " is missing");
  BITMAP info{};
  GetObjectW(bitmap_.Get(), sizeof info, &info);
  size_ = {info.bmWidth, info.bmHeight};
  win32::MemoryDc source(nullptr);
  win32::SelectedObject selected(source.Get(), bitmap_.Get());
  transparentColour_ = GetPixel(source.Get(), 0, size_.cy - 1);
  if (!transparent_) return;
  // The mask: 1 where the picture has the transparent colour. The sprite:
  // the picture with those pixels black, so it can be ORed over the mask.
  mask_.Reset(CreateBitmap(size_.cx, size_.cy, 1, 1, nullptr));
  win32::WindowDc screen(nullptr);
  sprite_.Reset(CreateCompatibleBitmap(screen.Get(), size_.cx, size_.cy));
  if (!mask_ || !sprite_) throw std::runtime_error("no memory for a transparent picture");
  win32::MemoryDc mask(nullptr), sprite(screen.Get());
  win32::SelectedObject maskSelected(mask.Get(), mask_.Get());
  win32::SelectedObject spriteSelected(sprite.Get(), sprite_.Get());
  SetBkColor(source.Get(), transparentColour_);
  BitBlt(mask.Get(), 0, 0, size_.cx, size_.cy, source.Get(), 0, 0, SRCCOPY);
  BitBlt(sprite.Get(), 0, 0, size_.cx, size_.cy, source.Get(), 0, 0, SRCCOPY);
  SetBkColor(sprite.Get(), RGB(255, 255, 255));
  SetTextColor(sprite.Get(), RGB(0, 0, 0));
  constexpr DWORD kDestAndNotSource = 0x00220326;
  BitBlt(sprite.Get(), 0, 0, size_.cx, size_.cy, mask.Get(), 0, 0, kDestAndNotSource);
}

void FormImage::MoveTo(int left, int top) {
  OffsetRect(&bounds_, left - bounds_.left, top - bounds_.top);
}

void FormImage::Draw(HDC dc, int dx, int dy) const {
  const int x = bounds_.left + dx, y = bounds_.top + dy;
  const int w = bounds_.right - bounds_.left, h = bounds_.bottom - bounds_.top;
  win32::MemoryDc memory(dc);
  if (!transparent_) {
    win32::SelectedObject selected(memory.Get(), bitmap_.Get());
    StretchBlt(dc, x, y, w, h, memory.Get(), 0, 0, size_.cx, size_.cy, SRCCOPY);
    return;
  }
  // Black where the picture is, untouched where it is transparent; then the
  // sprite (black where transparent) ORed in.
  const COLORREF oldBk = SetBkColor(dc, RGB(255, 255, 255));
  const COLORREF oldText = SetTextColor(dc, RGB(0, 0, 0));
  {
    win32::SelectedObject selected(memory.Get(), mask_.Get());
    StretchBlt(dc, x, y, w, h, memory.Get(), 0, 0, size_.cx, size_.cy, SRCAND);
  }
  {
    win32::SelectedObject selected(memory.Get(), sprite_.Get());
    StretchBlt(dc, x, y, w, h, memory.Get(), 0, 0, size_.cx, size_.cy, SRCPAINT);
  }
  SetBkColor(dc, oldBk);
  SetTextColor(dc, oldText);
}

}  // namespace topo::ui
