// TProgressForm: the small modeless window a command on all instances of a
// node shows while it sends one request after another ("启动 N 3/10"). Its
// Cancel button, its close box and Escape only mark the command as cancelled:
// the command looks at the mark between two instances, never inside a request.
#pragma once

#include <windows.h>

#include <string>

#include "ui/Form.h"

namespace topo::window {

class TProgressForm : public ui::Form {
 public:
  // From a layout with the label lbProgress and the button btnCancel.
  TProgressForm(const ui::FormLayout& layout, HMODULE bitmapSource, const std::wstring& caption,
                const std::wstring& cancel);

  void SetStep(const std::wstring& text);
  std::wstring Step() const { return ui::WindowText(lbProgress_); }
  bool Cancelled() const { return cancelled_; }
  HWND CancelButton() const { return btnCancel_; }
  // Shows it centred over a window, without changing its size.
  void ShowOver(HWND window);

 protected:
  void FormClose(ui::TCloseAction& action) override;
  void KeyDown(WORD key, unsigned shift) override;

 private:
  HWND lbProgress_, btnCancel_;
  bool cancelled_ = false;
};

}  // namespace topo::window
