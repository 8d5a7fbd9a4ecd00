// Writing through a temporary file means a full disk or a crash mid-write
// leaves the previous file intact; the temporary is removed on every failure.
#include "posix/StdFileStore.h"

#include <fcntl.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <system_error>

namespace topo {

namespace {

[[noreturn]] void Fail(const char* step, const std::string& path, int error) {
  throw std::system_error(error, std::generic_category(), std::string(step) + " " + path);
}

// Closes the descriptor and removes the temporary unless the rename happened.
class TempFile {
 public:
  TempFile(std::string path, int fd) : path_(std::move(path)), fd_(fd) {}
  TempFile(const TempFile&) = delete;
  TempFile& operator=(const TempFile&) = delete;
  ~TempFile() {
    if (fd_ >= 0) ::close(fd_);
    if (!renamed_) ::unlink(path_.c_str());
  }
  int fd() const { return fd_; }
  const std::string& path() const { return path_; }
  int Close() {
    const int result = ::close(fd_);
    fd_ = -1;
    return result;
  }
  void MarkRenamed() { renamed_ = true; }

 private:
  std::string path_;
  int fd_;
  bool renamed_ = false;
};

TempFile CreateBeside(const std::string& path) {
  static std::atomic<unsigned> counter{0};
  for (int attempt = 0; attempt < 100; ++attempt) {
    std::string candidate =
        path + ".tmp" + std::to_string(::getpid()) + "-" + std::to_string(counter.fetch_add(1));
    const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
    if (fd >= 0) return TempFile(std::move(candidate), fd);
    if (errno != EEXIST) Fail("create", candidate, errno);
  }
  Fail("create", path, EEXIST);
}

}  // namespace

void StdFileStore::ReplaceFile(const std::string& path, const std::string& bytes) {
  TempFile temp = CreateBeside(path);
  const char* data = bytes.data();
  size_t left = bytes.size();
  while (left > 0) {
    const ssize_t written = ::write(temp.fd(), data, left);
    if (written < 0) {
      if (errno == EINTR) continue;
      Fail("write", temp.path(), errno);
    }
    data += written;
    left -= static_cast<size_t>(written);
  }
  if (::fsync(temp.fd()) != 0) Fail("flush", temp.path(), errno);
  if (temp.Close() != 0) Fail("close", temp.path(), errno);
  if (::rename(temp.path().c_str(), path.c_str()) != 0) Fail("rename", path, errno);
  temp.MarkRenamed();
}

}  // namespace topo
