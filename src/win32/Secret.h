// Holders of a secret (a startup password): every byte that held it is
// overwritten before the memory goes back to the heap. A std::string would
// not do: it may move its text to a new buffer as it grows and frees the old
// one as it was, and its short-string buffer is never cleared. The buffers
// here never grow behind the caller's back and are wiped with
// SecureZeroMemory, which the compiler may not drop as a dead store.
#pragma once

#include <oleauto.h>
#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <string_view>
#include <utility>
#include <vector>

namespace topo::win32 {

// A secret byte string (code page 936).
class SecretText {
 public:
  SecretText() = default;
  explicit SecretText(std::string_view text) { Assign(text); }
  SecretText(const SecretText&) = delete;
  SecretText& operator=(const SecretText&) = delete;
  ~SecretText() { Wipe(); }

  void Assign(std::string_view text) {
    if (text.size() + 1 > buffer_.size()) {
      std::vector<char> larger(text.size() + 1);
      Wipe();
      buffer_.swap(larger);
    } else {
      Wipe();
    }
    std::copy(text.begin(), text.end(), buffer_.begin());
    size_ = text.size();
  }
  // Takes over other's text; other is left empty.
  void Swap(SecretText& other) noexcept {
    buffer_.swap(other.buffer_);
    std::swap(size_, other.size_);
  }
  std::string_view View() const { return {buffer_.data(), size_}; }
  size_t Size() const { return size_; }
  bool Empty() const { return size_ == 0; }
  void Wipe() noexcept {
    if (!buffer_.empty()) SecureZeroMemory(buffer_.data(), buffer_.size());
    size_ = 0;
  }

 private:
  std::vector<char> buffer_;
  size_t size_ = 0;
};

// A BSTR holding a secret, wiped before it is freed.
class SecretBStr {
 public:
  SecretBStr() = default;
  // The UTF-16 form of a code page 936 secret, converted straight into the
  // BSTR (no intermediate string).
  explicit SecretBStr(const SecretText& text) {
    const std::string_view bytes = text.View();
    const int length =
        bytes.empty()
            ? 0
            : MultiByteToWideChar(936, 0, bytes.data(), static_cast<int>(bytes.size()), nullptr, 0);
    s_ = SysAllocStringLen(nullptr, static_cast<UINT>(length));
    if (s_ && length > 0)
      MultiByteToWideChar(936, 0, bytes.data(), static_cast<int>(bytes.size()), s_, length);
  }
  SecretBStr(const SecretBStr&) = delete;
  SecretBStr& operator=(const SecretBStr&) = delete;
  ~SecretBStr() {
    if (!s_) return;
    SecureZeroMemory(s_, SysStringByteLen(s_));
    SysFreeString(s_);
  }
  BSTR Get() const { return s_; }

 private:
  BSTR s_ = nullptr;
};

}  // namespace topo::win32
