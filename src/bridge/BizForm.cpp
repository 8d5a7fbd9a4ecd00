// The host bridge: attaching to the host window, the host-service getters
// and the close steps.
#include "bridge/BizForm.h"

#include <utility>

#include "bridge/ResourceLookup.h"
#include "win32/BStr.h"
#include "win32/CheckedCall.h"

namespace topo::bridge {

TBizFormBase::TBizFormBase(const ui::FormLayout& layout, ModuleServices& services)
    : ui::Form(layout), services_(services) {
  EventSink.Fill(this);
}

TBizFormBase::~TBizFormBase() = default;

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
    services_.AdoptApplicationWindow(top);
    // The child style first, then the parent: the order Win32 asks for.
    LONG_PTR style = GetWindowLongPtrW(Handle(), GWL_STYLE);
    SetWindowLongPtrW(Handle(), GWL_STYLE, (style & ~static_cast<LONG_PTR>(WS_POPUP)) | WS_CHILD);
    SetParent(Handle(), ParentWindow);
    SetWindowPos(Handle(), nullptr, Layout().left, Layout().top, 0, 0,
                 SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE | SWP_FRAMECHANGED);
  }
  notifyWindow_ = NotifyWindow;
  EventSink.Fill(this);
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
  try {
    arCom_ = HostService<host::IARCom>(appFrame_.Get(), L"ARCom", host::IID_IARCom);
  } catch (...) {
    // Without ARCom a refresh fails as it would on a failed request: the
    // caller asks again next time.
  }
  return arCom_.Get();
}

namespace {

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
    personalData_ = HostService<host::IDataContainer>(appFrame_.Get(), L"PersonalData",
                                                      host::IID_IDataContainer);
  return personalData_.Get();
}

host::IDataContainer* TBizFormBase::GetTempData() {
  if (!tempData_)
    tempData_ =
        HostService<host::IDataContainer>(appFrame_.Get(), L"TempData", host::IID_IDataContainer);
  return tempData_.Get();
}

void TBizFormBase::Close() {
  if (closing_) return;  // one close, one notification, however often asked
  ui::TCloseAction action = ui::TCloseAction::Hide;
  FormClose(action);
  // Whatever the handler chose, the window frees itself once the close is
  // over, also when a step below fails.
  closing_ = true;
  struct ReleaseAtEnd {
    TBizFormBase* form;
    ~ReleaseAtEnd() { form->ReleaseLater(); }
  } release{this};
  if (host::IARCom* arCom = GetARCom())
    win32::Check(arCom->RemoveEventSink(GetEventSink()), "RemoveEventSink");
  LONG style = GetWindowLongA(Handle(), GWL_STYLE);
  SetWindowLongA(Handle(), GWL_STYLE, style ^ WS_CHILD);
  if (notifyWindow_) PostMessageA(notifyWindow_, WM_CLOSE, 0, 0);
}

}  // namespace topo::bridge
