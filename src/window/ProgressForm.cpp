// The progress window's texts, placement and cancelling.
#include "window/ProgressForm.h"

#include <stdexcept>

namespace topo::window {

TProgressForm::TProgressForm(const ui::FormLayout& layout, HMODULE bitmapSource,
                             const std::wstring& caption, const std::wstring& cancel)
    : Form(layout, bitmapSource),
      lbProgress_(Control(L"lbProgress")),
      btnCancel_(Control(L"btnCancel")) {
  if (!lbProgress_ || !btnCancel_)
    throw std::runtime_error("the progress window's layout lacks one of its controls");
  if (!caption.empty()) SetWindowTextW(Handle(), caption.c_str());
  if (!cancel.empty()) SetWindowTextW(btnCancel_, cancel.c_str());
  SetClickHandler(btnCancel_, [this](HWND) { cancelled_ = true; });
}

void TProgressForm::SetStep(const std::wstring& text) { SetWindowTextW(lbProgress_, text.c_str()); }

void TProgressForm::ShowOver(HWND window) {
  RECT over{}, own{};
  GetWindowRect(window, &over);
  GetWindowRect(Handle(), &own);
  const LONG width = own.right - own.left, height = own.bottom - own.top;
  SetWindowPos(Handle(), nullptr, (over.left + over.right - width) / 2,
               (over.top + over.bottom - height) / 2, 0, 0,
               SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
  Show();
}

// Closing the window is the operator asking to stop; the window itself stays
// until the command ends, so that it never goes while the command uses it.
void TProgressForm::FormClose(ui::TCloseAction& action) {
  cancelled_ = true;
  action = ui::TCloseAction::None;
}

void TProgressForm::KeyDown(WORD key, unsigned shift) {
  if (key == VK_ESCAPE) cancelled_ = true;
  Form::KeyDown(key, shift);
}

}  // namespace topo::window
