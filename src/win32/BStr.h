// Owner of one BSTR. Host interfaces take real BSTRs (with their length prefix),
// never plain wide strings, so every string passed to the host goes through here.
#pragma once

#include <oleauto.h>

#include <string>
#include <utility>

namespace topo::win32 {

class BStr {
 public:
  BStr() = default;
  explicit BStr(const wchar_t* text) : s_(SysAllocString(text)) {}
  explicit BStr(const std::wstring& text)
      : s_(SysAllocStringLen(text.data(), static_cast<UINT>(text.size()))) {}
  BStr(const BStr&) = delete;
  BStr& operator=(const BStr&) = delete;
  BStr(BStr&& other) noexcept : s_(std::exchange(other.s_, nullptr)) {}
  BStr& operator=(BStr&& other) noexcept {
    if (this != &other) {
      SysFreeString(s_);
      s_ = std::exchange(other.s_, nullptr);
    }
    return *this;
  }
  ~BStr() { SysFreeString(s_); }

  BSTR Get() const { return s_; }
  BSTR* Put() {
    SysFreeString(s_);
    s_ = nullptr;
    return &s_;
  }
  BSTR Detach() { return std::exchange(s_, nullptr); }
  std::wstring Str() const { return s_ ? std::wstring(s_, SysStringLen(s_)) : std::wstring(); }

 private:
  BSTR s_ = nullptr;
};

}  // namespace topo::win32
