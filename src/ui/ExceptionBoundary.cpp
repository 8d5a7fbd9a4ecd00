// The toolkit's exception boundary and its replaceable reporter.
#include "ui/ExceptionBoundary.h"

#include <exception>
#include <utility>

#include "win32/Cp936.h"

namespace topo::ui {
namespace {

void DefaultReporter(HWND window, const std::wstring& text) {
  HWND owner = window ? GetAncestor(window, GA_ROOT) : nullptr;
  MessageBoxW(owner, text.c_str(), L"topo", MB_OK);
}

ErrorReporter& Reporter() {
  static ErrorReporter reporter = DefaultReporter;
  return reporter;
}

}  // namespace

ErrorReporter SetErrorReporter(ErrorReporter reporter) {
  std::swap(reporter, Reporter());
  return reporter;
}

void ReportException(HWND window, std::exception_ptr failure) noexcept {
  try {
    std::wstring text = L"\x672A\x77E5\x9519\x8BEF";  // "unknown error"
    try {
      std::rethrow_exception(failure);
    } catch (const std::exception& e) {
      text = win32::WideFromCp936(e.what());
    } catch (...) {
    }
    if (ErrorReporter report = Reporter()) report(window, text);
  } catch (...) {
  }
}

bool RunGuarded(const std::function<void()>& body, HWND window) noexcept {
  try {
    body();
    return true;
  } catch (...) {
    ReportException(window, std::current_exception());
  }
  return false;
}

}  // namespace topo::ui
