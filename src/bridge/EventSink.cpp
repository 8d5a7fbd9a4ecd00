// The 13 entry points of the ARCom event sink.
#include "bridge/EventSink.h"

#include "bridge/BizForm.h"
#include "ui/ExceptionBoundary.h"

namespace topo::bridge {
namespace {

// Keeps an interface carried by a VARIANT argument alive during an event call.
win32::ComPtr<IUnknown> HoldVariant(const VARIANT& v) {
  if (v.vt == VT_UNKNOWN || v.vt == VT_DISPATCH) return win32::ComPtr<IUnknown>::Borrow(v.punkVal);
  return {};
}

template <class Body>
HRESULT Deliver(void* self, Body body) {
  TBizFormBase* owner = TEventSink::FromInterface(self)->Owner;
  ui::RunGuarded([&] { body(*owner); }, owner->Handle());
  return S_OK;
}

HRESULT STDMETHODCALLTYPE QueryInterface(void* self, REFIID, void** out) {
  if (!out) return E_POINTER;
  *out = self;
  return S_OK;
}
ULONG STDMETHODCALLTYPE AddRef(void*) { return 2; }
ULONG STDMETHODCALLTYPE Release(void*) { return 1; }
HRESULT STDMETHODCALLTYPE GetTypeInfoCount(void*, UINT*) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE GetTypeInfo(void*, UINT, LCID, ITypeInfo**) { return E_NOTIMPL; }
HRESULT STDMETHODCALLTYPE GetIDsOfNames(void*, REFIID, LPOLESTR*, UINT, LCID, DISPID*) {
  return E_NOTIMPL;
}
HRESULT STDMETHODCALLTYPE Invoke(void*, DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*,
                                 EXCEPINFO*, UINT*) {
  return E_NOTIMPL;
}
// A handler is copied before the call, so it may replace its own slot.
HRESULT STDMETHODCALLTYPE Sending(void* self, LONG lPacketID, LONG lTotal, LONG lProgress) {
  return Deliver(self, [&](TBizFormBase& f) {
    if (auto h = f.OnSending) h(lPacketID, lTotal, lProgress);
  });
}
HRESULT STDMETHODCALLTYPE Receiving(void* self, LONG lPacketID, LONG lTotal, LONG lProgress) {
  return Deliver(self, [&](TBizFormBase& f) {
    if (auto h = f.OnReceiving) h(lPacketID, lTotal, lProgress);
  });
}
HRESULT STDMETHODCALLTYPE Reply(void* self, LONG lPacketID, VARIANT varPack) {
  auto hold = HoldVariant(varPack);
  return Deliver(self, [&](TBizFormBase& f) {
    if (auto h = f.OnReply) h(lPacketID, varPack);
  });
}
HRESULT STDMETHODCALLTYPE Subscribe(void* self, LONG lPacketID, LONG lSubscribeNo,
                                    VARIANT varPack) {
  auto hold = HoldVariant(varPack);
  return Deliver(self, [&](TBizFormBase& f) {
    if (auto h = f.OnSubscribe) h(lPacketID, lSubscribeNo, varPack);
  });
}
HRESULT STDMETHODCALLTYPE Push(void* self, LONG lPacketID, LONG lFunctionNo, VARIANT varPack) {
  auto hold = HoldVariant(varPack);
  return Deliver(self, [&](TBizFormBase& f) {
    if (auto h = f.OnPush) h(lPacketID, lFunctionNo, varPack);
  });
}
HRESULT STDMETHODCALLTYPE Error(void* self, LONG lPacketID, LONG lErrorNo, BSTR strError) {
  return Deliver(self, [&](TBizFormBase& f) {
    if (auto h = f.OnError) h(lPacketID, lErrorNo, strError);
  });
}

}  // namespace

void TEventSink::Fill(TBizFormBase* owner) {
  Entry* t = Table;
  t[0] = reinterpret_cast<Entry>(&QueryInterface);
  t[1] = reinterpret_cast<Entry>(&AddRef);
  t[2] = reinterpret_cast<Entry>(&Release);
  t[3] = reinterpret_cast<Entry>(&GetTypeInfoCount);
  t[4] = reinterpret_cast<Entry>(&GetTypeInfo);
  t[5] = reinterpret_cast<Entry>(&GetIDsOfNames);
  t[6] = reinterpret_cast<Entry>(&Invoke);
  t[7] = reinterpret_cast<Entry>(&Sending);
  t[8] = reinterpret_cast<Entry>(&Receiving);
  t[9] = reinterpret_cast<Entry>(&Reply);
  t[10] = reinterpret_cast<Entry>(&Subscribe);
  t[11] = reinterpret_cast<Entry>(&Push);
  t[12] = reinterpret_cast<Entry>(&Error);
  Interface = Table;
  Owner = owner;
}

}  // namespace topo::bridge
