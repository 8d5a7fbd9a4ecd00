// The layout's pictures, drawn by the form over its own painting. Showing,
// hiding and moving invalidate only the picture's rectangle (scrolled like the
// rest of the client area), so a picture over a large diagram costs little.
#include "ui/Form.h"

namespace topo::ui {

FormImage* Form::FindImage(const std::wstring& name) const {
  for (const auto& image : images_)
    if (image->Name() == name) return image.get();
  return nullptr;
}

const FormImage* Form::Image(const std::wstring& name) const { return FindImage(name); }

void Form::InvalidateImage(const FormImage& image) {
  if (!hwnd_) return;
  RECT r = image.Bounds();
  OffsetRect(&r, -horz_.position, -vert_.position);
  InvalidateRect(hwnd_, &r, TRUE);
}

void Form::ShowImage(const std::wstring& name, bool visible) {
  FormImage* image = FindImage(name);
  if (!image || image->Visible() == visible) return;
  image->SetVisible(visible);
  InvalidateImage(*image);
}

void Form::MoveImage(const std::wstring& name, int left, int top) {
  FormImage* image = FindImage(name);
  if (!image) return;
  if (image->Visible()) InvalidateImage(*image);
  image->MoveTo(left, top);
  if (image->Visible()) InvalidateImage(*image);
}

void Form::MarkImage(const std::wstring& name, bool marked) {
  FormImage* image = FindImage(name);
  if (!image || image->Marked() == marked) return;
  image->SetMarked(marked);
  if (image->Visible()) InvalidateImage(*image);
}

void Form::DrawImages(HDC dc) const {
  for (const auto& image : images_)
    if (image->Visible()) image->Draw(dc, -horz_.position, -vert_.position);
}

}  // namespace topo::ui
