// The accessible object's members: argument checks, the return codes the
// interface prescribes, and screen coordinates, the same for every window
// that hands one out. No exception leaves a member: a client may be another
// process, and a C++ exception cannot cross COM.
#include "ui/AccessibleObject.h"

#include <new>

namespace topo::ui {

namespace {

// The accessibility import library exports a symbol IID_IAccessible that is
// a jump into the DLL, not the interface id: the id comes from the header.
const IID& kIidAccessible = __uuidof(IAccessible);

// No text is S_FALSE with no string, as the interface has it.
HRESULT PutText(const std::wstring& text, BSTR* out) {
  if (text.empty()) return S_FALSE;
  *out = SysAllocStringLen(text.data(), static_cast<UINT>(text.size()));
  return *out ? S_OK : E_OUTOFMEMORY;
}

HRESULT PutId(VARIANT* out, LONG id) {
  out->vt = VT_I4;
  out->lVal = id;
  return S_OK;
}

// A child window's own accessible object, handed to the caller.
HRESULT PutWindowObject(HWND window, VARIANT* out) {
  win32::ComPtr<IDispatch> object;
  const HRESULT hr =
      AccessibleObjectFromWindow(window, OBJID_WINDOW, IID_IDispatch, object.PutVoid());
  if (FAILED(hr)) return hr;
  out->vt = VT_DISPATCH;
  out->pdispVal = object.Detach();
  return S_OK;
}

}  // namespace

template <class Body>
HRESULT AccessibleObject::Run(Body body) {
  if (!window_) return CO_E_OBJNOTCONNECTED;
  try {
    return body();
  } catch (const std::bad_alloc&) {
    return E_OUTOFMEMORY;
  } catch (...) {
    return E_FAIL;
  }
}

LRESULT AccessibleObject::Answer(WPARAM wParam) {
  return window_ ? LresultFromObject(kIidAccessible, wParam, static_cast<IAccessible*>(this)) : 0;
}

void AccessibleObject::Disconnect() {
  if (!window_) return;
  window_ = nullptr;
  // Drops what COM holds for clients elsewhere, including an answer to
  // WM_GETOBJECT that no client ever collected; a client in this apartment
  // holds the object itself and meets the check in Run.
  CoDisconnectObject(static_cast<IAccessible*>(this), 0);
}

std::optional<LONG> AccessibleObject::IdOf(const VARIANT& id) {
  if (id.vt != VT_I4) return std::nullopt;
  if (id.lVal == CHILDID_SELF) return CHILDID_SELF;
  if (id.lVal >= 1 && id.lVal <= ChildCount()) return id.lVal;
  return std::nullopt;
}

std::wstring AccessibleObject::Name() {
  const int length = GetWindowTextLengthW(window_);
  std::wstring text(static_cast<size_t>(length) + 1, L'\0');
  text.resize(static_cast<size_t>(GetWindowTextW(window_, text.data(), length + 1)));
  return text;
}

bool AccessibleObject::Shows(const RECT& bounds) const {
  RECT client, common;
  return GetClientRect(window_, &client) && IntersectRect(&common, &client, &bounds);
}

HRESULT AccessibleObject::QueryInterface(REFIID iid, void** object) {
  if (!object) return E_POINTER;
  if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
      IsEqualIID(iid, kIidAccessible)) {
    *object = static_cast<IAccessible*>(this);
    AddRef();
    return S_OK;
  }
  *object = nullptr;
  return E_NOINTERFACE;
}

ULONG AccessibleObject::AddRef() { return static_cast<ULONG>(InterlockedIncrement(&refs_)); }

ULONG AccessibleObject::Release() {
  const LONG left = InterlockedDecrement(&refs_);
  if (left == 0) {
    std::unique_ptr<AccessibleObject> last(this);
  }
  return static_cast<ULONG>(left);
}

HRESULT AccessibleObject::GetTypeInfoCount(UINT* count) {
  if (!count) return E_INVALIDARG;
  *count = 0;
  return S_OK;
}
HRESULT AccessibleObject::GetTypeInfo(UINT, LCID, ITypeInfo**) { return E_NOTIMPL; }
HRESULT AccessibleObject::GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
  return E_NOTIMPL;
}
HRESULT AccessibleObject::Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                 UINT*) {
  return E_NOTIMPL;
}

HRESULT AccessibleObject::get_accParent(IDispatch** parent) {
  if (!parent) return E_POINTER;
  *parent = nullptr;
  return Run([&] {
    return AccessibleObjectFromWindow(window_, OBJID_WINDOW, IID_IDispatch,
                                      reinterpret_cast<void**>(parent));
  });
}

