// The fake host objects and test windows.
#include "FakeHost.h"

namespace topo::test {

HRESULT FakeARCom::RemoveEventSink(IUnknown* sink) {
  removedSinks.push_back(sink);
  if (watchedWindow) styleAtRemove = GetWindowLongA(watchedWindow, GWL_STYLE);
  return removeResult;
}

HRESULT FakeDataContainer::GetValue(BSTR Name, VARIANT* Value) {
  if (!Value) return E_POINTER;
  VariantInit(Value);
  auto it = values_.find(Name ? Name : L"");
  return it == values_.end() ? S_OK : VariantCopy(Value, &it->second);
}

HRESULT FakeMemConfig::GetValue(BSTR Name, VARIANT* Value) {
  if (!Value) return E_POINTER;
  VariantInit(Value);
  if (Name && std::wstring(Name) == L"PersonalDataDir") {
    Value->vt = VT_BSTR;
    Value->bstrVal = SysAllocString(personalDataDir.c_str());
  }
  return S_OK;
}

HRESULT FakeDataContainer::SetValue(BSTR Name, VARIANT Value) {
  VARIANT& slot = values_[Name ? Name : L""];
  VariantClear(&slot);
  return VariantCopy(&slot, &Value);
}

FakeDataContainer::~FakeDataContainer() {
  for (auto& [name, value] : values_) VariantClear(&value);
}

HRESULT FakeAppFrame::GetService(BSTR Name, IUnknown** Service) {
  if (!Service) return E_POINTER;
  *Service = nullptr;
  asked.push_back(Name ? Name : L"");
  if (FAILED(failWith)) return failWith;
  auto it = services_.find(asked.back());
  if (it == services_.end()) return E_INVALIDARG;
  *Service = it->second;
  (*Service)->AddRef();
  return S_OK;
}

namespace {
constexpr const wchar_t* kTestWindowClass = L"TopoTestWindow";
}

TestWindow::TestWindow(bool visible, const wchar_t* title) {
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  HINSTANCE instance = GetModuleHandleW(nullptr);
  if (!GetClassInfoExW(instance, kTestWindowClass, &wc)) {
    wc = WNDCLASSEXW{};
    wc.cbSize = sizeof wc;
    wc.lpfnWndProc = Proc;
    wc.hInstance = instance;
    wc.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
    wc.lpszClassName = kTestWindowClass;
    RegisterClassExW(&wc);
  }
  hwnd_ = CreateWindowExW(0, kTestWindowClass, title,
                          WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN | (visible ? WS_VISIBLE : 0), 0, 0,
                          900, 700, nullptr, nullptr, instance, this);
  if (visible) {
    SetForegroundWindow(hwnd_);
    SetActiveWindow(hwnd_);
  }
}

TestWindow::~TestWindow() {
  if (IsWindow(hwnd_)) {
    SetWindowLongPtrW(hwnd_, GWLP_USERDATA, 0);
    DestroyWindow(hwnd_);
  }
}

LRESULT CALLBACK TestWindow::Proc(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
  if (message == WM_NCCREATE) {
    auto* created =
        static_cast<TestWindow*>(reinterpret_cast<CREATESTRUCTW*>(lParam)->lpCreateParams);
    SetWindowLongPtrW(hwnd, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(created));
  }
  auto* self = reinterpret_cast<TestWindow*>(GetWindowLongPtrW(hwnd, GWLP_USERDATA));
  if (self && message == WM_CLOSE) {
    ++self->closeMessages;
    if (self->watchOnClose) {
      self->watchedAlive = IsWindow(self->watchOnClose) != FALSE;
      self->watchedStyle = GetWindowLongA(self->watchOnClose, GWL_STYLE);
    }
    return 0;  // a test window stays until its test ends
  }
  return DefWindowProcW(hwnd, message, wParam, lParam);
}

void PumpMessages() {
  MSG msg;
  for (int round = 0; round < 3; ++round) {
    while (PeekMessageW(&msg, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&msg);
      DispatchMessageW(&msg);
    }
  }
}

namespace {
BOOL CALLBACK CountChild(HWND, LPARAM count) {
  ++*reinterpret_cast<int*>(count);
  return TRUE;
}
BOOL CALLBACK CountTop(HWND w, LPARAM count) {
  ++*reinterpret_cast<int*>(count);
  EnumChildWindows(w, CountChild, count);
  return TRUE;
}
}  // namespace

int CountThreadWindows() {
  int count = 0;
  EnumThreadWindows(GetCurrentThreadId(), CountTop, reinterpret_cast<LPARAM>(&count));
  return count;
}

}  // namespace topo::test
