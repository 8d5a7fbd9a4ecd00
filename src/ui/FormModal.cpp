// Showing a form modally: a message loop of its own while its owner is
// disabled. The owner is enabled again however the loop ends (a result, a
// close, WM_QUIT, an exception), and the loop notices when the form itself is
// destroyed inside it, so it never touches the freed object.
#include <memory>
#include <stdexcept>

#include "ui/Form.h"

namespace topo::ui {

int Form::ShowModal(HWND owner) {
  if (!hwnd_) throw std::logic_error("a destroyed form cannot be shown");
  if (modal_) throw std::logic_error("the form is already shown modally");
  if (owner) SetOwner(owner);
  owner = GetWindow(hwnd_, GW_OWNER);
  // The owner comes back to life however the loop ends.
  struct Reenable {
    HWND owner;
    bool wasEnabled;
    ~Reenable() {
      if (owner && wasEnabled) EnableWindow(owner, TRUE);
    }
  } reenable{owner, owner && IsWindowEnabled(owner)};
  if (owner) EnableWindow(owner, FALSE);

  std::weak_ptr<void> alive = alive_;
  modalResult_ = mrNone;
  modal_ = true;
  ShowWindow(hwnd_, SW_SHOW);
  SetActiveWindow(hwnd_);
  MSG msg;
  while (!alive.expired() && modalResult_ == mrNone) {
    const BOOL got = GetMessageW(&msg, nullptr, 0, 0);
    if (got == 0) {
      PostQuitMessage(static_cast<int>(msg.wParam));  // the outer loop must see it too
      break;
    }
    if (got < 0) break;
    TranslateMessage(&msg);
    DispatchMessageW(&msg);
  }
  if (alive.expired()) return mrCancel;
  modal_ = false;
  const int result = modalResult_ == mrNone ? mrCancel : modalResult_;
  // Enabled before the window hides, so that the activation goes back to it.
  if (reenable.owner && reenable.wasEnabled) EnableWindow(reenable.owner, TRUE);
  reenable.owner = nullptr;
  ShowWindow(hwnd_, SW_HIDE);
  return result;
}

}  // namespace topo::ui
