// Where the toolkit sends an exception that escapes a handler, paint or
// window procedure. An exception must never unwind through Windows' own
// frames (DispatchMessage, a COM caller), so each entry point from Windows
// runs its body here. The plug-in installs its own reporter (its message box
// owned by the host's top window); the toolkit does not know the host.
#pragma once

#include <windows.h>

#include <exception>
#include <functional>
#include <string>

namespace topo::ui {

// Shows text to the operator; window is the window whose code failed.
using ErrorReporter = std::function<void(HWND window, const std::wstring& text)>;

// Replaces the reporter and returns the old one. The default shows a plain
// message box owned by the failing window's top-level ancestor.
ErrorReporter SetErrorReporter(ErrorReporter reporter);

// Reports an exception (std::exception texts are code page 936).
void ReportException(HWND window, std::exception_ptr failure) noexcept;

// Runs body; an exception that escapes it is reported instead of crossing
// into Windows. Returns false when that happened.
bool RunGuarded(const std::function<void()>& body, HWND window) noexcept;

}  // namespace topo::ui
