// The message of a failed host call: the operation, the HRESULT and the system's text for it.
#include "win32/CheckedCall.h"

#include <cstdio>

#include "win32/Cp936.h"

namespace topo::win32 {
namespace {

std::string Describe(const char* operation, HRESULT result) {
  char head[160];
  std::snprintf(head, sizeof head, "%s failed (0x%08lX)", operation,
                static_cast<unsigned long>(result));
  std::string text = head;
  wchar_t* message = nullptr;
  DWORD n = FormatMessageW(
      FORMAT_MESSAGE_ALLOCATE_BUFFER | FORMAT_MESSAGE_FROM_SYSTEM | FORMAT_MESSAGE_IGNORE_INSERTS,
      nullptr, static_cast<DWORD>(result), 0, reinterpret_cast<wchar_t*>(&message), 0, nullptr);
  if (n && message) {
    while (n && (message[n - 1] == L'\r' || message[n - 1] == L'\n' || message[n - 1] == L' ')) --n;
    text += ": " + Cp936FromWide(message, n);
  }
  if (message) LocalFree(message);
  return text;
}

}  // namespace

EHostCallError::EHostCallError(const char* operation, HRESULT result)
    : std::runtime_error(Describe(operation, result)), operation_(operation), result_(result) {}

}  // namespace topo::win32
