// Fake host objects for the Wine tests: a host frame with named services, an
// ARCom that records what the window asks of it, and data containers. They
// count references but never free themselves (the test owns them), so a test
// can check that the plug-in gives back every reference it took.
#pragma once

#include <functional>
#include <map>
#include <string>
#include <vector>

#include "abi/HostInterfaces.h"

namespace topo::test {

// IUnknown and IDispatch for a fake: reference counting without freeing,
// QueryInterface for IUnknown, IDispatch and the interface's own id.
template <class I>
class FakeDispatch : public I {
 public:
  explicit FakeDispatch(const IID& iid) : iid_(iid) {}
  FakeDispatch(const FakeDispatch&) = delete;
  FakeDispatch& operator=(const FakeDispatch&) = delete;
  virtual ~FakeDispatch() = default;

  HRESULT STDMETHODCALLTYPE QueryInterface(REFIID iid, void** out) override {
    if (!out) return E_POINTER;
    if (answersQuery_ && (IsEqualIID(iid, IID_IUnknown) || IsEqualIID(iid, IID_IDispatch) ||
                          IsEqualIID(iid, iid_))) {
      *out = static_cast<I*>(this);
      AddRef();
      return S_OK;
    }
    *out = nullptr;
    return E_NOINTERFACE;
  }
  ULONG STDMETHODCALLTYPE AddRef() override { return static_cast<ULONG>(++refs_); }
  ULONG STDMETHODCALLTYPE Release() override { return static_cast<ULONG>(--refs_); }
  HRESULT STDMETHODCALLTYPE GetTypeInfoCount(UINT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetTypeInfo(UINT, LCID, ITypeInfo**) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetIDsOfNames(REFIID, LPOLESTR*, UINT, LCID, DISPID*) override {
    return E_NOTIMPL;
  }
  HRESULT STDMETHODCALLTYPE Invoke(DISPID, REFIID, LCID, WORD, DISPPARAMS*, VARIANT*, EXCEPINFO*,
                                   UINT*) override {
    return E_NOTIMPL;
  }

  // References held by others than the test's own one.
  long Refs() const { return refs_; }
  // When false, the object refuses every interface (an unsuitable service).
  void SetAnswersQuery(bool answers) { answersQuery_ = answers; }

 private:
  IID iid_;
  long refs_ = 0;
  bool answersQuery_ = true;
};

// What an injected fault does to the one call it hits.
enum class Fault {
  None,
  Error,      // a failing HRESULT
  NullOut,    // S_OK with the out-parameter left empty
  WrongType,  // S_OK with an out VARIANT of a type no caller expects
  TimedOut,   // a time-out reported as an error (result or error number)
  OddString,  // S_OK with a string of an odd number of bytes (half a character more)
};

// The calls the fakes get, one line each (the call's name first), shared by
// every fake of a test. Either a call named failOn fails, or the call with
// index faultAt gets fault.
struct CallLog {
  std::vector<std::string> calls;
  // A call whose name (the log line's first word) is this fails with E_FAIL.
  std::string failOn;
  long faultAt = -1;
  Fault fault = Fault::None;
  // What the call just recorded was given.
  Fault current = Fault::None;
  // Runs with each call as it is recorded: a test acts there as the operator
  // or the host would while that call is out.
  std::function<void(const std::string&)> onRecord;
  // Handed out in a wrong-typed VARIANT: whoever gets it must give it back.
  FakeDispatch<IDispatch> stray{IID_IDispatch};

