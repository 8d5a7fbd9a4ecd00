// The host framework's COM interfaces, slot for slot. A real host depends on
// every slot number, so the slots the plug-in never calls are declared as
// reserved methods: removing one would shift all the operations after it.
// Each has its body here, answering E_NOTIMPL, so no implementation repeats
// them; a virtual with a body still takes its slot in declaration order.
// Shared by topo.dll (the caller) and arhost.exe (which implements them).
#pragma once

#include <oaidl.h>
#include <windows.h>

namespace topo::host {

// {FED8384D-548D-4916-92B6-32AEB188A753}
inline constexpr GUID IID_IAppFrame = {
    0xFED8384D, 0x548D, 0x4916, {0x92, 0xB6, 0x32, 0xAE, 0xB1, 0x88, 0xA7, 0x53}};
// {55F51B15-4AC9-4EF5-BD3E-7C001E435071}
inline constexpr GUID IID_IARCom = {
    0x55F51B15, 0x4AC9, 0x4EF5, {0xBD, 0x3E, 0x7C, 0x00, 0x1E, 0x43, 0x50, 0x71}};
// {AEC31086-C38C-466B-AF19-293AE05CA311}
inline constexpr GUID IID_IPackerDisp = {
    0xAEC31086, 0xC38C, 0x466B, {0xAF, 0x19, 0x29, 0x3A, 0xE0, 0x5C, 0xA3, 0x11}};
// {F8BC090B-58A1-424C-8533-6D749F194C10}
inline constexpr GUID CLSID_Packer = {
    0xF8BC090B, 0x58A1, 0x424C, {0x85, 0x33, 0x6D, 0x74, 0x9F, 0x19, 0x4C, 0x10}};
// {5A63A792-7FE0-474C-896B-C0E174C96F8E}
inline constexpr GUID IID_IUnpackerDisp = {
    0x5A63A792, 0x7FE0, 0x474C, {0x89, 0x6B, 0xC0, 0xE1, 0x74, 0xC9, 0x6F, 0x8E}};
// {3D17A9B5-275F-421E-880F-B4127EFE54AB}
inline constexpr GUID CLSID_Unpacker = {
    0x3D17A9B5, 0x275F, 0x421E, {0x88, 0x0F, 0xB4, 0x12, 0x7E, 0xFE, 0x54, 0xAB}};
// {1F437CA9-EA9A-4C94-A953-8B0419C8C179}
inline constexpr GUID IID_IDataContainer = {
    0x1F437CA9, 0xEA9A, 0x4C94, {0xA9, 0x53, 0x8B, 0x04, 0x19, 0xC8, 0xC1, 0x79}};
// {8CA6B0C7-C599-4A02-AD98-229E928DED72}
inline constexpr GUID IID_IMemConfig = {
    0x8CA6B0C7, 0xC599, 0x4A02, {0xAD, 0x98, 0x22, 0x9E, 0x92, 0x8D, 0xED, 0x72}};
// {729F3C8D-B439-4031-9D52-7A4F0B3D8F69}
inline constexpr GUID IID_IMainForm = {
    0x729F3C8D, 0xB439, 0x4031, {0x9D, 0x52, 0x7A, 0x4F, 0x0B, 0x3D, 0x8F, 0x69}};
// {8479382B-7B62-48A3-B25F-6F8A7F1AB169}
inline constexpr GUID IID_IEntry = {
    0x8479382B, 0x7B62, 0x48A3, {0xB2, 0x5F, 0x6F, 0x8A, 0x7F, 0x1A, 0xB1, 0x69}};
// {886BF615-A49E-4109-A002-67FAC9E2646A}
inline constexpr GUID IID_IARComV1 = {
    0x886BF615, 0xA49E, 0x4109, {0xA0, 0x02, 0x67, 0xFA, 0xC9, 0xE2, 0x64, 0x6A}};

#define TOPO_RESERVED(n) \
  virtual HRESULT STDMETHODCALLTYPE Reserved##n() { return E_NOTIMPL; }

// Slots 0-6 are IUnknown and IDispatch; the first operation is slot 7.
struct IAppFrame : public IDispatch {
  virtual HRESULT STDMETHODCALLTYPE GetService(BSTR Name, IUnknown** Service) = 0;  // 7
};

struct IARCom : public IDispatch {
  TOPO_RESERVED(7)
  TOPO_RESERVED(8)
  virtual HRESULT STDMETHODCALLTYPE SendPacket(VARIANT Packet, LONG Timeout,
                                               VARIANT* PacketID) = 0;  // 9
  virtual HRESULT STDMETHODCALLTYPE ReceiveAnswer(LONG PacketID, LONG Timeout,
                                                  VARIANT* Answer) = 0;  // 10
  TOPO_RESERVED(11)
  TOPO_RESERVED(12)
  virtual HRESULT STDMETHODCALLTYPE SetDestination(LONG AddressKind, VARIANT Address) = 0;  // 13
  virtual HRESULT STDMETHODCALLTYPE SetFunction(LONG FunctionNo, IDispatch* Packer) = 0;    // 14
  TOPO_RESERVED(15)
  TOPO_RESERVED(16)
  TOPO_RESERVED(17)
  TOPO_RESERVED(18)
  TOPO_RESERVED(19)
  TOPO_RESERVED(20)
  virtual HRESULT STDMETHODCALLTYPE RemoveEventSink(IUnknown* Sink) = 0;  // 21
  TOPO_RESERVED(22)
  TOPO_RESERVED(23)
  TOPO_RESERVED(24)
  TOPO_RESERVED(25)
  TOPO_RESERVED(26)
  TOPO_RESERVED(27)
  TOPO_RESERVED(28)
  TOPO_RESERVED(29)
  TOPO_RESERVED(30)
  TOPO_RESERVED(31)
  virtual HRESULT STDMETHODCALLTYPE SetRequestKind(LONG Value) = 0;  // 32
  TOPO_RESERVED(33)
  TOPO_RESERVED(34)
  TOPO_RESERVED(35)
  TOPO_RESERVED(36)
  TOPO_RESERVED(37)
  TOPO_RESERVED(38)
  TOPO_RESERVED(39)
  TOPO_RESERVED(40)
  virtual HRESULT STDMETHODCALLTYPE GetErrorNo(LONG* ErrorNo) = 0;  // 41
  TOPO_RESERVED(42)
  TOPO_RESERVED(43)
  virtual HRESULT STDMETHODCALLTYPE SetRequestMode(LONG Value) = 0;  // 44
};

struct IPackerDisp : public IDispatch {
  virtual HRESULT STDMETHODCALLTYPE BeginPack() = 0;  // 7
  TOPO_RESERVED(8)
  TOPO_RESERVED(9)
  TOPO_RESERVED(10)
  TOPO_RESERVED(11)
  virtual HRESULT STDMETHODCALLTYPE AddField(BSTR Name) = 0;  // 12
  TOPO_RESERVED(13)
  TOPO_RESERVED(14)
  TOPO_RESERVED(15)
  TOPO_RESERVED(16)
  virtual HRESULT STDMETHODCALLTYPE AddValue(VARIANT Value) = 0;  // 17
  virtual HRESULT STDMETHODCALLTYPE EndPack() = 0;                // 18
  TOPO_RESERVED(19)
  virtual HRESULT STDMETHODCALLTYPE GetPacket(VARIANT* Packet) = 0;  // 20
};

// The field object that GetField hands out; no interface id of its own is used.
struct IUnpackerField : public IDispatch {
  virtual HRESULT STDMETHODCALLTYPE GetName(BSTR* Name) = 0;  // 7
  TOPO_RESERVED(8)
  TOPO_RESERVED(9)
  TOPO_RESERVED(10)
  virtual HRESULT STDMETHODCALLTYPE GetValue(VARIANT* Value) = 0;  // 11
};

struct IUnpackerDisp : public IDispatch {
  virtual HRESULT STDMETHODCALLTYPE Open(VARIANT Packet) = 0;  // 7
  TOPO_RESERVED(8)
  TOPO_RESERVED(9)
  TOPO_RESERVED(10)
  TOPO_RESERVED(11)
  TOPO_RESERVED(12)
  virtual HRESULT STDMETHODCALLTYPE GetFieldCount(LONG* Count) = 0;  // 13
  virtual HRESULT STDMETHODCALLTYPE GetRowCount(LONG* Count) = 0;    // 14
  virtual HRESULT STDMETHODCALLTYPE GetReturnCode(LONG* Code) = 0;   // 15
  TOPO_RESERVED(16)
  // Key: VT_I4 0-based field index or VT_BSTR field name; Field is an IUnpackerField.
  virtual HRESULT STDMETHODCALLTYPE GetField(VARIANT Key, IDispatch** Field) = 0;  // 17
  TOPO_RESERVED(18)
  TOPO_RESERVED(19)
  virtual HRESULT STDMETHODCALLTYPE First() = 0;  // 20
  TOPO_RESERVED(21)
  virtual HRESULT STDMETHODCALLTYPE Next() = 0;  // 22
  TOPO_RESERVED(23)
  TOPO_RESERVED(24)
  virtual HRESULT STDMETHODCALLTYPE GetEof(VARIANT_BOOL* Eof) = 0;  // 25
};

struct IDataContainer : public IDispatch {
  TOPO_RESERVED(7)
  // Value is VT_EMPTY for a name never set.
  virtual HRESULT STDMETHODCALLTYPE GetValue(BSTR Name, VARIANT* Value) = 0;  // 8
  virtual HRESULT STDMETHODCALLTYPE SetValue(BSTR Name, VARIANT Value) = 0;   // 9
};

struct IMemConfig : public IDispatch {
  virtual HRESULT STDMETHODCALLTYPE GetValue(BSTR Name, VARIANT* Value) = 0;  // 7
};

// Declared for the window base's caches; the plug-in never calls them.
struct IMainForm : public IDispatch {};
struct IEntry : public IDispatch {};
struct IARComV1 : public IDispatch {};

#undef TOPO_RESERVED

// Event numbers carried by the ARCom event sink (entries 7 to 12 of its table).
struct IARComEvents : public IDispatch {
  virtual HRESULT STDMETHODCALLTYPE OnSending(LONG lPacketID, LONG lTotal, LONG lProgress) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnReceiving(LONG lPacketID, LONG lTotal, LONG lProgress) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnReply(LONG lPacketID, VARIANT varPack) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnSubscribe(LONG lPacketID, LONG lSubscribeNo,
                                                VARIANT varPack) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnPush(LONG lPacketID, LONG lFunctionNo, VARIANT varPack) = 0;
  virtual HRESULT STDMETHODCALLTYPE OnError(LONG lPacketID, LONG lErrorNo, BSTR strError) = 0;
};

}  // namespace topo::host
