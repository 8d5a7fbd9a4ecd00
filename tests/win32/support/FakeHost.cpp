// The fake host objects and test windows.
#include "FakeHost.h"

namespace topo::test {
namespace {

std::string Narrow(BSTR s) {
  std::string text;
  for (UINT i = 0; s && i < SysStringLen(s); ++i) text += static_cast<char>(s[i]);
  return text;
}

}  // namespace

HRESULT CallLog::Record(const std::string& line) {
  calls.push_back(line);
  if (onRecord) onRecord(line);
  current = static_cast<long>(calls.size()) - 1 == faultAt ? fault : Fault::None;
  if (current == Fault::Error) return E_FAIL;
  if (current == Fault::TimedOut) return HRESULT_FROM_WIN32(ERROR_TIMEOUT);
  return !failOn.empty() && line.substr(0, line.find(' ')) == failOn ? E_FAIL : S_OK;
}

bool CallLog::Spoil(VARIANT* out) {
  if (current != Fault::NullOut && current != Fault::WrongType) return false;
  VariantClear(out);
  if (current == Fault::WrongType) {
    out->vt = VT_DISPATCH;
    out->pdispVal = &stray;
    stray.AddRef();
  }
  return true;
}

void CallLog::Fray(BSTR* out) {
  if (current != Fault::OddString || !*out) return;
  std::string bytes(reinterpret_cast<const char*>(*out), SysStringByteLen(*out));
  bytes += '\x7f';
  SysFreeString(*out);
  *out = SysAllocStringByteLen(bytes.data(), static_cast<UINT>(bytes.size()));
}

HRESULT FakeARCom::RemoveEventSink(IUnknown* sink) {
  if (hostLog && FAILED(hostLog->Record("RemoveEventSink"))) return E_FAIL;
  removedSinks.push_back(sink);
  if (watchedWindow) styleAtRemove = GetWindowLongA(watchedWindow, GWL_STYLE);
  return removeResult;
}

HRESULT FakeDataContainer::GetValue(BSTR Name, VARIANT* Value) {
  if (!Value) return E_POINTER;
  VariantInit(Value);
  if (hostLog) {
    HRESULT hr = hostLog->Record(label + ".GetValue " + Narrow(Name));
    if (FAILED(hr) || hostLog->Spoil(Value)) return hr;
  }
  auto it = values_.find(Name ? Name : L"");
  if (it == values_.end()) return S_OK;
  HRESULT hr = VariantCopy(Value, &it->second);
  if (hostLog) hostLog->Fray(Value);
  return hr;
}

HRESULT FakeMemConfig::GetValue(BSTR Name, VARIANT* Value) {
  if (!Value) return E_POINTER;
  VariantInit(Value);
  if (hostLog) {
    HRESULT hr = hostLog->Record("MemConfig.GetValue " + Narrow(Name));
    if (FAILED(hr) || hostLog->Spoil(Value)) return hr;
  }
  if (Name && std::wstring(Name) == L"PersonalDataDir") {
    Value->vt = VT_BSTR;
    Value->bstrVal = SysAllocString(personalDataDir.c_str());
    if (hostLog) hostLog->Fray(Value);
  }
  return S_OK;
}

HRESULT FakeDataContainer::SetValue(BSTR Name, VARIANT Value) {
  if (hostLog && FAILED(hostLog->Record(label + ".SetValue " + Narrow(Name)))) return E_FAIL;
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
  if (hostLog) {
    HRESULT hr = hostLog->Record("GetService " + Narrow(Name));
    if (FAILED(hr) || hostLog->current == Fault::NullOut) return hr;
  }
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