  HRESULT Record(const std::string& line);
  // Spoils an out VARIANT as the current fault says; true when it did.
  bool Spoil(VARIANT* out);
  // Gives a string out-parameter, once filled, a stray byte past its last
  // character when the current fault says so.
  void Fray(BSTR* out);
  void Fray(VARIANT* out) {
    if (out->vt == VT_BSTR) Fray(&out->bstrVal);
  }
};

class FakeARCom : public FakeDispatch<host::IARCom> {
 public:
  FakeARCom() : FakeDispatch(host::IID_IARCom) {}
  HRESULT STDMETHODCALLTYPE SendPacket(VARIANT, LONG, VARIANT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE ReceiveAnswer(LONG, LONG, VARIANT*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetDestination(LONG, VARIANT) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetFunction(LONG, IDispatch*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE RemoveEventSink(IUnknown* sink) override;
  HRESULT STDMETHODCALLTYPE SetRequestKind(LONG) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE GetErrorNo(LONG*) override { return E_NOTIMPL; }
  HRESULT STDMETHODCALLTYPE SetRequestMode(LONG) override { return E_NOTIMPL; }

  std::vector<IUnknown*> removedSinks;
  HRESULT removeResult = S_OK;
  // When set, RemoveEventSink is recorded there and may be faulted.
  CallLog* hostLog = nullptr;
  // Called inside RemoveEventSink, to look at the window at that moment.
  HWND watchedWindow = nullptr;
  LONG styleAtRemove = 0;
};

class FakeDataContainer : public FakeDispatch<host::IDataContainer> {
 public:
  FakeDataContainer() : FakeDispatch(host::IID_IDataContainer) {}
  HRESULT STDMETHODCALLTYPE GetValue(BSTR Name, VARIANT* Value) override;
  HRESULT STDMETHODCALLTYPE SetValue(BSTR Name, VARIANT Value) override;
  ~FakeDataContainer() override;
  // When set, every call is recorded there (as "<label>.GetValue Name") and may be faulted.
  CallLog* hostLog = nullptr;
  std::string label = "Data";

 private:
  std::map<std::wstring, VARIANT> values_;
};

// The host's memory configuration: only the per-user data folder.
class FakeMemConfig : public FakeDispatch<host::IMemConfig> {
 public:
  FakeMemConfig() : FakeDispatch(host::IID_IMemConfig) {}
  HRESULT STDMETHODCALLTYPE GetValue(BSTR Name, VARIANT* Value) override;
  std::wstring personalDataDir;  // ends in a separator
  CallLog* hostLog = nullptr;    // when set, calls are recorded there
};

class FakeAppFrame : public FakeDispatch<host::IAppFrame> {
 public:
  FakeAppFrame() : FakeDispatch(host::IID_IAppFrame) {}
  HRESULT STDMETHODCALLTYPE GetService(BSTR Name, IUnknown** Service) override;

  // Offers service under name (the test keeps owning it).
  void Offer(const std::wstring& name, IUnknown* service) { services_[name] = service; }
  void Withdraw(const std::wstring& name) { services_.erase(name); }
  // Every GetService call fails with this result while it is a failure.
  HRESULT failWith = S_OK;
  std::vector<std::wstring> asked;
  CallLog* hostLog = nullptr;  // when set, calls are recorded there

 private:
  std::map<std::wstring, IUnknown*> services_;
};

// A top-level window for the tests: the host's frame, or the notify window
// that counts the WM_CLOSE messages it gets.
class TestWindow {
 public:
  explicit TestWindow(bool visible, const wchar_t* title = L"test host");
  TestWindow(const TestWindow&) = delete;
  TestWindow& operator=(const TestWindow&) = delete;
  ~TestWindow();
  HWND Handle() const { return hwnd_; }
  int closeMessages = 0;
  // When set, the style of this window at the moment WM_CLOSE arrived.
  HWND watchOnClose = nullptr;
  LONG watchedStyle = 0;
  bool watchedAlive = false;

 private:
  static LRESULT CALLBACK Proc(HWND, UINT, WPARAM, LPARAM);
  HWND hwnd_ = nullptr;
};

// Dispatches every queued message of this thread.
void PumpMessages();

// Counts the windows of this thread (top-level and children).
int CountThreadWindows();

}  // namespace topo::test
