// Reference counting and the IUnknown/IDispatch boilerplate shared by every
// COM object the simulated host hands to the plug-in. The plug-in calls these
// objects through fixed vtable slots only, so IDispatch's late binding is not
// offered: its four methods answer as an object without type information.
#pragma once

#include <windows.h>

#include <memory>
#include <new>
#include <type_traits>
#include <utility>

#include "win32/ComPtr.h"

namespace arhost {

// No C++ exception may leave a COM method into the plug-in: a failed
// allocation becomes E_OUTOFMEMORY, anything else E_FAIL.
template <class Body>
HRESULT Guard(Body body) noexcept {
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_FAIL;
  }
}

// Derived supplies `static const IID& Iid()` for the interface it implements
// (besides IUnknown, and IDispatch when Interface derives from it). Objects are
// made with Create, which hands out the first reference; the last Release
// destroys the object.
template <class Derived, class Interface>
class UnknownObject : public Interface {
 public:
  UnknownObject() = default;
  UnknownObject(const UnknownObject&) = delete;
  UnknownObject& operator=(const UnknownObject&) = delete;
  virtual ~UnknownObject() = default;

  template <class... Args>
  static topo::win32::ComPtr<Interface> Create(Args&&... args) {
    auto object = std::make_unique<Derived>(std::forward<Args>(args)...);
    return topo::win32::ComPtr<Interface>(static_cast<Interface*>(object.release()));
  }
  // The implementation behind an interface pointer that Create made.
  static Derived* From(Interface* p) { return static_cast<Derived*>(p); }

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    bool dispatch = std::is_base_of_v<IDispatch, Interface> && IsEqualIID(iid, IID_IDispatch);
    if (IsEqualIID(iid, IID_IUnknown) || dispatch || IsEqualIID(iid, Derived::Iid())) {
      *out = static_cast<Interface*>(this);
      this->AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override {
    return static_cast<ULONG>(InterlockedIncrement(&refs_));
  }
  ULONG STDMETHODCALLTYPE Release() override {
    LONG left = InterlockedDecrement(&refs_);
    if (left == 0) std::unique_ptr<Derived> last(static_cast<Derived*>(this));
    return static_cast<ULONG>(left);
  }

 private:
  LONG refs_ = 1;
};

template <class Derived, class Interface>
class ComObject : public UnknownObject<Derived, Interface> {
 public:
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override {
    if (!count) return E_POINTER;
    *count = 0;
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo** info) override {
    if (info) *info = nullptr;
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    return E_NOTIMPL;
  }
};

// The class object CoCreateInstance reaches for Object. Making the object
// can fail like any allocation; the failure is answered as an HRESULT, since
// an exception must not unwind into COM's caller.
template <class Object>
class ClassFactory : public UnknownObject<ClassFactory<Object>, IClassFactory> {
 public:
  static const IID& Iid() { return IID_IClassFactory; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    *out = nullptr;
    if (outer) return CLASS_E_NOAGGREGATION;
    return Guard([&] { return Object::Create()->QueryInterface(iid, out); });
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }
};

}  // namespace arhost
