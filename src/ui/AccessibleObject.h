// AccessibleObject: what a window that paints its own children (the diagram's
// boxes, the grid's cells) hands a screen reader for its client area, with the
// interface's rules (argument checks, return codes, screen coordinates) in one
// place. Clients keep it as long as they like, so it lives by its own reference
// count, and once its window disconnects it every member answers
// CO_E_OBJNOTCONNECTED without touching the window.
#pragma once

#include <windows.h>
// windows.h first: the accessibility header relies on it.
#include <oleacc.h>

#include <memory>
#include <optional>
#include <string>
#include <utility>

#include "win32/ComPtr.h"

namespace topo::ui {

class AccessibleObject : public IAccessible {
 public:
  // One child as the subclass describes it.
  struct Child {
    std::wstring name;
    std::optional<std::wstring> value;        // none: the child has no value
    std::optional<std::wstring> description;  // none: no description
    LONG role = 0;
    LONG state = 0;  // including STATE_SYSTEM_OFFSCREEN
    RECT bounds{};   // client coordinates, also while scrolled out of view
  };

  AccessibleObject(const AccessibleObject&) = delete;
  AccessibleObject& operator=(const AccessibleObject&) = delete;
  virtual ~AccessibleObject() = default;

  // WM_GETOBJECT's answer for this object (LresultFromObject), <= 0 on failure.
  LRESULT Answer(WPARAM wParam);
  // The window is going: no member reaches it any more, and the references
  // COM holds for other processes are dropped.
  void Disconnect();

  // IUnknown
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** object) override;
  ULONG STDMETHODCALLTYPE AddRef() override;
  ULONG STDMETHODCALLTYPE Release() override;
  // IDispatch: clients use the interface itself; no type information.
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT* count) override;
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override;
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override;
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override;
  // IAccessible
  HRESULT STDMETHODCALLTYPE get_accParent(IDispatch** parent) override;
  HRESULT STDMETHODCALLTYPE get_accChildCount(LONG* count) override;
  HRESULT STDMETHODCALLTYPE get_accChild(VARIANT id, IDispatch** child) override;
  HRESULT STDMETHODCALLTYPE get_accName(VARIANT id, BSTR* name) override;
  HRESULT STDMETHODCALLTYPE get_accValue(VARIANT id, BSTR* value) override;
  HRESULT STDMETHODCALLTYPE get_accDescription(VARIANT id, BSTR* description) override;
  HRESULT STDMETHODCALLTYPE get_accRole(VARIANT id, VARIANT* role) override;
  HRESULT STDMETHODCALLTYPE get_accState(VARIANT id, VARIANT* state) override;
  HRESULT STDMETHODCALLTYPE get_accHelp(VARIANT id, BSTR* help) override;
  HRESULT STDMETHODCALLTYPE get_accHelpTopic(BSTR* file, VARIANT id, LONG* topic) override;
  HRESULT STDMETHODCALLTYPE get_accKeyboardShortcut(VARIANT id, BSTR* shortcut) override;
  HRESULT STDMETHODCALLTYPE get_accFocus(VARIANT* focus) override;
  HRESULT STDMETHODCALLTYPE get_accSelection(VARIANT* selection) override;
  HRESULT STDMETHODCALLTYPE get_accDefaultAction(VARIANT id, BSTR* action) override;
  HRESULT STDMETHODCALLTYPE accSelect(LONG flags, VARIANT id) override;
  HRESULT STDMETHODCALLTYPE accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                        VARIANT id) override;
  HRESULT STDMETHODCALLTYPE accNavigate(LONG direction, VARIANT start, VARIANT* end) override;
  HRESULT STDMETHODCALLTYPE accHitTest(LONG x, LONG y, VARIANT* hit) override;
  HRESULT STDMETHODCALLTYPE accDoDefaultAction(VARIANT id) override;
  HRESULT STDMETHODCALLTYPE put_accName(VARIANT id, BSTR name) override;
  HRESULT STDMETHODCALLTYPE put_accValue(VARIANT id, BSTR value) override;

 protected:
  explicit AccessibleObject(HWND window) : window_(window) {}
  HWND Window() const { return window_; }
  // Whether a client rectangle shows any part of itself in the client area.
  bool Shows(const RECT& bounds) const;

  // Called only while connected.
  // The whole's name: the window's text, which windows of this kind never
  // paint themselves (the diagram's caption, the grid's table name).
  virtual std::wstring Name();
  virtual LONG Role() = 0;  // of the whole
  virtual LONG ChildCount() = 0;
  virtual Child ChildOf(LONG child) = 0;   // 1..ChildCount
  virtual LONG ChildAt(POINT client) = 0;  // 0: none there
  // The neighbour in a direction NAVDIR_UP..NAVDIR_RIGHT; 0: none.
  virtual LONG Toward(LONG child, LONG direction) = 0;
  virtual LONG Selected() = 0;  // 0: none
  // Makes the child the one selected (the only selection there is), and
  // gives the window the focus if asked; false when it cannot be selected.
  virtual bool Select(LONG child, bool takeFocus) = 0;

 private:
  // A child id of the variant: CHILDID_SELF or 1..ChildCount; none otherwise.
  std::optional<LONG> IdOf(const VARIANT& id);
  template <class Body>
  HRESULT Run(Body body);

  LONG refs_ = 1;
  HWND window_;
};

// Makes an object of a subclass, owned by the reference it is returned with.
template <class T, class... Args>
win32::ComPtr<AccessibleObject> MakeAccessible(Args&&... args) {
  return win32::ComPtr<AccessibleObject>(
      std::make_unique<T>(std::forward<Args>(args)...).release());
}

// The window's end: answers WM_GETOBJECT with the object made at the first
// request, and disconnects it when the window is destroyed (or this is).
class AccessibleLink {
 public:
  AccessibleLink() = default;
  AccessibleLink(const AccessibleLink&) = delete;
  AccessibleLink& operator=(const AccessibleLink&) = delete;
  ~AccessibleLink() { Disconnect(); }

  // The answer for OBJID_CLIENT, or 0 (for the default answer) for other
  // objects, once disconnected, or when the object cannot be made or handed out.
  template <class Make>
  LRESULT Answer(WPARAM wParam, LPARAM lParam, const Make& make) noexcept {
    if (static_cast<DWORD>(lParam) != static_cast<DWORD>(OBJID_CLIENT) || closed_) return 0;
    try {
      if (!object_) object_ = make();
    } catch (...) {
      return 0;
    }
    const LRESULT result = object_ ? object_->Answer(wParam) : 0;
    return result > 0 ? result : 0;
  }
  void Disconnect();

 private:
  win32::ComPtr<AccessibleObject> object_;
  bool closed_ = false;
};

}  // namespace topo::ui
