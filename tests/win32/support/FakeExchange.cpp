// The exchange fakes. Log lines name the call and its arguments, so a test
// compares a whole conversation with one expected table.
#include "FakeExchange.h"

#include "plugin/ModuleState.h"
#include "win32/BStr.h"
#include "win32/Cp936.h"

namespace topo::test {
namespace {

std::string Text(const std::wstring& s) { return win32::Cp936FromWide(s); }

// A VARIANT argument as a log word: its type and its value.
std::string Describe(const VARIANT& v) {
  switch (v.vt) {
    case VT_EMPTY:
      return "empty";
    case VT_I4:
      return "i4:" + std::to_string(v.lVal);
    case VT_BSTR:
      return "bstr:" + Text(std::wstring(v.bstrVal, SysStringLen(v.bstrVal)));
    default:
      return "vt" + std::to_string(v.vt);
  }
}

}  // namespace

HRESULT FakeExchangeARCom::SendPacket(VARIANT Packet, LONG Timeout, VARIANT* PacketID) {
  HRESULT hr = log_.Record("SendPacket " + Describe(Packet) + " " + std::to_string(Timeout));
  VariantInit(PacketID);
  if (FAILED(hr)) return hr;
  // Not an integer: the caller must convert the id, as a real host's may be.
  if (log_.Spoil(PacketID)) return S_OK;
  PacketID->vt = VT_BSTR;
  PacketID->bstrVal = SysAllocString(L"7");
  return S_OK;
}

HRESULT FakeExchangeARCom::ReceiveAnswer(LONG PacketID, LONG Timeout, VARIANT* Answer) {
  HRESULT hr =
      log_.Record("ReceiveAnswer " + std::to_string(PacketID) + " " + std::to_string(Timeout));
  VariantInit(Answer);
  if (FAILED(hr)) return hr;
  if (log_.Spoil(Answer)) return S_OK;
  Answer->vt = VT_BSTR;
  Answer->bstrVal = SysAllocString(L"answer");
  return S_OK;
}

HRESULT FakeExchangeARCom::SetDestination(LONG AddressKind, VARIANT Address) {
  return log_.Record("SetDestination " + std::to_string(AddressKind) + " " + Describe(Address));
}

HRESULT FakeExchangeARCom::SetFunction(LONG FunctionNo, IDispatch* Packer) {
  return log_.Record("SetFunction " + std::to_string(FunctionNo) + (Packer ? " packer" : " null"));
}

HRESULT FakeExchangeARCom::SetRequestKind(LONG Value) {
  return log_.Record("SetRequestKind " + std::to_string(Value));
}

HRESULT FakeExchangeARCom::GetErrorNo(LONG* ErrorNo) {
  *ErrorNo = errorNo;
  HRESULT hr = log_.Record("GetErrorNo");
  if (log_.current != Fault::TimedOut) return hr;
  *ErrorNo = 1460;  // the host's number for a request that timed out
  return S_OK;
}

HRESULT FakeExchangeARCom::SetRequestMode(LONG Value) {
  return log_.Record("SetRequestMode " + std::to_string(Value));
}

HRESULT FakePacker::AddField(BSTR Name) {
  return log_.Record("AddField " + Text(std::wstring(Name, SysStringLen(Name))));
}

HRESULT FakePacker::AddValue(VARIANT Value) { return log_.Record("AddValue " + Describe(Value)); }

HRESULT FakePacker::GetPacket(VARIANT* Packet) {
  VariantInit(Packet);
  HRESULT hr = log_.Record("GetPacket");
  if (FAILED(hr)) return hr;
  if (log_.Spoil(Packet)) return S_OK;
  Packet->vt = VT_BSTR;
  Packet->bstrVal = SysAllocString(L"packet");
  return S_OK;
}

class FakeUnpacker::Field : public FakeDispatch<host::IUnpackerField> {
 public:
  Field(CallLog& log, std::wstring name, const VARIANT& value)
      : FakeDispatch(IID_IDispatch), log_(log), name_(std::move(name)) {
    VariantCopy(value_.Put(), const_cast<VARIANT*>(&value));
  }
  HRESULT STDMETHODCALLTYPE GetName(BSTR* Name) override {
    *Name = nullptr;
    HRESULT hr = log_.Record("GetName " + Text(name_));
    if (FAILED(hr) || log_.current == Fault::NullOut) return hr;
    *Name = SysAllocStringLen(name_.data(), static_cast<UINT>(name_.size()));
    log_.Fray(Name);
    return S_OK;
  }
  HRESULT STDMETHODCALLTYPE GetValue(VARIANT* Value) override {
    VariantInit(Value);
    HRESULT hr = log_.Record("GetValue " + Text(name_));
    if (FAILED(hr) || log_.Spoil(Value)) return hr;
    hr = VariantCopy(Value, const_cast<VARIANT*>(&value_.Get()));
    log_.Fray(Value);
    return hr;
  }

