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
  win32::MemoryDc memory(nullptr);
  win32::SelectedObject selected(memory.Get(), bitmap_.Get());
  transparentColour_ = GetPixel(memory.Get(), 0, size_.cy - 1);
}

void FormImage::MoveTo(int left, int top) {
  OffsetRect(&bounds_, left - bounds_.left, top - bounds_.top);
}

void FormImage::Draw(HDC dc, int dx, int dy) const {
  win32::MemoryDc memory(dc);
  win32::SelectedObject selected(memory.Get(), bitmap_.Get());
  const int x = bounds_.left + dx, y = bounds_.top + dy;
  const int w = bounds_.right - bounds_.left, h = bounds_.bottom - bounds_.top;
  if (transparent_) {
    TransparentBlt(dc, x, y, w, h, memory.Get(), 0, 0, size_.cx, size_.cy, transparentColour_);
  } else {
    StretchBlt(dc, x, y, w, h, memory.Get(), 0, 0, size_.cx, size_.cy, SRCCOPY);
  }
}

}  // namespace topo::ui
