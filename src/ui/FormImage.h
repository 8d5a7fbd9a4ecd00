// FormImage: a picture from a bitmap resource that a form draws itself, over
// its own painting, leaving out one transparent colour (the colour of the
// picture's bottom-left pixel). The trap it avoids: an image made as a child
// window cuts a hole in whatever the form paints beneath it (a diagram), and
// a static control shows the transparent colour as it is. A picture can be
// marked (an alarm the operator has acknowledged): it is then drawn faded to
// grey with a check mark over it, still in its place.
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
  bool Marked() const { return marked_; }
  void SetMarked(bool marked) { marked_ = marked; }
  bool Transparent() const { return transparent_; }
  COLORREF TransparentColour() const { return transparentColour_; }
  HBITMAP Bitmap() const { return plain_.bitmap.Get(); }

  // Draws the picture (or its marked form), stretched to its bounds moved by (dx, dy).
  void Draw(HDC dc, int dx, int dy) const;

 private:
  // A picture ready to draw: the mask is 1 where transparent, the sprite is
  // the picture with those pixels black.
  struct Look {
    win32::Bitmap bitmap;
    win32::Bitmap mask;
    win32::Bitmap sprite;
  };
  void Prepare(Look& look) const;
  void DrawLook(const Look& look, HDC dc, int dx, int dy) const;
  void MakeMarkedLook();

  std::wstring name_;
  Look plain_;
  Look markedLook_;
  SIZE size_{};
  RECT bounds_;
  bool transparent_;
  bool visible_;
  bool marked_ = false;
  COLORREF transparentColour_ = CLR_INVALID;
};

}  // namespace topo::ui