 private:
  CallLog& log_;
  std::wstring name_;
  win32::Variant value_;
};

FakeUnpacker::FakeUnpacker(CallLog& log) : FakeDispatch(host::IID_IUnpackerDisp), log_(log) {}
FakeUnpacker::~FakeUnpacker() = default;

HRESULT FakeUnpacker::Open(VARIANT Packet) {
  row_ = 0;
  return log_.Record("Open " + Describe(Packet));
}

HRESULT FakeUnpacker::GetReturnCode(LONG* Code) {
  *Code = 0;
  if (!returnCodes.empty()) {
    *Code = returnCodes.front();
    returnCodes.erase(returnCodes.begin());
  }
  return log_.Record("GetReturnCode");
}

HRESULT FakeUnpacker::GetFieldCount(LONG* Count) {
  *Count = static_cast<LONG>(table.fields.size());
  return log_.Record("GetFieldCount");
}

HRESULT FakeUnpacker::GetRowCount(LONG* Count) {
  *Count = static_cast<LONG>(table.rows.size());
  return log_.Record("GetRowCount");
}

HRESULT FakeUnpacker::GetField(VARIANT Key, IDispatch** Field) {
  *Field = nullptr;
  HRESULT hr = log_.Record("GetField " + Describe(Key));
  if (FAILED(hr) || log_.current == Fault::NullOut) return hr;
  size_t index = table.fields.size();
  if (Key.vt == VT_I4 && Key.lVal >= 0) index = static_cast<size_t>(Key.lVal);
  if (Key.vt == VT_BSTR)
    for (size_t i = 0; i < table.fields.size(); ++i)
      if (table.fields[i] == Key.bstrVal) index = i;
  if (index >= table.fields.size()) return DISP_E_BADINDEX;
  win32::Variant none;
  const VARIANT& value = row_ < table.rows.size() && index < table.rows[row_].size()
                             ? table.rows[row_][index].Get()
                             : none.Get();
  handedOut_.push_back(std::make_unique<FakeUnpacker::Field>(log_, table.fields[index], value));
  *Field = handedOut_.back().get();
  (*Field)->AddRef();
  return S_OK;
}

HRESULT FakeUnpacker::First() {
  row_ = 0;
  return log_.Record("First");
}

HRESULT FakeUnpacker::Next() {
  ++row_;
  return log_.Record("Next");
}

HRESULT FakeUnpacker::GetEof(VARIANT_BOOL* Eof) {
  *Eof = row_ >= table.rows.size() ? VARIANT_TRUE : VARIANT_FALSE;
  return log_.Record("GetEof");
}

long FakeUnpacker::FieldRefs() const {
  long refs = 0;
  for (const auto& field : handedOut_) refs += field->Refs();
  return refs;
}

class FakeClassRegistration::Factory : public IClassFactory {
 public:
  explicit Factory(IUnknown* object) : object_(object) {}
  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IClassFactory)) {
      *out = this;
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return 2; }
  ULONG STDMETHODCALLTYPE Release() override { return 1; }
  HRESULT STDMETHODCALLTYPE CreateInstance(IUnknown* outer, REFIID iid, void** out) override {
    if (outer) return CLASS_E_NOAGGREGATION;
    return object_->QueryInterface(iid, out);
  }
  HRESULT STDMETHODCALLTYPE LockServer(BOOL) override { return S_OK; }

 private:
  IUnknown* object_;
};

FakeClassRegistration::FakeClassRegistration(const CLSID& cls, IUnknown* object)
    : factory_(std::make_unique<Factory>(object)) {
  result_ = CoRegisterClassObject(cls, factory_.get(), CLSCTX_INPROC_SERVER, REGCLS_MULTIPLEUSE,
                                  &cookie_);
}

FakeClassRegistration::~FakeClassRegistration() {
  if (SUCCEEDED(result_)) CoRevokeClassObject(cookie_);
}

FakeExchangeHost::FakeExchangeHost()
    : form(std::make_unique<bridge::TBizFormBase>(
          ui::ParseFormLayout("form ExchangeHost\nclient 100 50\n"), plugin::Module())) {
  frame.Offer(L"ARCom", static_cast<host::IARCom*>(&arCom));
  frame.Offer(L"TempData", &tempData);
  Reattach();
}

FakeExchangeHost::~FakeExchangeHost() { form.reset(); }

void FakeExchangeHost::Click(LONG type, const wchar_t* name, const wchar_t* parent) {
  win32::BStr t(L"ClickedSvrType"), n(L"ClickedSvrName"), p(L"ClickedParentARName");
  tempData.SetValue(t.Get(), win32::Variant::Int32(type).Get());
  tempData.SetValue(n.Get(), win32::Variant::String(name).Get());
  tempData.SetValue(p.Get(), win32::Variant::String(parent).Get());
}

void FakeExchangeHost::Answer(std::vector<std::wstring> fields,
                              std::vector<std::vector<win32::Variant>> rows) {
  unpacker.table.fields = std::move(fields);
  unpacker.table.rows = std::move(rows);
}

void FakeExchangeHost::Reattach() { form->AttachToHost(0, nullptr, nullptr, &frame); }

}  // namespace topo::test
