// Fakes of one request and answer: an ARCom, a packer and an unpacker that
// write every call they get into one shared log, any of which can be made to
// fail by name, and the class registrations through which the plug-in's
// CoCreateInstance finds the fake packer and unpacker.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "FakeHost.h"
#include "bridge/BizForm.h"
#include "win32/Variant.h"

namespace topo::test {

class FakeExchangeARCom : public FakeARCom {
 public:
  explicit FakeExchangeARCom(CallLog& log) : log_(log) {}
  HRESULT STDMETHODCALLTYPE SendPacket(VARIANT Packet, LONG Timeout, VARIANT* PacketID) override;
  HRESULT STDMETHODCALLTYPE ReceiveAnswer(LONG PacketID, LONG Timeout, VARIANT* Answer) override;
  HRESULT STDMETHODCALLTYPE SetDestination(LONG AddressKind, VARIANT Address) override;
  HRESULT STDMETHODCALLTYPE SetFunction(LONG FunctionNo, IDispatch* Packer) override;
  HRESULT STDMETHODCALLTYPE SetRequestKind(LONG Value) override;
  HRESULT STDMETHODCALLTYPE GetErrorNo(LONG* ErrorNo) override;
  HRESULT STDMETHODCALLTYPE SetRequestMode(LONG Value) override;

  LONG errorNo = 0;

 private:
  CallLog& log_;
};

class FakePacker : public FakeDispatch<host::IPackerDisp> {
 public:
  explicit FakePacker(CallLog& log) : FakeDispatch(host::IID_IPackerDisp), log_(log) {}
  HRESULT STDMETHODCALLTYPE BeginPack() override { return log_.Record("BeginPack"); }
  HRESULT STDMETHODCALLTYPE AddField(BSTR Name) override;
  HRESULT STDMETHODCALLTYPE AddValue(VARIANT Value) override;
  HRESULT STDMETHODCALLTYPE EndPack() override { return log_.Record("EndPack"); }
  HRESULT STDMETHODCALLTYPE GetPacket(VARIANT* Packet) override;

 private:
  CallLog& log_;
};

// An answer table: field names and rows of values.
struct FakeTable {
  std::vector<std::wstring> fields;
  std::vector<std::vector<win32::Variant>> rows;
};

class FakeUnpacker : public FakeDispatch<host::IUnpackerDisp> {
 public:
  explicit FakeUnpacker(CallLog& log);
  ~FakeUnpacker() override;
  HRESULT STDMETHODCALLTYPE Open(VARIANT Packet) override;
  HRESULT STDMETHODCALLTYPE GetFieldCount(LONG* Count) override;
  HRESULT STDMETHODCALLTYPE GetRowCount(LONG* Count) override;
  HRESULT STDMETHODCALLTYPE GetReturnCode(LONG* Code) override;
  HRESULT STDMETHODCALLTYPE GetField(VARIANT Key, IDispatch** Field) override;
  HRESULT STDMETHODCALLTYPE First() override;
  HRESULT STDMETHODCALLTYPE Next() override;
  HRESULT STDMETHODCALLTYPE GetEof(VARIANT_BOOL* Eof) override;

  FakeTable table;
  // The return codes the next GetReturnCode calls give, in turn (then 0).
  std::vector<LONG> returnCodes;
  // References to the fields handed out that their takers still hold.
  long FieldRefs() const;

 private:
  class Field;
  CallLog& log_;
  size_t row_ = 0;
  std::vector<std::unique_ptr<Field>> handedOut_;
};

// Registers object under cls in this process while it lives, so that
// CoCreateInstance(cls) hands out object (the test keeps owning it).
class FakeClassRegistration {
 public:
  FakeClassRegistration(const CLSID& cls, IUnknown* object);
  FakeClassRegistration(const FakeClassRegistration&) = delete;
  FakeClassRegistration& operator=(const FakeClassRegistration&) = delete;
  ~FakeClassRegistration();
  HRESULT Result() const { return result_; }

 private:
  class Factory;
  std::unique_ptr<Factory> factory_;
  DWORD cookie_ = 0;
  HRESULT result_ = E_FAIL;
};

// COM for the thread while it lives.
struct ComApartment {
  ComApartment() { CoInitialize(nullptr); }
  ~ComApartment() { CoUninitialize(); }
  ComApartment(const ComApartment&) = delete;
  ComApartment& operator=(const ComApartment&) = delete;
};

// The exchange fakes that record into one log, with the packer and unpacker
// classes registered while they live, in an apartment of their own.
struct FakeExchangeServices {
  ComApartment apartment;
  CallLog log;
  FakeExchangeARCom arCom{log};
  FakePacker packer{log};
  FakeUnpacker unpacker{log};
  FakeClassRegistration packerClass{host::CLSID_Packer, static_cast<host::IPackerDisp*>(&packer)};
  FakeClassRegistration unpackerClass{host::CLSID_Unpacker,
                                      static_cast<host::IUnpackerDisp*>(&unpacker)};
};

// A host window attached to a fake host frame that offers the exchange fakes
// as "ARCom" and the packer and unpacker classes, and a "TempData".
struct FakeExchangeHost : FakeExchangeServices {
  FakeExchangeHost();
  FakeExchangeHost(const FakeExchangeHost&) = delete;
  FakeExchangeHost& operator=(const FakeExchangeHost&) = delete;
  ~FakeExchangeHost();

  // What the status command writes to TempData about the clicked node.
  void Click(LONG type, const wchar_t* name, const wchar_t* parent);
  // The next answer's table.
  void Answer(std::vector<std::wstring> fields, std::vector<std::vector<win32::Variant>> rows);
  // Attaches again, so that the services are asked for anew.
  void Reattach();

  FakeDataContainer tempData;
  FakeAppFrame frame;
  // Declared after the fakes: it goes first and gives their references back.
  std::unique_ptr<bridge::TBizFormBase> form;
};

}  // namespace topo::test
