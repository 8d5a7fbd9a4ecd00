// TBizFormBase: the base of every window the plug-in embeds in a host window.
// On top of the generic form (ui/Form.h) it is the host bridge: it turns the
// top-level window into a child of the host's window, gives lazy, cached
// access to the host's services, receives ARCom events through an event sink
// embedded in the window object (bridge/EventSink.h), and carries out the
// close steps a host expects (sink removed, child style dropped, host told),
// which a plain Win32 child window would get wrong or not do at all.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>

#include "abi/HostInterfaces.h"
#include "bridge/EventSink.h"
#include "bridge/HostExchange.h"
#include "bridge/ModuleServices.h"
#include "ui/Form.h"
#include "win32/ComPtr.h"

namespace topo::bridge {

using TOnSendingEvent = std::function<void(LONG lPacketID, LONG lTotal, LONG lProgress)>;
using TOnReceivingEvent = std::function<void(LONG lPacketID, LONG lTotal, LONG lProgress)>;
using TOnReplyEvent = std::function<void(LONG lPacketID, const VARIANT& varPack)>;
using TOnSubscribeEvent =
    std::function<void(LONG lPacketID, LONG lSubscribeNo, const VARIANT& varPack)>;
using TOnPushEvent = std::function<void(LONG lPacketID, LONG lFunctionNo, const VARIANT& varPack)>;
using TOnErrorEvent = std::function<void(LONG lPacketID, LONG lErrorNo, const wchar_t* strError)>;
using TOnTFtpReceivedEvent = std::function<void(const wchar_t* strFileName, LONG lResult)>;
using TOnTFtpSentEvent = std::function<void(const wchar_t* strFileName, LONG lResult)>;
using TOnTFtpAccessEvent =
    std::function<void(const wchar_t* strOrigName, LONG lAccessMode, BSTR* strFileName)>;

class TBizFormBase : public ui::Form, public ExchangeServices {
 public:
  // Creates the window, hidden and top-level, from a layout. The module's
  // services must outlive the window.
  TBizFormBase(const ui::FormLayout& layout, ModuleServices& services);
  ~TBizFormBase() override;

  void AttachToHost(LONG FunctionNo, HWND ParentWindow, HWND NotifyWindow, host::IAppFrame* Host);

  // The cached host services. GetARCom returns null instead of raising; the
  // others throw win32::EHostCallError and cache nothing on failure. The
  // references stay owned by the window.
  host::IARCom* GetARCom() noexcept;
  host::IPackerDisp* GetPacker();
  host::IUnpackerDisp* GetUnpacker();
  host::IDataContainer* GetPersonalData();
  host::IDataContainer* GetTempData();
  IUnknown* GetEventSink() { return EventSink.AsUnknown(); }
  // The same three for an exchange (bridge/HostExchange.h).
  host::IARCom* ARCom() override { return GetARCom(); }
  host::IPackerDisp* Packer() override { return GetPacker(); }
  host::IUnpackerDisp* Unpacker() override { return GetUnpacker(); }

  // From the close on: the window goes once the current message is handled.
  bool Closing() const { return closing_; }
  HWND NotifyWindow() const { return notifyWindow_; }
  LONG FunctionNo() const { return functionNo_; }
  host::IAppFrame* AppFrame() const { return appFrame_.Get(); }
  ModuleServices& Services() const { return services_; }

  // The nine event slots.
  TOnSendingEvent OnSending;
  TOnReceivingEvent OnReceiving;
  TOnReplyEvent OnReply;
  TOnSubscribeEvent OnSubscribe;
  TOnPushEvent OnPush;
  TOnErrorEvent OnError;
  TOnTFtpReceivedEvent OnTFtpReceived;
  TOnTFtpSentEvent OnTFtpSent;
  TOnTFtpAccessEvent OnTFtpAccess;

 protected:
  virtual void AfterAttach() {}
  virtual void DoSending(LONG, LONG, LONG) {}
  virtual void DoReceiving(LONG, LONG, LONG) {}
  virtual void DoReply(LONG, const VARIANT&) {}
  virtual void DoSubscribe(LONG, LONG, const VARIANT&) {}
  virtual void DoPush(LONG, LONG, const VARIANT&) {}
  virtual void DoError(LONG, LONG, const wchar_t*) {}
  virtual void DoTFtpReceived(const wchar_t*, LONG) {}
  virtual void DoTFtpSent(const wchar_t*, LONG) {}
  virtual void DoTFtpAccess(const wchar_t*, LONG, BSTR*) {}

  // The close steps: the close handler runs, then the window always frees
  // itself, removes its sink from ARCom, drops its child style and tells the
  // host, once however often a close is asked for.
  void Close() override;

 private:
  void ReleaseServices();

  ModuleServices& services_;
  bool closing_ = false;

  // Host fields in their declared order.
  HWND notifyWindow_ = nullptr;
  LONG functionNo_ = 0;
  win32::ComPtr<host::IAppFrame> appFrame_;
  win32::ComPtr<host::IARCom> arCom_;
  win32::ComPtr<host::IPackerDisp> packer_;
  win32::ComPtr<host::IUnpackerDisp> unpacker_;
  win32::ComPtr<host::IMainForm> mainForm_;
  win32::ComPtr<host::IDataContainer> dataContainer_;
  win32::ComPtr<host::IDataContainer> personalData_;
  win32::ComPtr<host::IDataContainer> tempData_;
  win32::ComPtr<host::IEntry> entry_;
  win32::ComPtr<host::IARComV1> arComV1_;
  win32::ComPtr<host::IPackerDisp> packer2_;
  win32::ComPtr<host::IUnpackerDisp> unpacker2_;

 public:
  TEventSink EventSink{};
};

}  // namespace topo::bridge
