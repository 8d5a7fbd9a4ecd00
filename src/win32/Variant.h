// Owner of one VARIANT: cleared exactly once, copied only with VariantCopy.
#pragma once

#include <oleauto.h>

#include <string>

namespace topo::win32 {

class Variant {
 public:
  Variant() { VariantInit(&v_); }
  Variant(const Variant&) = delete;
  Variant& operator=(const Variant&) = delete;
  Variant(Variant&& other) noexcept {
    v_ = other.v_;
    VariantInit(&other.v_);
  }
  Variant& operator=(Variant&& other) noexcept {
    if (this != &other) {
      VariantClear(&v_);
      v_ = other.v_;
      VariantInit(&other.v_);
    }
    return *this;
  }
  ~Variant() { VariantClear(&v_); }

  static Variant Int32(LONG value) {
    Variant r;
    r.v_.vt = VT_I4;
    r.v_.lVal = value;
    return r;
  }
  static Variant Int16(SHORT value) {
    Variant r;
    r.v_.vt = VT_I2;
    r.v_.iVal = value;
    return r;
  }
  static Variant String(const std::wstring& text) {
    Variant r;
    r.v_.vt = VT_BSTR;
    r.v_.bstrVal = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
    return r;
  }
  // A deep copy of someone else's VARIANT.
  static Variant Copy(const VARIANT& source) {
    Variant r;
    VariantCopy(&r.v_, const_cast<VARIANT*>(&source));
    return r;
  }

  // For passing by value to a host call: the callee does not take ownership.
  const VARIANT& Get() const { return v_; }
  VARIANT* Put() {
    VariantClear(&v_);
    return &v_;
  }
  VARTYPE Type() const { return v_.vt; }
  bool IsEmpty() const { return v_.vt == VT_EMPTY || v_.vt == VT_NULL; }

 private:
  VARIANT v_;
};

}  // namespace topo::win32