HRESULT AccessibleObject::get_accChildCount(LONG* count) {
  if (!count) return E_POINTER;
  *count = 0;
  return Run([&] {
    *count = ChildCount();
    return S_OK;
  });
}

HRESULT AccessibleObject::get_accChild(VARIANT id, IDispatch** child) {
  if (!child) return E_POINTER;
  *child = nullptr;
  return Run([&] {
    const std::optional<LONG> k = IdOf(id);
    // The children are simple elements: the caller asks this object about them.
    return k && *k != CHILDID_SELF ? S_FALSE : E_INVALIDARG;
  });
}

HRESULT AccessibleObject::get_accName(VARIANT id, BSTR* name) {
  if (!name) return E_POINTER;
  *name = nullptr;
  return Run([&] {
    const std::optional<LONG> k = IdOf(id);
    if (!k) return E_INVALIDARG;
    return PutText(*k == CHILDID_SELF ? Name() : ChildOf(*k).name, name);
  });
}

HRESULT AccessibleObject::get_accValue(VARIANT id, BSTR* value) {
  if (!value) return E_POINTER;
  *value = nullptr;
  return Run([&] {
    const std::optional<LONG> k = IdOf(id);
    if (!k) return E_INVALIDARG;
    if (*k == CHILDID_SELF) return DISP_E_MEMBERNOTFOUND;
    const Child child = ChildOf(*k);
    return child.value ? PutText(*child.value, value) : DISP_E_MEMBERNOTFOUND;
  });
}

HRESULT AccessibleObject::get_accDescription(VARIANT id, BSTR* description) {
  if (!description) return E_POINTER;
  *description = nullptr;
  return Run([&] {
    const std::optional<LONG> k = IdOf(id);
    if (!k) return E_INVALIDARG;
    if (*k == CHILDID_SELF) return DISP_E_MEMBERNOTFOUND;
    const Child child = ChildOf(*k);
    return child.description ? PutText(*child.description, description) : DISP_E_MEMBERNOTFOUND;
  });
}

HRESULT AccessibleObject::get_accRole(VARIANT id, VARIANT* role) {
  if (!role) return E_POINTER;
  VariantInit(role);
  return Run([&] {
    const std::optional<LONG> k = IdOf(id);
    if (!k) return E_INVALIDARG;
    return PutId(role, *k == CHILDID_SELF ? Role() : ChildOf(*k).role);
  });
}

HRESULT AccessibleObject::get_accState(VARIANT id, VARIANT* state) {
  if (!state) return E_POINTER;
  VariantInit(state);
  return Run([&] {
    const std::optional<LONG> k = IdOf(id);
    if (!k) return E_INVALIDARG;
    if (*k != CHILDID_SELF) return PutId(state, ChildOf(*k).state);
    LONG self = IsWindowEnabled(window_) ? STATE_SYSTEM_FOCUSABLE : STATE_SYSTEM_UNAVAILABLE;
    if (GetFocus() == window_) self |= STATE_SYSTEM_FOCUSED;
    if (!IsWindowVisible(window_)) self |= STATE_SYSTEM_INVISIBLE;
    return PutId(state, self);
  });
}

HRESULT AccessibleObject::get_accHelp(VARIANT id, BSTR* help) {
  if (!help) return E_POINTER;
  *help = nullptr;
  return Run([&] { return IdOf(id) ? DISP_E_MEMBERNOTFOUND : E_INVALIDARG; });
}

HRESULT AccessibleObject::get_accHelpTopic(BSTR* file, VARIANT id, LONG* topic) {
  if (!file || !topic) return E_POINTER;
  *file = nullptr;
  *topic = 0;
  return Run([&] { return IdOf(id) ? DISP_E_MEMBERNOTFOUND : E_INVALIDARG; });
}

HRESULT AccessibleObject::get_accKeyboardShortcut(VARIANT id, BSTR* shortcut) {
  if (!shortcut) return E_POINTER;
  *shortcut = nullptr;
  return Run([&] { return IdOf(id) ? DISP_E_MEMBERNOTFOUND : E_INVALIDARG; });
}

HRESULT AccessibleObject::get_accFocus(VARIANT* focus) {
  if (!focus) return E_POINTER;
  VariantInit(focus);
  return Run([&] {
    // The selected child has the focus while the window has it.
    return GetFocus() == window_ ? PutId(focus, Selected()) : S_OK;
  });
}

