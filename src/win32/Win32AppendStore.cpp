// Reading and appending with the Win32 file functions.
#include "win32/Win32AppendStore.h"

#include <windows.h>

#include <memory>
#include <type_traits>

#include "win32/CheckedCall.h"
#include "win32/Cp936.h"

namespace topo::win32 {

namespace {

struct HandleCloser {
  void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using OwnedFile = std::unique_ptr<std::remove_pointer_t<HANDLE>, HandleCloser>;

[[noreturn]] void Fail(const char* step, const std::string& path, DWORD error) {
  const std::string operation = std::string(step) + " " + path;
  throw EHostCallError(operation.c_str(), HRESULT_FROM_WIN32(error ? error : ERROR_GEN_FAILURE));
}

}  // namespace

std::optional<std::string> Win32AppendStore::Read(const std::string& path) {
  const HANDLE opened = CreateFileW(WideFromCp936(path).c_str(), GENERIC_READ,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (opened == INVALID_HANDLE_VALUE) {
    const DWORD error = GetLastError();
    if (error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND) return std::nullopt;
    Fail("CreateFileW", path, error);
  }
  const OwnedFile file(opened);
  std::string bytes;
  char buffer[65536];
  for (;;) {
    DWORD read = 0;
    if (!ReadFile(file.get(), buffer, sizeof buffer, &read, nullptr))
      Fail("ReadFile", path, GetLastError());
    if (read == 0) return bytes;
    bytes.append(buffer, read);
  }
}

void Win32AppendStore::Append(const std::string& path, const std::string& bytes) {
  const HANDLE opened =
      CreateFileW(WideFromCp936(path).c_str(), FILE_APPEND_DATA, FILE_SHARE_READ | FILE_SHARE_WRITE,
                  nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
  if (opened == INVALID_HANDLE_VALUE) Fail("CreateFileW", path, GetLastError());
  const OwnedFile file(opened);
  DWORD written = 0;
  if (!WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr) ||
      written != bytes.size())
    Fail("WriteFile", path, GetLastError());
}

}  // namespace topo::win32
