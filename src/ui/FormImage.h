// FormImage: a picture from a bitmap resource that a form draws itself, over
// its own painting, leaving out one transparent colour (the colour of the
// picture's bottom-left pixel). The trap it avoids: an image made as a child
// window cuts a hole in whatever the form paints beneath it (a diagram), and
// a static control shows the transparent colour as it is.
#pragma once

#include <windows.h>

#include <string>

#include "win32/GdiHandles.h"

namespace topo::ui {

class FormImage {
 public:
  // Loads the bitmap resource named bitmap from module; throws
  // std::runtime_error when it is missing.
  FormImage(std::wstring name, HMODULE module, const std::wstring& bitmap, RECT bounds,
            bool transparent, bool visible);

  const std::wstring& Name() const { return name_; }
  // Where it is drawn, in the form's client coordinates at scroll position 0
  // (images scroll with the form's content, as its controls do).
  const RECT& Bounds() const { return bounds_; }
  void MoveTo(int left, int top);
  bool Visible() const { return visible_; }
  void SetVisible(bool visible) { visible_ = visible; }
  bool Transparent() const { return transparent_; }
  COLORREF TransparentColour() const { return transparentColour_; }
  HBITMAP Bitmap() const { return bitmap_.Get(); }

  // Draws the picture, stretched to its bounds moved by (dx, dy).
  void Draw(HDC dc, int dx, int dy) const;

 private:
  std::wstring name_;
  win32::Bitmap bitmap_;
  win32::Bitmap mask_;    // 1 where transparent
  win32::Bitmap sprite_;  // the picture, black where transparent
  SIZE size_{};
  RECT bounds_;
  bool transparent_;
  bool visible_;
  COLORREF transparentColour_ = CLR_INVALID;
};

}  // namespace topo::ui
