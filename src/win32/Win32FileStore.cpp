// The temporary file and the move behind every file the plug-in writes.
#include "win32/Win32FileStore.h"

#include <cwctype>
#include <memory>

#include "win32/CheckedCall.h"
#include "win32/Cp936.h"

namespace topo::win32 {

namespace {

[[noreturn]] void FailLast(const char* step, const std::wstring& path) {
  const DWORD error = GetLastError();
  const std::string operation = std::string(step) + " " + Cp936FromWide(path);
  throw EHostCallError(operation.c_str(), HRESULT_FROM_WIN32(error ? error : ERROR_GEN_FAILURE));
}

struct FindCloser {
  void operator()(HANDLE search) const { FindClose(search); }
};
using OwnedSearch = std::unique_ptr<std::remove_pointer_t<HANDLE>, FindCloser>;

struct HandleCloser {
  void operator()(HANDLE handle) const { CloseHandle(handle); }
};
using OwnedHandle = std::unique_ptr<std::remove_pointer_t<HANDLE>, HandleCloser>;

constexpr wchar_t kTemporarySuffix[] = L".tmp";

// A process that may still be writing: one that runs, or one this process may
// not look at. Only a process known to have ended has no claim on its files.
bool MayStillRun(DWORD pid) {
  OwnedHandle process(OpenProcess(SYNCHRONIZE, FALSE, pid));
  if (!process) return GetLastError() == ERROR_ACCESS_DENIED;
  return WaitForSingleObject(process.get(), 0) != WAIT_OBJECT_0;
}

// The writer's process id in a temporary name "TARGET.tmpPID-N", or 0 when
// the name is not one of ours.
DWORD WriterOf(const std::wstring& name, const std::wstring& prefix) {
  if (name.size() <= prefix.size() || name.compare(0, prefix.size(), prefix) != 0) return 0;
  const std::wstring rest = name.substr(prefix.size());
  const size_t dash = rest.find(L'-');
  if (dash == 0 || dash == std::wstring::npos || dash + 1 == rest.size()) return 0;
  for (size_t i = 0; i < rest.size(); ++i) {
    if (i != dash && !std::iswdigit(rest[i])) return 0;
  }
  if (dash > 10) return 0;
  const unsigned long long pid = std::stoull(rest.substr(0, dash));
  return pid > 0 && pid <= 0xFFFFFFFFull ? static_cast<DWORD>(pid) : 0;
}

// Removes the temporary files that writers of this target left when they
// were killed before the move. Best effort: a file that cannot be removed
// now is tried again at the next save.
void RemoveLeftovers(const std::wstring& target) {
  const size_t slash = target.find_last_of(L"\\/");
  const std::wstring folder = slash == std::wstring::npos ? L"" : target.substr(0, slash + 1);
  const std::wstring prefix = target.substr(folder.size()) + kTemporarySuffix;
  WIN32_FIND_DATAW found;
  const HANDLE first = FindFirstFileW((target + kTemporarySuffix + L"*").c_str(), &found);
  if (first == INVALID_HANDLE_VALUE) return;
  const OwnedSearch search(first);
  do {
    if (found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) continue;
    const DWORD writer = WriterOf(found.cFileName, prefix);
    if (writer == 0 || writer == GetCurrentProcessId() || MayStillRun(writer)) continue;
    DeleteFileW((folder + found.cFileName).c_str());
  } while (FindNextFileW(search.get(), &found));
}

}  // namespace

TemporaryFile::TemporaryFile(const std::wstring& target, FileStepHook hook)
    : target_(target), hook_(std::move(hook)) {
  // Named after the process and the moment; CREATE_NEW never takes over a
  // file someone else left behind, a clash just tries the next name.
  LARGE_INTEGER now{};
  QueryPerformanceCounter(&now);
  for (int attempt = 0; attempt < 100; ++attempt) {
    path_ = target + kTemporarySuffix + std::to_wstring(GetCurrentProcessId()) + L"-" +
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
  RemoveLeftovers(target_);
}

void Win32FileStore::ReplaceFile(const std::string& path, const std::string& bytes) {
  TemporaryFile file(WideFromCp936(path), hook_);
  file.Write(bytes);
  file.MoveOverTarget();
}

}  // namespace topo::win32
