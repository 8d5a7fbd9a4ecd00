// Whole-file replacement on Windows: the new content goes to a temporary file
// in the target's folder, is flushed, and is then moved over the target in one
// step, so a failure or a crash part-way leaves the previous file as it was.
#pragma once

#include <windows.h>

#include <functional>
#include <string>
#include <utility>

#include "model/FileStore.h"

namespace topo::win32 {

// The points a replacement passes, in order: the temporary file exists, holds
// the new bytes, is on disk, is closed, has replaced the target. A hook is
// told of each; the crash tests stop the process there.
enum class FileStep { kCreated, kWritten, kFlushed, kClosed, kMoved };
using FileStepHook = std::function<void(FileStep)>;

// A new, empty file beside a target, deleted again unless MoveOverTarget
// put it in the target's place. Failures throw EHostCallError naming the
// step and the path.
class TemporaryFile {
 public:
  explicit TemporaryFile(const std::wstring& target, FileStepHook hook = {});
  ~TemporaryFile();
  TemporaryFile(const TemporaryFile&) = delete;
  TemporaryFile& operator=(const TemporaryFile&) = delete;

  const std::wstring& Path() const { return path_; }
  void Write(const std::string& bytes);
  // For a writer that fills the file by its path (after Close).
  void Reached(FileStep step) const {
    if (hook_) hook_(step);
  }
  // Lets another writer open the file by its path.
  void Close();
  // Flushes the file to disk, then replaces the target with it.
  void MoveOverTarget();

 private:
  std::wstring target_;
  FileStepHook hook_;
  std::wstring path_;
  HANDLE handle_ = INVALID_HANDLE_VALUE;
  bool moved_ = false;
};

class Win32FileStore : public FileStore {
 public:
  explicit Win32FileStore(FileStepHook hook = {}) : hook_(std::move(hook)) {}
  // path in code page 936.
  void ReplaceFile(const std::string& path, const std::string& bytes) override;

 private:
  FileStepHook hook_;
};

}  // namespace topo::win32
