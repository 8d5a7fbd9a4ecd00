// Owner of one COM reference. Copying is deleted, so a reference can never be
// released twice by two copies; ownership moves instead.
#pragma once

#include <unknwn.h>

#include <utility>

namespace topo::win32 {

template <class T>
class ComPtr {
 public:
  ComPtr() = default;
  // Takes over a reference the caller already owns (no AddRef).
  explicit ComPtr(T* owned) : p_(owned) {}
  ComPtr(const ComPtr&) = delete;
  ComPtr& operator=(const ComPtr&) = delete;
  ComPtr(ComPtr&& other) noexcept : p_(std::exchange(other.p_, nullptr)) {}
  ComPtr& operator=(ComPtr&& other) noexcept {
    if (this != &other) Reset(std::exchange(other.p_, nullptr));
    return *this;
  }
  ~ComPtr() { Reset(); }

  // Adds a reference of its own to a pointer someone else owns.
  static ComPtr Borrow(T* p) {
    if (p) p->AddRef();
    return ComPtr(p);
  }

  void Reset(T* owned = nullptr) {
    T* old = std::exchange(p_, owned);
    if (old) old->Release();
  }
  T* Detach() { return std::exchange(p_, nullptr); }
  // For out parameters: releases what is held and returns the slot.
  T** Put() {
    Reset();
    return &p_;
  }
  void** PutVoid() { return reinterpret_cast<void**>(Put()); }

  T* Get() const { return p_; }
  T* operator->() const { return p_; }
  explicit operator bool() const { return p_ != nullptr; }

  // QueryInterface into another owner; empty on failure.
  template <class U>
  ComPtr<U> As(const IID& iid, HRESULT* result = nullptr) const {
    ComPtr<U> out;
    HRESULT hr = p_ ? p_->QueryInterface(iid, out.PutVoid()) : E_POINTER;
    if (result) *result = hr;
    if (FAILED(hr)) out.Reset();
    return out;
  }

 private:
  T* p_ = nullptr;
};

}  // namespace topo::win32
