// Closes the message boxes this thread shows while it lives, remembering their
// text and owner: tests of the real DLL see what an operator would see without
// a modal box blocking the run.
#pragma once

#include <windows.h>

#include <string>

namespace topo::test {

class MessageBoxCloser {
 public:
  MessageBoxCloser();
  MessageBoxCloser(const MessageBoxCloser&) = delete;
  MessageBoxCloser& operator=(const MessageBoxCloser&) = delete;
  ~MessageBoxCloser();

  int closed = 0;
  std::wstring lastText;
  HWND lastOwner = nullptr;

 private:
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD);
  UINT_PTR timer_ = 0;
};

}  // namespace topo::test
