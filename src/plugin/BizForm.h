// TBizFormBase: the base of every window the plug-in embeds in a host window.
// It turns a top-level window into a child of the host's window, gives lazy,
// cached access to the host's services, receives ARCom events through an
// event sink embedded in the window object (no allocation, same lifetime),
// and replaces the keyboard navigation, wheel scrolling and close steps that a
// plain Win32 child window would lack or get wrong inside a host.
#pragma once

#include <windows.h>

#include <cstddef>
#include <functional>
#include <type_traits>
#include <map>
#include <memory>
#include <string>

#include "ComPtr.h"
#include "FormLayout.h"
#include "HostInterfaces.h"

namespace topo::plugin {

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

enum class TCloseAction { None, Hide, Free, Minimize };

// Shift state bits of a key press.
enum TShiftState : unsigned { ssNone = 0, ssShift = 1, ssAlt = 2, ssCtrl = 4 };

class TBizFormBase;

// The sink ARCom calls back: 13 entry points and the interface pointer that
// points at them. Standard layout, so an entry can get from the interface
// pointer (its `this`) back to the sink and its owner.
struct TEventSink {
  using Entry = void (*)();
  Entry Table[13];
  Entry* Interface;
  TBizFormBase* Owner;
};
// The host calls through Interface: the table must come first, one pointer an
// entry with no padding, whatever the pointer size.
static_assert(std::is_standard_layout_v<TEventSink>);
static_assert(offsetof(TEventSink, Table) == 0);
static_assert(offsetof(TEventSink, Interface) == 13 * sizeof(void*));
static_assert(offsetof(TEventSink, Owner) == 14 * sizeof(void*));

class TBizFormBase {
 public:
  // Creates the window, hidden and top-level, from a layout.
  explicit TBizFormBase(const win32::FormLayout& layout);
  TBizFormBase(const TBizFormBase&) = delete;
  TBizFormBase& operator=(const TBizFormBase&) = delete;
  virtual ~TBizFormBase();

  // Hands the object to its window: it is deleted when the window is destroyed.
  static TBizFormBase* GiveToWindow(std::unique_ptr<TBizFormBase> form);

  HWND Handle() const { return hwnd_; }
  // Empty once the window is destroyed.
  std::weak_ptr<void> Liveness() const { return alive_; }

  void AttachToHost(LONG FunctionNo, HWND ParentWindow, HWND NotifyWindow, host::IAppFrame* Host);

  // The cached host services. GetARCom returns null instead of raising; the
  // others throw win32::EHostCallError and cache nothing on failure. The
  // references stay owned by the window.
  host::IARCom* GetARCom() noexcept;
  host::IPackerDisp* GetPacker();
  host::IUnpackerDisp* GetUnpacker();
  host::IDataContainer* GetPersonalData();
  host::IDataContainer* GetTempData();
  IUnknown* GetEventSink() { return reinterpret_cast<IUnknown*>(&EventSink.Interface); }

  HWND NotifyWindow() const { return notifyWindow_; }
  LONG FunctionNo() const { return functionNo_; }
  host::IAppFrame* AppFrame() const { return appFrame_.Get(); }

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

  // Makes the window visible and brings it to the front.
  void Show();

  // Controls made from the layout, by name (0 when there is none).
  HWND Control(const std::wstring& name) const;
  // The click handler of a push button; it runs on a click and on Enter.
  void SetClickHandler(HWND button, std::function<void(HWND sender)> handler);
  // The control of this window that has (or last had) the focus, or 0.
  HWND ActiveControl() const;

  // Key preview: every key press of the window's controls arrives here first.
  void KeyDown(WORD key, unsigned shift);
  void NavigateFocus(bool forward, bool allControls);
  HWND FindNextInContainer(HWND container, HWND current, bool forward, bool tabStopsOnly,
                           bool directChildrenOnly) const;

  // The scrolling form: per bar (SB_HORZ, SB_VERT) a range, a position and a
  // line increment. A bar shows only when its range exceeds the client size.
  void SetScrollRange(int bar, int range);
  int ScrollRange(int bar) const { return Bar(bar).range; }
  void SetLineIncrement(int bar, int increment) { Bar(bar).increment = increment; }
  int LineIncrement(int bar) const { return Bar(bar).increment; }
  int ScrollPosition(int bar) const { return Bar(bar).position; }
  void SetScrollPosition(int bar, int position);

  // Subclasses the window's controls for key preview and so that containers
  // pass their controls' notifications on to the window. Idempotent.
  void AdoptControls();

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

  // The show handler: runs after the on-show focus step.
  virtual void FormShow() {}
  // The close handler: may choose an action, which the base then overrides.
  virtual void FormClose(TCloseAction& /*action*/) {}
  // Messages of the window; descendants call the base for what they leave.
  virtual LRESULT WindowProc(UINT message, WPARAM wParam, LPARAM lParam);

  const win32::FormLayout& Layout() const { return layout_; }
  HFONT Font() const { return font_.get(); }

 private:
  struct ScrollBarState {
    int range = 0;
    int position = 0;
    int increment = 8;
  };
  struct FontDeleter {
    void operator()(HFONT font) const { DeleteObject(font); }
  };

  static LRESULT CALLBACK StaticWindowProc(HWND, UINT, WPARAM, LPARAM);
  static LRESULT CALLBACK ControlProc(HWND, UINT, WPARAM, LPARAM, UINT_PTR, DWORD_PTR);
  friend struct SinkEntries;

  void FillEventSink();
  void ReleaseServices();
  void Close();
  void MouseWheel(short delta);
  void ScrollMessage(int bar, WORD request);
  void UpdateScrollBars();
  bool CanTakeFocus(HWND control) const;
  ScrollBarState& Bar(int bar) { return bar == SB_HORZ ? horz_ : vert_; }
  const ScrollBarState& Bar(int bar) const { return bar == SB_HORZ ? horz_ : vert_; }

  win32::FormLayout layout_;
  std::unique_ptr<std::remove_pointer_t<HFONT>, FontDeleter> font_;
  HWND hwnd_ = nullptr;
  std::shared_ptr<int> alive_ = std::make_shared<int>(0);
  std::unique_ptr<TBizFormBase> self_;
  std::map<std::wstring, HWND> controls_;
  std::map<HWND, std::function<void(HWND)>> clickHandlers_;
  HWND activeControl_ = nullptr;
  bool closing_ = false;
  ScrollBarState horz_, vert_;

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

// A plain form from the base layout, until the topology window replaces it.
class TPlainForm : public TBizFormBase {
 public:
  TPlainForm();
};

// The focus-navigation kinds of controls (by window class and style).
bool IsListLikeControl(HWND control);
bool IsContainerControl(HWND control);
bool IsPushButton(HWND control);

}  // namespace topo::plugin
