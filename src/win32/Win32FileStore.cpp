// The temporary file and the move behind every file the plug-in writes.
#include "win32/Win32FileStore.h"

#include "win32/CheckedCall.h"
#include "win32/Cp936.h"

namespace topo::win32 {

namespace {

[[noreturn]] void FailLast(const char* step, const std::wstring& path) {
  const DWORD error = GetLastError();
  const std::string operation = std::string(step) + " " + Cp936FromWide(path);
  throw EHostCallError(operation.c_str(), HRESULT_FROM_WIN32(error ? error : ERROR_GEN_FAILURE));
}

}  // namespace

TemporaryFile::TemporaryFile(const std::wstring& target, FileStepHook hook)
    : target_(target), hook_(std::move(hook)) {
  // Named after the process and the moment; CREATE_NEW never takes over a
  // file someone else left behind, a clash just tries the next name.
  LARGE_INTEGER now{};
  QueryPerformanceCounter(&now);
  for (int attempt = 0; attempt < 100; ++attempt) {
    path_ = target + L".tmp" + std::to_wstring(GetCurrentProcessId()) + L"-" +
            std::to_wstring(static_cast<unsigned long long>(now.QuadPart) + attempt);
    handle_ = CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle_ != INVALID_HANDLE_VALUE) {
      Reached(FileStep::kCreated);
      return;
    }
    const DWORD error = GetLastError();
    if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) break;
  }
  FailLast("CreateFileW", path_);
}

TemporaryFile::~TemporaryFile() {
  Close();
  if (!moved_) DeleteFileW(path_.c_str());
}

void TemporaryFile::Write(const std::string& bytes) {
  const char* data = bytes.data();
  size_t left = bytes.size();
  while (left > 0) {
    const DWORD chunk = left > 0x10000000 ? 0x10000000 : static_cast<DWORD>(left);
    DWORD written = 0;
    if (!WriteFile(handle_, data, chunk, &written, nullptr) || written == 0) {
      FailLast("WriteFile", path_);
    }
    data += written;
    left -= written;
  }
  Reached(FileStep::kWritten);
}

void TemporaryFile::Close() {
  if (handle_ != INVALID_HANDLE_VALUE) CloseHandle(handle_);
  handle_ = INVALID_HANDLE_VALUE;
}

void TemporaryFile::MoveOverTarget() {
  if (handle_ == INVALID_HANDLE_VALUE) {
    handle_ = CreateFileW(path_.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                          FILE_ATTRIBUTE_NORMAL, nullptr);
    if (handle_ == INVALID_HANDLE_VALUE) FailLast("CreateFileW", path_);
  }
  if (!FlushFileBuffers(handle_)) FailLast("FlushFileBuffers", path_);
  Reached(FileStep::kFlushed);
  Close();
  Reached(FileStep::kClosed);
  if (!MoveFileExW(path_.c_str(), target_.c_str(),
                   MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
    FailLast("MoveFileExW", target_);
  }
  moved_ = true;
  Reached(FileStep::kMoved);
}

void Win32FileStore::ReplaceFile(const std::string& path, const std::string& bytes) {
  TemporaryFile file(WideFromCp936(path), hook_);
  file.Write(bytes);
  file.MoveOverTarget();
}

}  // namespace topo::win32
