// Guarded painting: the form's own painting and its pictures. A paint that
// throws still ends its paint (the DC owner does), so Windows does not ask for
// the failing paint again at once, and the failure is reported once, not once
// per repaint, until a paint succeeds again.
#include <exception>

#include "ui/ExceptionBoundary.h"
#include "ui/Form.h"

namespace topo::ui {

void Form::PaintTo(HDC dc, const RECT& update) {
  FormPaint(dc, update);
  DrawImages(dc);
}

void Form::Paint(HDC printDc) {
  std::exception_ptr failure;
  if (printDc) {
    RECT client;
    GetClientRect(hwnd_, &client);
    try {
      FillRect(printDc, &client, GetSysColorBrush(COLOR_BTNFACE));
      PaintTo(printDc, client);
    } catch (...) {
      failure = std::current_exception();
    }
  } else {
    win32::PaintDc dc(hwnd_);
    try {
      PaintTo(dc.Get(), dc.Update());
    } catch (...) {
      failure = std::current_exception();
    }
  }  // EndPaint has validated the region: the report's own message loop
     // cannot ask for the failing paint again.
  if (!failure) {
    paintFailing_ = false;
  } else if (!paintFailing_) {
    paintFailing_ = true;
    ReportException(hwnd_, failure);
  }
}

}  // namespace topo::ui
