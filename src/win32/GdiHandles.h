// Owners for the GDI and USER handles the shell paints and pops up with: a
// paint DC that always ends its paint, a selected object that is always
// selected out again, memory and window DCs, GDI objects, bitmaps and menus.
// The trap they avoid: an exception between BeginPaint and EndPaint (or
// between SelectObject and its undo) leaks the DC and leaves the window
// invalid, so Windows asks for the same failing paint again and again.
#pragma once

#include <windows.h>

#include <utility>

namespace topo::win32 {

// A GDI object (pen, brush, font, bitmap, region) deleted with DeleteObject.
template <class H>
class GdiObject {
 public:
  GdiObject() = default;
  explicit GdiObject(H owned) : h_(owned) {}
  GdiObject(const GdiObject&) = delete;
  GdiObject& operator=(const GdiObject&) = delete;
  GdiObject(GdiObject&& other) noexcept : h_(std::exchange(other.h_, nullptr)) {}
  GdiObject& operator=(GdiObject&& other) noexcept {
    if (this != &other) Reset(std::exchange(other.h_, nullptr));
    return *this;
  }
  ~GdiObject() { Reset(); }
  void Reset(H owned = nullptr) {
    H old = std::exchange(h_, owned);
    if (old) DeleteObject(old);
  }
  H Get() const { return h_; }
  explicit operator bool() const { return h_ != nullptr; }

 private:
  H h_ = nullptr;
};

using Bitmap = GdiObject<HBITMAP>;
using Font = GdiObject<HFONT>;
using Brush = GdiObject<HBRUSH>;
using Pen = GdiObject<HPEN>;

// BeginPaint in the constructor, EndPaint (which validates the region) in
// the destructor, whatever happens in between.
class PaintDc {
 public:
  explicit PaintDc(HWND window) : window_(window) { dc_ = BeginPaint(window, &ps_); }
  PaintDc(const PaintDc&) = delete;
  PaintDc& operator=(const PaintDc&) = delete;
  ~PaintDc() { EndPaint(window_, &ps_); }
  HDC Get() const { return dc_; }
  const RECT& Update() const { return ps_.rcPaint; }

 private:
  HWND window_;
  PAINTSTRUCT ps_{};
  HDC dc_ = nullptr;
};

// A DC made with CreateCompatibleDC, deleted with DeleteDC.
class MemoryDc {
 public:
  explicit MemoryDc(HDC compatibleWith) : dc_(CreateCompatibleDC(compatibleWith)) {}
  MemoryDc(const MemoryDc&) = delete;
  MemoryDc& operator=(const MemoryDc&) = delete;
  ~MemoryDc() {
    if (dc_) DeleteDC(dc_);
  }
  HDC Get() const { return dc_; }

 private:
  HDC dc_;
};

// A window's DC from GetDC, given back with ReleaseDC; kWhole takes the DC of
// the whole window, frame and caption included, from GetWindowDC.
class WindowDc {
 public:
  enum Area { kClient, kWhole };
  explicit WindowDc(HWND window, Area area = kClient)
      : window_(window), dc_(area == kWhole ? GetWindowDC(window) : GetDC(window)) {}
  WindowDc(const WindowDc&) = delete;
  WindowDc& operator=(const WindowDc&) = delete;
  ~WindowDc() {
    if (dc_) ReleaseDC(window_, dc_);
  }
  HDC Get() const { return dc_; }

 private:
  HWND window_;
  HDC dc_;
};

// Selects an object into a DC and selects the previous one back at the end,
// so the object can be deleted and the DC is left as it was found.
class SelectedObject {
 public:
  SelectedObject(HDC dc, HGDIOBJ object)
      : dc_(dc), old_(object ? SelectObject(dc, object) : nullptr) {}
  SelectedObject(const SelectedObject&) = delete;
  SelectedObject& operator=(const SelectedObject&) = delete;
  ~SelectedObject() {
    if (old_) SelectObject(dc_, old_);
  }

 private:
  HDC dc_;
  HGDIOBJ old_;
};

// A menu destroyed with DestroyMenu (which also destroys its sub-menus).
class MenuHandle {
 public:
  MenuHandle() = default;
  explicit MenuHandle(HMENU owned) : h_(owned) {}
  MenuHandle(const MenuHandle&) = delete;
  MenuHandle& operator=(const MenuHandle&) = delete;
  MenuHandle(MenuHandle&& other) noexcept : h_(std::exchange(other.h_, nullptr)) {}
  MenuHandle& operator=(MenuHandle&& other) noexcept {
    if (this != &other) Reset(std::exchange(other.h_, nullptr));
    return *this;
  }
  ~MenuHandle() { Reset(); }
  void Reset(HMENU owned = nullptr) {
    HMENU old = std::exchange(h_, owned);
    if (old) DestroyMenu(old);
  }
  HMENU Get() const { return h_; }
  HMENU Release() { return std::exchange(h_, nullptr); }

 private:
  HMENU h_ = nullptr;
};

}  // namespace topo::win32
