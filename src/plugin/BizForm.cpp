// The host form base: window, host services, event sink, navigation, wheel, close.
#include "BizForm.h"

#include <commctrl.h>

#include <algorithm>
#include <cstddef>
#include <stdexcept>
#include <vector>

#include "BStr.h"
#include "CheckedCall.h"
#include "ResourceLookup.h"
#include "RiziZevEntry.h"
#include "ThisModule.h"

namespace topo::plugin {
namespace {

constexpr const wchar_t* kFormClass = L"TopoBizForm";
// Posted to itself by the close steps: the window is destroyed once the close
// (and whatever called it, such as a button handler) has returned.
constexpr UINT kReleaseMessage = WM_APP + 0x100;
constexpr UINT_PTR kSubclassId = 0x70706F;

std::wstring ClassOf(HWND w) {
  wchar_t name[64] = L"";
  GetClassNameW(w, name, 64);
  return name;
}

bool SameClass(const std::wstring& a, const wchar_t* b) { return lstrcmpiW(a.c_str(), b) == 0; }

unsigned CurrentShiftState() {
  unsigned s = ssNone;
  if (GetKeyState(VK_SHIFT) < 0) s |= ssShift;
  if (GetKeyState(VK_MENU) < 0) s |= ssAlt;
  if (GetKeyState(VK_CONTROL) < 0) s |= ssCtrl;
  return s;
}

void CollectTabOrder(HWND container, std::vector<HWND>& out) {
  for (HWND child = GetWindow(container, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
    out.push_back(child);
    CollectTabOrder(child, out);
  }
}

// Keeps an interface carried by a VARIANT argument alive during an event call.
win32::ComPtr<IUnknown> HoldVariant(const VARIANT& v) {
  if (v.vt == VT_UNKNOWN || v.vt == VT_DISPATCH) return win32::ComPtr<IUnknown>::Borrow(v.punkVal);
  return {};
}

}  // namespace

bool IsListLikeControl(HWND control) {
  std::wstring cls = ClassOf(control);
  for (const wchar_t* c : {L"ListBox", L"ComboLBox", WC_LISTVIEWW, WC_TREEVIEWW, MONTHCAL_CLASSW,
                           win32::kStringGridClass})
    if (SameClass(cls, c)) return true;
  return false;
}

bool IsContainerControl(HWND control) {
  std::wstring cls = ClassOf(control);
  if (SameClass(cls, L"Button"))
    return (GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK) == BS_GROUPBOX;
  return SameClass(cls, win32::kPanelClass) || SameClass(cls, win32::kTabSheetClass);
}

bool IsPushButton(HWND control) {
  if (!control || !SameClass(ClassOf(control), L"Button")) return false;
  LONG type = GetWindowLongW(control, GWL_STYLE) & BS_TYPEMASK;
  return type == BS_PUSHBUTTON || type == BS_DEFPUSHBUTTON;
}

// The 13 entry points of the event sink. Each finds its window from the
// address it is called on: the interface pointer lives inside the sink, so the
// sink is found by subtracting the member's offset.
struct SinkEntries {
  static TBizFormBase* Owner(void* self) {
    return reinterpret_cast<TEventSink*>(static_cast<char*>(self) - offsetof(TEventSink, Interface))
        ->Owner;
  }
  template <class Body>
  static HRESULT Deliver(void* self, Body body) {
    TBizFormBase* owner = Owner(self);
    RunGuarded([&] { body(*owner); }, owner->Handle());
    return S_OK;
  }

