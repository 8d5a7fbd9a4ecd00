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
#include <new>
#include <string_view>
#include <utility>
#include <vector>

#include "win32/Cp936.h"

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
    const int length = WideFromCp936(text.View(), nullptr, 0);
    s_ = SysAllocStringLen(nullptr, static_cast<UINT>(length));
    // Sending an empty password instead would look like a wrong one.
    if (!s_) throw std::bad_alloc();
    if (length > 0) WideFromCp936(text.View(), s_, length);
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

// Overwrites what a VARIANT holds in place, when it is a text or an array of
// plain values (a packet that carried a secret); the VARIANT is freed as usual
// afterwards by its owner.
inline void WipeVariantData(VARIANT& v) noexcept {
  if (v.vt == VT_BSTR && v.bstrVal) {
    SecureZeroMemory(v.bstrVal, SysStringByteLen(v.bstrVal));
  } else if ((v.vt & VT_ARRAY) && !(v.vt & VT_BYREF) && v.parray) {
    const VARTYPE element = static_cast<VARTYPE>(v.vt & VT_TYPEMASK);
    if (element == VT_BSTR || element == VT_VARIANT || element == VT_DISPATCH ||
        element == VT_UNKNOWN)
      return;  // not plain values: zeroing would lose the references they hold
    SAFEARRAY* array = v.parray;
    size_t count = 1;
    for (UINT d = 0; d < array->cDims; ++d) count *= array->rgsabound[d].cElements;
    void* data = nullptr;
    if (SUCCEEDED(SafeArrayAccessData(array, &data)) && data) {
      SecureZeroMemory(data, count * array->cbElements);
      SafeArrayUnaccessData(array);
    }
  }
}

// Wipes a VARIANT's data when it goes out of scope, before its owner frees it.
class VariantWiper {
 public:
  explicit VariantWiper(VARIANT& v) : v_(v) {}
  VariantWiper(const VariantWiper&) = delete;
  VariantWiper& operator=(const VariantWiper&) = delete;
  ~VariantWiper() { WipeVariantData(v_); }

 private:
  VARIANT& v_;
};

}  // namespace topo::win32