HRESULT AccessibleObject::get_accSelection(VARIANT* selection) {
  if (!selection) return E_POINTER;
  VariantInit(selection);
  return Run([&] {
    const LONG selected = Selected();
    return selected ? PutId(selection, selected) : S_OK;
  });
}

HRESULT AccessibleObject::get_accDefaultAction(VARIANT id, BSTR* action) {
  if (!action) return E_POINTER;
  *action = nullptr;
  return Run([&] { return IdOf(id) ? DISP_E_MEMBERNOTFOUND : E_INVALIDARG; });
}

HRESULT AccessibleObject::accSelect(LONG flags, VARIANT id) {
  return Run([&] {
    const std::optional<LONG> k = IdOf(id);
    // One child at a time: adding, extending and removing have no meaning.
    if (!k || flags == 0 || (flags & ~(SELFLAG_TAKEFOCUS | SELFLAG_TAKESELECTION)) != 0)
      return E_INVALIDARG;
    if (*k != CHILDID_SELF)
      return Select(*k, (flags & SELFLAG_TAKEFOCUS) != 0) ? S_OK : E_INVALIDARG;
    if (flags != SELFLAG_TAKEFOCUS) return E_INVALIDARG;
    SetFocus(window_);
    return S_OK;
  });
}

HRESULT AccessibleObject::accLocation(LONG* left, LONG* top, LONG* width, LONG* height,
                                      VARIANT id) {
  if (!left || !top || !width || !height) return E_POINTER;
  *left = *top = *width = *height = 0;
  return Run([&] {
    const std::optional<LONG> k = IdOf(id);
    if (!k) return E_INVALIDARG;
    RECT r{};
    if (*k == CHILDID_SELF)
      GetClientRect(window_, &r);
    else
      r = ChildOf(*k).bounds;
    MapWindowPoints(window_, nullptr, reinterpret_cast<POINT*>(&r), 2);
    *left = r.left;
    *top = r.top;
    *width = r.right - r.left;
    *height = r.bottom - r.top;
    return S_OK;
  });
}

HRESULT AccessibleObject::accNavigate(LONG direction, VARIANT start, VARIANT* end) {
  if (!end) return E_POINTER;
  VariantInit(end);
  return Run([&] {
    const std::optional<LONG> k = IdOf(start);
    if (!k || direction <= NAVDIR_MIN || direction >= NAVDIR_MAX) return E_INVALIDARG;
    const LONG count = ChildCount();
    LONG to = 0;
    if (*k == CHILDID_SELF) {
      // The whole's siblings are its window's business.
      if (direction == NAVDIR_FIRSTCHILD) to = count > 0 ? 1 : 0;
      if (direction == NAVDIR_LASTCHILD) to = count;
    } else if (direction == NAVDIR_FIRSTCHILD || direction == NAVDIR_LASTCHILD) {
      return E_INVALIDARG;  // a simple element has no children
    } else if (direction == NAVDIR_NEXT) {
      to = *k < count ? *k + 1 : 0;
    } else if (direction == NAVDIR_PREVIOUS) {
      to = *k - 1;
    } else {
      to = Toward(*k, direction);
    }
    return to > 0 ? PutId(end, to) : S_FALSE;
  });
}

HRESULT AccessibleObject::accHitTest(LONG x, LONG y, VARIANT* hit) {
  if (!hit) return E_POINTER;
  VariantInit(hit);
  return Run([&] {
    POINT p{x, y};
    RECT client;
    if (!ScreenToClient(window_, &p) || !GetClientRect(window_, &client) || !PtInRect(&client, p))
      return S_FALSE;
    // A control over the client area (the toolbar) is what the mouse would reach.
    const HWND under = ChildWindowFromPointEx(window_, p, CWP_SKIPINVISIBLE | CWP_SKIPTRANSPARENT);
    if (under && under != window_) return PutWindowObject(under, hit);
    return PutId(hit, ChildAt(p));
  });
}

HRESULT AccessibleObject::accDoDefaultAction(VARIANT id) {
  return Run([&] { return IdOf(id) ? DISP_E_MEMBERNOTFOUND : E_INVALIDARG; });
}

HRESULT AccessibleObject::put_accName(VARIANT, BSTR) {
  return Run([] { return E_NOTIMPL; });
}

HRESULT AccessibleObject::put_accValue(VARIANT, BSTR) {
  return Run([] { return E_NOTIMPL; });
}

void AccessibleLink::Disconnect() {
  closed_ = true;
  if (!object_) return;
  object_->Disconnect();
  object_.Reset();
}

}  // namespace topo::ui