  static HRESULT STDMETHODCALLTYPE QueryInterface(void* self, REFIID, void** out) {
    if (!out) return E_POINTER;
    *out = self;
    return S_OK;
  }
  static ULONG STDMETHODCALLTYPE AddRef(void*) { return 2; }
  static ULONG STDMETHODCALLTYPE Release(void*) { return 1; }
  static HRESULT STDMETHODCALLTYPE GetTypeInfoCount(void*, UINT*) { return E_NOTIMPL; }
  static HRESULT STDMETHODCALLTYPE GetTypeInfo(void*, UINT, LCID, ITypeInfo**) { return E_NOTIMPL; }
  static HRESULT STDMETHODCALLTYPE GetIDsOfNames(void*, REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
    return E_NOTIMPL;
  }
  static HRESULT STDMETHODCALLTYPE Invoke(void*, DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*,
                                          EXCEPINFO*, UINT*) {
    return E_NOTIMPL;
  }
  // A handler is copied before the call, so it may replace its own slot.
  static HRESULT STDMETHODCALLTYPE Sending(void* self, LONG lPacketID, LONG lTotal,
                                           LONG lProgress) {
    return Deliver(self, [&](TBizFormBase& f) {
      if (auto h = f.OnSending) h(lPacketID, lTotal, lProgress);
    });
  }
  static HRESULT STDMETHODCALLTYPE Receiving(void* self, LONG lPacketID, LONG lTotal,
                                             LONG lProgress) {
    return Deliver(self, [&](TBizFormBase& f) {
      if (auto h = f.OnReceiving) h(lPacketID, lTotal, lProgress);
    });
  }
  static HRESULT STDMETHODCALLTYPE Reply(void* self, LONG lPacketID, VARIANT varPack) {
    auto hold = HoldVariant(varPack);
    return Deliver(self, [&](TBizFormBase& f) {
      if (auto h = f.OnReply) h(lPacketID, varPack);
    });
  }
  static HRESULT STDMETHODCALLTYPE Subscribe(void* self, LONG lPacketID, LONG lSubscribeNo,
                                             VARIANT varPack) {
    auto hold = HoldVariant(varPack);
    return Deliver(self, [&](TBizFormBase& f) {
      if (auto h = f.OnSubscribe) h(lPacketID, lSubscribeNo, varPack);
    });
  }
  static HRESULT STDMETHODCALLTYPE Push(void* self, LONG lPacketID, LONG lFunctionNo,
                                        VARIANT varPack) {
    auto hold = HoldVariant(varPack);
    return Deliver(self, [&](TBizFormBase& f) {
      if (auto h = f.OnPush) h(lPacketID, lFunctionNo, varPack);
    });
  }
  static HRESULT STDMETHODCALLTYPE Error(void* self, LONG lPacketID, LONG lErrorNo, BSTR strError) {
    return Deliver(self, [&](TBizFormBase& f) {
      if (auto h = f.OnError) h(lPacketID, lErrorNo, strError);
    });
  }
};

TBizFormBase::TBizFormBase(const win32::FormLayout& layout) : layout_(layout) {
  HINSTANCE instance = win32::ThisModule();
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  if (!GetClassInfoExW(instance, kFormClass, &wc)) {
    wc = WNDCLASSEXW{};
    wc.cbSize = sizeof wc;
    wc.style = CS_DBLCLKS;
    wc.lpfnWndProc = StaticWindowProc;
    wc.hInstance = instance;
    wc.hCursor = LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    wc.lpszClassName = kFormClass;
    if (!RegisterClassExW(&wc)) throw std::runtime_error("the window class cannot be registered");
  }
  font_.reset(CreateFontW(layout_.fontHeight, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE,
                          DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                          DEFAULT_PITCH | FF_DONTCARE, layout_.fontFace.c_str()));
  FillEventSink();

  // A single fixed border with a caption, as a top-level window until attached.
  const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
  RECT outer{0, 0, layout_.width, layout_.height};
  if (!layout_.outerSize) AdjustWindowRectEx(&outer, style, FALSE, 0);
  hwnd_ = CreateWindowExW(0, kFormClass, layout_.caption.c_str(), style, layout_.left, layout_.top,
                          outer.right - outer.left, outer.bottom - outer.top, nullptr, nullptr,
                          instance, this);
  if (!hwnd_) throw std::runtime_error("the window cannot be created");
  try {
    controls_ = win32::CreateLayoutControls(hwnd_, layout_, font_.get());
  } catch (...) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(std::exchange(hwnd_, nullptr));
    throw;
  }
  AdoptControls();
}

TBizFormBase::~TBizFormBase() {
  if (hwnd_) {
    // The object goes first: the window's last messages must not reach it.
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(std::exchange(hwnd_, nullptr));
  }
}

TBizFormBase* TBizFormBase::GiveToWindow(std::unique_ptr<TBizFormBase> form) {
  TBizFormBase* raw = form.get();
  raw->self_ = std::move(form);
  return raw;
}

void TBizFormBase::FillEventSink() {
  using E = TEventSink::Entry;
  E* t = EventSink.Table;
  t[0] = reinterpret_cast<E>(&SinkEntries::QueryInterface);
  t[1] = reinterpret_cast<E>(&SinkEntries::AddRef);
  t[2] = reinterpret_cast<E>(&SinkEntries::Release);
  t[3] = reinterpret_cast<E>(&SinkEntries::GetTypeInfoCount);
  t[4] = reinterpret_cast<E>(&SinkEntries::GetTypeInfo);
  t[5] = reinterpret_cast<E>(&SinkEntries::GetIDsOfNames);
  t[6] = reinterpret_cast<E>(&SinkEntries::Invoke);
  t[7] = reinterpret_cast<E>(&SinkEntries::Sending);
  t[8] = reinterpret_cast<E>(&SinkEntries::Receiving);
  t[9] = reinterpret_cast<E>(&SinkEntries::Reply);
  t[10] = reinterpret_cast<E>(&SinkEntries::Subscribe);
  t[11] = reinterpret_cast<E>(&SinkEntries::Push);
  t[12] = reinterpret_cast<E>(&SinkEntries::Error);
  EventSink.Interface = EventSink.Table;
  EventSink.Owner = this;
}

void TBizFormBase::ReleaseServices() {
  arCom_.Reset();
  packer_.Reset();
  unpacker_.Reset();
  mainForm_.Reset();
  dataContainer_.Reset();
  personalData_.Reset();
  tempData_.Reset();
  entry_.Reset();
  arComV1_.Reset();
  packer2_.Reset();
  unpacker2_.Reset();
}

void TBizFormBase::AttachToHost(LONG FunctionNo, HWND ParentWindow, HWND NotifyWindow,
                                host::IAppFrame* Host) {
  appFrame_ = win32::ComPtr<host::IAppFrame>::Borrow(Host);
  ReleaseServices();
  functionNo_ = FunctionNo;
  if (ParentWindow) {
    HWND top = ParentWindow;
    for (HWND w = ParentWindow; w; w = GetParent(w)) top = w;
    Module().AdoptApplicationWindow(top);
    // The child style first, then the parent: the order Win32 asks for.
    LONG_PTR style = GetWindowLongPtrW(hwnd_, GWL_STYLE);
    SetWindowLongPtrW(hwnd_, GWL_STYLE, (style & ~static_cast<LONG_PTR>(WS_POPUP)) | WS_CHILD);
    SetParent(hwnd_, ParentWindow);
    SetWindowPos(hwnd_, nullptr, layout_.left, layout_.top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  }
  notifyWindow_ = NotifyWindow;
  FillEventSink();
  OnSending = [this](LONG a, LONG b, LONG c) { DoSending(a, b, c); };
  OnReceiving = [this](LONG a, LONG b, LONG c) { DoReceiving(a, b, c); };
  OnReply = [this](LONG a, const VARIANT& v) { DoReply(a, v); };
  OnSubscribe = [this](LONG a, LONG b, const VARIANT& v) { DoSubscribe(a, b, v); };
  OnPush = [this](LONG a, LONG b, const VARIANT& v) { DoPush(a, b, v); };
  OnError = [this](LONG a, LONG b, const wchar_t* s) { DoError(a, b, s); };
  AfterAttach();
}

host::IARCom* TBizFormBase::GetARCom() noexcept {
  if (arCom_) return arCom_.Get();
  if (!appFrame_) return nullptr;
  win32::BStr name(L"ARCom");
  win32::ComPtr<IUnknown> service;
  if (!name.Get() || FAILED(appFrame_->GetService(name.Get(), service.Put())) || !service)
    return nullptr;
  arCom_ = service.As<host::IARCom>(host::IID_IARCom);
  return arCom_.Get();
}

namespace {

win32::ComPtr<host::IDataContainer> DataService(host::IAppFrame* frame, const wchar_t* name,
                                                const char* operation) {
  if (!frame) throw win32::EHostCallError(operation, E_POINTER);
  win32::BStr bname(name);
  win32::ComPtr<IUnknown> service;
  win32::Check(frame->GetService(bname.Get(), service.Put()), operation);
  HRESULT hr = E_NOINTERFACE;
  auto container = service.As<host::IDataContainer>(host::IID_IDataContainer, &hr);
  win32::Check(hr, operation);
  return container;
}

template <class T>
win32::ComPtr<T> Create(const CLSID& cls, const IID& iid, const char* operation) {
  win32::ComPtr<T> object;
  win32::Check(CoCreateInstance(cls, nullptr, CLSCTX_ALL, iid, object.PutVoid()), operation);
  if (!object) throw win32::EHostCallError(operation, E_NOINTERFACE);
  return object;
}

}  // namespace

host::IPackerDisp* TBizFormBase::GetPacker() {
  if (!packer_)
    packer_ = Create<host::IPackerDisp>(host::CLSID_Packer, host::IID_IPackerDisp,
                                        "CoCreateInstance(Packer)");
  return packer_.Get();
}

host::IUnpackerDisp* TBizFormBase::GetUnpacker() {
  if (!unpacker_)
    unpacker_ = Create<host::IUnpackerDisp>(host::CLSID_Unpacker, host::IID_IUnpackerDisp,
                                            "CoCreateInstance(Unpacker)");
  return unpacker_.Get();
}

host::IDataContainer* TBizFormBase::GetPersonalData() {
  if (!personalData_)
    personalData_ = DataService(appFrame_.Get(), L"PersonalData", "GetService(PersonalData)");
  return personalData_.Get();
}

host::IDataContainer* TBizFormBase::GetTempData() {
  if (!tempData_) tempData_ = DataService(appFrame_.Get(), L"TempData", "GetService(TempData)");
  return tempData_.Get();
}

void TBizFormBase::Show() {
  if (!hwnd_) return;
  ShowWindow(hwnd_, SW_SHOW);
  SetWindowPos(hwnd_, HWND_TOP, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE);
}

HWND TBizFormBase::Control(const std::wstring& name) const {
  auto it = controls_.find(name);
  return it == controls_.end() ? nullptr : it->second;
}

void TBizFormBase::SetClickHandler(HWND button, std::function<void(HWND)> handler) {
  clickHandlers_[button] = std::move(handler);
}

HWND TBizFormBase::ActiveControl() const {
  if (!hwnd_) return nullptr;
  HWND focus = GetFocus();
  if (focus && IsChild(hwnd_, focus)) return focus;
  if (activeControl_ && IsWindow(activeControl_) && IsChild(hwnd_, activeControl_))
    return activeControl_;
  return nullptr;
}

void TBizFormBase::KeyDown(WORD key, unsigned shift) {
  if (shift == ssNone) {
    switch (key) {
      case VK_RETURN: {
        HWND focused = ActiveControl();
        if (focused && IsPushButton(focused)) {
          // Only the handler: no click of the button itself, no default action.
          auto it = clickHandlers_.find(focused);
          if (it != clickHandlers_.end() && it->second) {
            auto handler = it->second;
            handler(focused);
          }
        } else {
          NavigateFocus(true, true);
        }
        break;
      }
      case VK_TAB:
        NavigateFocus(true, true);
        break;
      case VK_DOWN:
        NavigateFocus(true, false);
        break;
      case VK_UP:
        NavigateFocus(false, false);
        break;
      default:
        break;
    }
  } else if (shift == ssShift && key == VK_TAB) {
    NavigateFocus(false, true);
  }
}

void TBizFormBase::NavigateFocus(bool forward, bool allControls) {
  HWND focused = ActiveControl();
  if (!focused) return;
  // These controls use the arrow keys themselves.
  if (!allControls && IsListLikeControl(focused)) return;
  HWND parent = GetParent(focused);
  if (parent && parent != hwnd_ && IsContainerControl(parent)) {
    if (HWND next = FindNextInContainer(parent, focused, forward, true, true)) {
      SetFocus(next);
      return;
    }
  }
  if (HWND next = FindNextInContainer(hwnd_, focused, forward, true, true)) SetFocus(next);
}

bool TBizFormBase::CanTakeFocus(HWND control) const {
  if (!control || !IsWindow(control)) return false;
  // Labels and containers are windows in Win32 but never hold the focus.
  if (SameClass(ClassOf(control), L"Static") || IsContainerControl(control)) return false;
  for (HWND w = control; w && w != hwnd_; w = GetParent(w)) {
    LONG style = GetWindowLongW(w, GWL_STYLE);
    if (!(style & WS_VISIBLE) || (style & WS_DISABLED)) return false;
  }
  return true;
}

HWND TBizFormBase::FindNextInContainer(HWND container, HWND current, bool forward,
                                       bool tabStopsOnly, bool directChildrenOnly) const {
  std::vector<HWND> list;
  CollectTabOrder(container, list);
  if (list.empty()) return nullptr;
  const int n = static_cast<int>(list.size());
  auto found = std::find(list.begin(), list.end(), current);
  const int start =
      found != list.end() ? static_cast<int>(found - list.begin()) : (forward ? n - 1 : 0);
  int i = start;
  do {
    i = forward ? (i + 1) % n : (i + n - 1) % n;
    HWND c = list[static_cast<size_t>(i)];
    if (CanTakeFocus(c) && (!tabStopsOnly || (GetWindowLongW(c, GWL_STYLE) & WS_TABSTOP)) &&
        (!directChildrenOnly || GetParent(c) == container))
      return c;
  } while (i != start);
  return nullptr;
}

void TBizFormBase::SetScrollRange(int bar, int range) {
  Bar(bar).range = std::max(0, range);
  UpdateScrollBars();
}

void TBizFormBase::SetScrollPosition(int bar, int position) {
  if (!hwnd_) return;
  RECT rc;
  GetClientRect(hwnd_, &rc);
  ScrollBarState& s = Bar(bar);
  const int visible = bar == SB_HORZ ? rc.right : rc.bottom;
  const int limit = std::max(0, s.range - visible);
  const int next = std::clamp(position, 0, limit);
  const int delta = next - s.position;
  s.position = next;
  SCROLLINFO si{sizeof si, SIF_POS, 0, 0, 0, next, 0};
  SetScrollInfo(hwnd_, bar, &si, TRUE);
  if (delta != 0) {
    ScrollWindowEx(hwnd_, bar == SB_HORZ ? -delta : 0, bar == SB_VERT ? -delta : 0, nullptr,
                   nullptr, nullptr, nullptr, SW_SCROLLCHILDREN | SW_INVALIDATE | SW_ERASE);
  }
}

void TBizFormBase::UpdateScrollBars() {
  static thread_local bool updating = false;  // showing a bar resizes the client area
  if (!hwnd_ || updating) return;
  updating = true;
  for (int pass = 0; pass < 2; ++pass) {
    RECT rc;
    GetClientRect(hwnd_, &rc);
    for (int bar : {SB_HORZ, SB_VERT}) {
      ScrollBarState& s = Bar(bar);
      const int visible = bar == SB_HORZ ? rc.right : rc.bottom;
      SCROLLINFO si{sizeof si, SIF_RANGE | SIF_PAGE, 0, s.range - 1, static_cast<UINT>(visible), 0,
                    0};
      SetScrollInfo(hwnd_, bar, &si, TRUE);
    }
  }
  updating = false;
  for (int bar : {SB_HORZ, SB_VERT}) SetScrollPosition(bar, Bar(bar).position);
}

void TBizFormBase::MouseWheel(short delta) {
  RECT rc;
  GetClientRect(hwnd_, &rc);
  int bar;
  if (rc.bottom < vert_.range)
    bar = SB_VERT;
  else if (rc.right < horz_.range)
    bar = SB_HORZ;
  else
    return;
  const int steps = delta / 120;  // truncates toward zero: a half notch moves nothing
  ScrollBarState& s = Bar(bar);
  SetScrollPosition(bar, std::clamp(s.position - steps * s.increment, 0, s.range));
}

void TBizFormBase::ScrollMessage(int bar, WORD request) {
  RECT rc;
  GetClientRect(hwnd_, &rc);
  const int page = bar == SB_HORZ ? rc.right : rc.bottom;
  ScrollBarState& s = Bar(bar);
  int pos = s.position;
  switch (request) {
    case SB_LINEUP:
      pos -= s.increment;
      break;
    case SB_LINEDOWN:
      pos += s.increment;
      break;
    case SB_PAGEUP:
      pos -= page;
      break;
    case SB_PAGEDOWN:
      pos += page;
      break;
    case SB_THUMBTRACK:
    case SB_THUMBPOSITION: {
      SCROLLINFO si{sizeof si, SIF_TRACKPOS, 0, 0, 0, 0, 0};
      GetScrollInfo(hwnd_, bar, &si);
      pos = si.nTrackPos;
      break;
    }
    case SB_TOP:
      pos = 0;
      break;
    case SB_BOTTOM:
      pos = s.range;
      break;
    default:
      return;
  }
  SetScrollPosition(bar, pos);
}

void TBizFormBase::Close() {
  if (closing_) return;  // one close, one notification, however often asked
  TCloseAction action = TCloseAction::Hide;
  FormClose(action);
  // Whatever the handler chose, the window frees itself once the close is
  // over, also when a step below fails.
  closing_ = true;
  struct ReleaseLater {
    HWND window;
    ~ReleaseLater() { PostMessageW(window, kReleaseMessage, 0, 0); }
  } release{hwnd_};
  if (host::IARCom* arCom = GetARCom())
    win32::Check(arCom->RemoveEventSink(GetEventSink()), "RemoveEventSink");
  LONG style = GetWindowLongA(hwnd_, GWL_STYLE);
  SetWindowLongA(hwnd_, GWL_STYLE, style ^ WS_CHILD);
  if (notifyWindow_) PostMessageA(notifyWindow_, WM_CLOSE, 0, 0);
}

void TBizFormBase::AdoptControls() {
  if (!hwnd_) return;
  std::vector<HWND> all;
  CollectTabOrder(hwnd_, all);
  for (HWND child : all)
    SetWindowSubclass(child, ControlProc, kSubclassId, reinterpret_cast<DWORD_PTR>(hwnd_));
}

LRESULT CALLBACK TBizFormBase::ControlProc(HWND control, UINT message, WPARAM wParam, LPARAM lParam,
                                           UINT_PTR, DWORD_PTR formWindow) {
  HWND formHandle = reinterpret_cast<HWND>(formWindow);
  auto* form = reinterpret_cast<TBizFormBase*>(GetWindowLongPtrW(formHandle, GWLP_USERDATA));
  switch (message) {
    case WM_KEYDOWN:
      if (form) {
        // Key preview: the window sees the key first; the control still gets it.
        RunGuarded([&] { form->KeyDown(static_cast<WORD>(wParam), CurrentShiftState()); },
                   formHandle);
        if (!IsWindow(control)) return 0;
      }
      break;
    case WM_SETFOCUS:
      if (form) form->activeControl_ = control;
      break;
    case WM_COMMAND:
    case WM_NOTIFY:
    case WM_HSCROLL:
    case WM_VSCROLL:
      // A group box or panel would drop its controls' notifications.
      if (IsContainerControl(control) &&
          ((message != WM_HSCROLL && message != WM_VSCROLL) || lParam))
        return SendMessageW(formHandle, message, wParam, lParam);
      break;
    case WM_NCDESTROY:
      RemoveWindowSubclass(control, ControlProc, kSubclassId);
      break;
    default:
      break;
  }
  return DefSubclassProc(control, message, wParam, lParam);
}

LRESULT TBizFormBase::WindowProc(UINT message, WPARAM wParam, LPARAM lParam) {
  switch (message) {
    case WM_KEYDOWN:
      KeyDown(static_cast<WORD>(wParam), CurrentShiftState());
      break;
    case WM_MOUSEWHEEL:
      MouseWheel(GET_WHEEL_DELTA_WPARAM(wParam));
      return 0;
    case WM_HSCROLL:
    case WM_VSCROLL:
      if (lParam == 0) {  // the window's own bar, not an up-down control
        ScrollMessage(message == WM_HSCROLL ? SB_HORZ : SB_VERT, LOWORD(wParam));
        return 0;
      }
      break;
    case WM_SIZE:
      UpdateScrollBars();
      break;
    case WM_SHOWWINDOW:
      if (wParam) {
        AdoptControls();
        if (!ActiveControl()) {
          if (HWND first = FindNextInContainer(hwnd_, nullptr, true, false, false)) SetFocus(first);
        }
        FormShow();
      }
      break;
    case WM_COMMAND:
      if (HIWORD(wParam) == BN_CLICKED && lParam) {
        auto it = clickHandlers_.find(reinterpret_cast<HWND>(lParam));
        if (it != clickHandlers_.end() && it->second) {
          auto handler = it->second;
          handler(reinterpret_cast<HWND>(lParam));
          return 0;
        }
      }
      break;
    case WM_CLOSE:
      Close();
      return 0;
    case kReleaseMessage:
      DestroyWindow(hwnd_);
      return 0;
    default:
      break;
  }
  return DefWindowProcW(hwnd_, message, wParam, lParam);
}

LRESULT CALLBACK TBizFormBase::StaticWindowProc(HWND window, UINT message, WPARAM wParam,
                                                LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* created =
        static_cast<TBizFormBase*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    created->hwnd_ = window;
    SetWindowLongPtrW(window, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
  }
  auto* form = reinterpret_cast<TBizFormBase*>(GetWindowLongPtrW(window, GWLP_USERDATA));
  if (!form) return DefWindowProcW(window, message, wParam, lParam);
  LRESULT result = 0;
  if (!RunGuarded([&] { result = form->WindowProc(message, wParam, lParam); }, window)) result = 0;
  if (message == WM_NCDESTROY) {
    SetWindowLongPtrW(window, GWLP_USERDATA, 0);
    form->hwnd_ = nullptr;
    form->alive_.reset();
    std::unique_ptr<TBizFormBase> owned = std::move(form->self_);  // deletes a self-owned form
  }
  return result;
}

TPlainForm::TPlainForm()
    : TBizFormBase(win32::ParseFormLayout(LoadLayoutText(kBizFormBaseLayout))) {}

}  // namespace topo::plugin
