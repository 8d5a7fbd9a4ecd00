// The host form base against fake host objects: attaching, the service
// getters, the event sink's 13 entries, keyboard navigation, wheel scrolling
// and the close steps, on real windows.
#include <gtest/gtest.h>

#include <cstdio>
#include <memory>
#include <string>
#include <vector>

#include "FakeHost.h"
#include "bridge/BizForm.h"
#include "plugin/EntryPoints.h"
#include "win32/CheckedCall.h"

namespace topo::test {
namespace {

using bridge::TBizFormBase;
using plugin::Module;

constexpr const char* kLayout = R"(form TestForm
caption "test form"
position 5 5
client 400 300
control groupbox gb 10 10 200 120 tab=0
control edit e1 10 20 80 21 parent=gb tab=0
control edit e2 10 50 80 21 parent=gb tab=1
control edit e3 10 80 80 21 parent=gb tab=2
control button btnA 220 10 75 21 text="A" tab=1
control edit eOut 220 40 80 21 tab=2
control listbox lbList 220 70 100 60 tab=3
control label lbl 220 140 50 13 text="x"
control edit eLow 10 200 80 21 tab=4
)";

std::string Format(const char* format, long a, long b = 0, long c = 0) {
  char text[128];
  std::snprintf(text, sizeof text, format, a, b, c);
  return text;
}

class TestForm : public TBizFormBase {
 public:
  TestForm() : TBizFormBase(ui::ParseFormLayout(kLayout), Module()) {}
  std::vector<std::string> calls;
  std::function<void()> afterAttach;
  int attached = 0;
  int shows = 0;
  HWND focusAtShow = nullptr;
  // What a hook saw of the references of an interface it was passed.
  FakeDataContainer* watched = nullptr;

 protected:
  void AfterAttach() override {
    ++attached;
    if (afterAttach) afterAttach();
  }
  void DoSending(LONG a, LONG b, LONG c) override {
    calls.push_back(Format("Sending %ld %ld %ld", a, b, c));
  }
  void DoReceiving(LONG a, LONG b, LONG c) override {
    calls.push_back(Format("Receiving %ld %ld %ld", a, b, c));
  }
  void DoReply(LONG a, const VARIANT& v) override {
    calls.push_back(Format("Reply %ld vt %ld refs %ld", a, v.vt, watched ? watched->Refs() : -1));
  }
  void DoSubscribe(LONG a, LONG b, const VARIANT& v) override {
    calls.push_back(Format("Subscribe %ld %ld value %ld", a, b, v.vt == VT_I4 ? v.lVal : -1));
  }
  void DoPush(LONG a, LONG b, const VARIANT& v) override {
    calls.push_back(Format("Push %ld %ld vt %ld", a, b, v.vt) +
                    (v.vt == VT_BSTR ? " " + std::string(v.bstrVal, v.bstrVal + 1) : ""));
  }
  void DoError(LONG a, LONG b, const wchar_t* s) override {
    calls.push_back(Format("Error %ld %ld", a, b) + " " + std::string(s, s + lstrlenW(s)));
  }
  void FormShow() override {
    ++shows;
    focusAtShow = GetFocus();
  }
};

struct ShownError {
  HWND owner;
  std::wstring text;
};

class BizFormTest : public testing::Test {
 public:
  BizFormTest() : frame(*frame_) {}

 protected:
  // One visible host frame for the suite: making and destroying a shown
  // top-level window is slow under Wine.
  static void SetUpTestSuite() { frame_ = std::make_unique<TestWindow>(true, L"form host"); }
  static void TearDownTestSuite() { frame_.reset(); }
  void SetUp() override {
    CoInitialize(nullptr);
    Module().ResetForTest();
    oldDisplay_ = Module().SetErrorDisplay([this](HWND owner, const std::wstring& text) {
      errors.push_back({owner, text});
    });
    host.Offer(L"ARCom", &arCom);
    host.Offer(L"PersonalData", &personal);
    form = std::make_unique<TestForm>();
  }
  void TearDown() override {
    form.reset();
    PumpMessages();
    Module().SetErrorDisplay(oldDisplay_);
    Module().ResetForTest();
    CoUninitialize();
  }
  void Attach() { form->AttachToHost(3101, frame.Handle(), notify.Handle(), &host); }
  HWND C(const wchar_t* name) const { return form->Control(name); }
  int TopOf(HWND control) const {
    RECT r;
    GetWindowRect(control, &r);
    POINT p{r.left, r.top};
    ScreenToClient(form->Handle(), &p);
    return p.y;
  }
  host::IARComEvents* Events() {
    return reinterpret_cast<host::IARComEvents*>(form->GetEventSink());
  }

  // The fakes first: the form, declared last, goes first and releases them.
  FakeAppFrame host;
  FakeARCom arCom;
  FakeDataContainer personal;
  static std::unique_ptr<TestWindow> frame_;
  TestWindow& frame;
  TestWindow notify{false, L"notify"};
  std::vector<ShownError> errors;
  std::unique_ptr<TestForm> form;

 private:
  plugin::TModuleState::ErrorDisplay oldDisplay_;
};

std::unique_ptr<TestWindow> BizFormTest::frame_;

TEST_F(BizFormTest, AttachMakesAHiddenChildAndAdoptsTheTopWindow) {
  HWND inner = CreateWindowExW(0, L"STATIC", L"", WS_CHILD | WS_VISIBLE, 0, 0, 500, 400,
                               frame.Handle(), nullptr, nullptr, nullptr);
  form->AttachToHost(3101, inner, notify.Handle(), &host);
  struct Destroy {
    HWND w;
    ~Destroy() { DestroyWindow(w); }
  } destroyInner{inner};
  EXPECT_EQ(GetParent(form->Handle()), inner);
  EXPECT_TRUE(GetWindowLongW(form->Handle(), GWL_STYLE) & WS_CHILD);
  EXPECT_FALSE(IsWindowVisible(form->Handle()));
  EXPECT_EQ(Module().ApplicationWindow(), frame.Handle()) << "not the top-level ancestor";
  EXPECT_EQ(form->FunctionNo(), 3101);
  EXPECT_EQ(form->NotifyWindow(), notify.Handle());
  EXPECT_EQ(form->attached, 1);
  EXPECT_EQ(host.Refs(), 1);
}

TEST_F(BizFormTest, AttachKeepsAnApplicationWindowAlreadySet) {
  Module().AdoptApplicationWindow(notify.Handle());
  Attach();
  EXPECT_EQ(Module().ApplicationWindow(), notify.Handle());
}

TEST_F(BizFormTest, SecondAttachRepeatsEveryStepAndReleasesTheCaches) {
  Attach();
  ASSERT_EQ(form->GetARCom(), &arCom);
  ASSERT_EQ(form->GetPersonalData(), &personal);
  EXPECT_EQ(arCom.Refs(), 1);
  form->OnReply = nullptr;
  Attach();
  EXPECT_EQ(form->attached, 2);
  EXPECT_EQ(arCom.Refs(), 0) << "ARCom stayed cached across the attach";
  EXPECT_EQ(personal.Refs(), 0);
  EXPECT_TRUE(form->OnReply) << "the reply slot was not bound again";
  form.reset();
  EXPECT_EQ(host.Refs(), 0) << "the window did not release the host frame";
}

TEST_F(BizFormTest, SinkAnswersTheFirstSevenEntriesItself) {
  IUnknown* sink = form->GetEventSink();
  void* got = nullptr;
  EXPECT_EQ(sink->QueryInterface(host::IID_IARCom, &got), S_OK);
  EXPECT_EQ(got, sink);
  got = nullptr;
  EXPECT_EQ(sink->QueryInterface(IID_IDispatch, &got), S_OK);
  EXPECT_EQ(got, sink);
  for (int i = 0; i < 2; ++i) {
    EXPECT_EQ(sink->AddRef(), 2u);
    EXPECT_EQ(sink->Release(), 1u);
    EXPECT_EQ(sink->Release(), 1u) << "the sink counted down";
  }
  auto* dispatch = reinterpret_cast<IDispatch*>(sink);
  UINT count = 0;
  ITypeInfo* info = nullptr;
  LPOLESTR name = const_cast<LPOLESTR>(L"x");
  DISPID id = 0;
  DISPPARAMS params{};
  EXPECT_EQ(dispatch->GetTypeInfoCount(&count), E_NOTIMPL);
  EXPECT_EQ(dispatch->GetTypeInfo(0, 0, &info), E_NOTIMPL);
  EXPECT_EQ(dispatch->GetIDsOfNames(IID_NULL, &name, 1, 0, &id), E_NOTIMPL);
  EXPECT_EQ(dispatch->Invoke(0, IID_NULL, 0, DISPATCH_METHOD, &params, nullptr, nullptr, nullptr),
            static_cast<HRESULT>(0x80004001));
}

TEST_F(BizFormTest, SinkEventsReachTheHooksWithTheirArguments) {
  VARIANT none;
  VariantInit(&none);
  EXPECT_EQ(Events()->OnReply(1, none), S_OK) << "an empty slot must still answer S_OK";
  EXPECT_TRUE(form->calls.empty());

  Attach();
  VARIANT unknown;
  unknown.vt = VT_UNKNOWN;
  unknown.punkVal = &personal;
  form->watched = &personal;
  VARIANT number;
  number.vt = VT_I4;
  number.lVal = 10;
  VARIANT text;
  text.vt = VT_BSTR;
  text.bstrVal = SysAllocString(L"p");
  BSTR error = SysAllocString(L"bad");
  EXPECT_EQ(Events()->OnSending(1, 2, 3), S_OK);
  EXPECT_EQ(Events()->OnReceiving(4, 5, 6), S_OK);
  EXPECT_EQ(Events()->OnReply(7, unknown), S_OK);
  EXPECT_EQ(Events()->OnSubscribe(8, 9, number), S_OK);
  EXPECT_EQ(Events()->OnPush(11, 12, text), S_OK);
  EXPECT_EQ(Events()->OnError(13, 14, error), S_OK);
  const std::vector<std::string> expected = {"Sending 1 2 3",        "Receiving 4 5 6",
                                             "Reply 7 vt 13 refs 1", "Subscribe 8 9 value 10",
                                             "Push 11 12 vt 8 p",    "Error 13 14 bad"};
  EXPECT_EQ(form->calls, expected);
  EXPECT_EQ(personal.Refs(), 0) << "the reference held during the call was not given back";
  VariantClear(&text);
  SysFreeString(error);
}

TEST_F(BizFormTest, SinkHandlerFailureStaysInsideTheSink) {
  Attach();
  form->OnSending = [](LONG, LONG, LONG) { throw std::runtime_error("handler failed"); };
  EXPECT_EQ(Events()->OnSending(1, 2, 3), S_OK);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_EQ(errors[0].text, L"handler failed");
  EXPECT_EQ(errors[0].owner, frame.Handle());
  form->OnSending = nullptr;
  EXPECT_EQ(Events()->OnSending(1, 2, 3), S_OK);
  EXPECT_TRUE(form->calls.empty()) << "a cleared slot still reached the hook";
}

TEST_F(BizFormTest, GetARComIsNullWithoutTheServiceAndAsksAgainLater) {
  host.Withdraw(L"ARCom");
  Attach();
  EXPECT_EQ(form->GetARCom(), nullptr);
  EXPECT_EQ(form->GetARCom(), nullptr);
  EXPECT_EQ(host.asked.size(), 2u) << "a missing ARCom was cached";
  arCom.SetAnswersQuery(false);
  host.Offer(L"ARCom", &arCom);
  EXPECT_EQ(form->GetARCom(), nullptr) << "an object without IARCom was accepted";
  EXPECT_EQ(arCom.Refs(), 0);
  arCom.SetAnswersQuery(true);
  host.failWith = E_FAIL;
  EXPECT_EQ(form->GetARCom(), nullptr);
  host.failWith = S_OK;
  EXPECT_EQ(form->GetARCom(), &arCom);
  const size_t asked = host.asked.size();
  EXPECT_EQ(form->GetARCom(), &arCom);
  EXPECT_EQ(host.asked.size(), asked) << "a found ARCom was not cached";
}

TEST_F(BizFormTest, FailingGetServiceDuringAttachReachesTheCallerAndIsRetried) {
  form->afterAttach = [this] { form->GetPersonalData(); };
  host.failWith = E_FAIL;
  try {
    Attach();
    ADD_FAILURE() << "the failing host call did not raise";
  } catch (const win32::EHostCallError& e) {
    EXPECT_STREQ(e.Operation(), "GetService(PersonalData)");
    EXPECT_EQ(e.Result(), E_FAIL);
  }
  EXPECT_FALSE(plugin::RunGuarded([this] { Attach(); }));
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].text.find(L"GetService(PersonalData) failed"), std::wstring::npos)
      << "got \"" << std::string(errors[0].text.begin(), errors[0].text.end()) << "\"";
  EXPECT_EQ(errors[0].owner, frame.Handle());
  host.failWith = S_OK;
  EXPECT_EQ(form->GetPersonalData(), &personal) << "the failure was cached";
}

TEST_F(BizFormTest, GuardedEntryReportsAMissingLayoutAndCreatesNothing) {
  Attach();                 // the application window
  FakeMemConfig memConfig;  // what the topology window reads when it attaches
  host.Offer(L"MemConfig", &memConfig);
  Module().Init("topo_testres_nolayout.dll");
  const int before = CountThreadWindows();
  EXPECT_EQ(plugin::GuardedEntry(Module(), 3101, frame.Handle(), notify.Handle(), &host, 0),
            nullptr);
  EXPECT_EQ(CountThreadWindows(), before);
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].text.find(L"TMAINFORM"), std::wstring::npos);
  Module().Uninit();
  Module().Init("topo_testres.dll");
  HWND made = plugin::GuardedEntry(Module(), 3101, frame.Handle(), notify.Handle(), &host, 0);
  ASSERT_NE(made, nullptr) << (errors.size() > 1
                                   ? std::string(errors[1].text.begin(), errors[1].text.end())
                                   : "");
  EXPECT_EQ(Module().TopologyWindow()->Handle(), made);
  DestroyWindow(made);
  EXPECT_EQ(Module().TopologyWindow(), nullptr) << "the destroyed window is still offered";
  Module().Uninit();
}

TEST_F(BizFormTest, ShowFocusesTheFirstControlBeforeTheShowHandler) {
  Attach();
  form->Show();
  EXPECT_EQ(form->shows, 1);
  EXPECT_EQ(form->focusAtShow, C(L"e1"));
  EXPECT_EQ(GetFocus(), C(L"e1"));
}

TEST_F(BizFormTest, TabCyclesInsideAGroupBox) {
  Attach();
  form->Show();
  SetFocus(C(L"e3"));
  SendMessageW(C(L"e3"), WM_KEYDOWN, VK_TAB, 0);  // through the key preview
  EXPECT_EQ(GetFocus(), C(L"e1")) << "Tab from the last control left the group box";
  form->KeyDown(VK_TAB, ui::ssShift);
  EXPECT_EQ(GetFocus(), C(L"e3")) << "Shift+Tab from the first control";
  form->KeyDown(VK_UP, ui::ssNone);
  EXPECT_EQ(GetFocus(), C(L"e2"));
  form->KeyDown(VK_TAB, ui::ssCtrl);
  EXPECT_EQ(GetFocus(), C(L"e2")) << "Ctrl+Tab is not navigation";
  SetFocus(C(L"eLow"));
  form->KeyDown(VK_TAB, ui::ssNone);
  EXPECT_EQ(GetFocus(), C(L"btnA")) << "Tab from the window's last control wraps to its first";
}

TEST_F(BizFormTest, EnterOnAButtonRunsOnlyItsHandlerAndOnAnEditMovesOn) {
  Attach();
  form->Show();
  int clicks = 0;
  HWND sender = nullptr;
  form->SetClickHandler(C(L"btnA"), [&](HWND s) {
    ++clicks;
    sender = s;
  });
  SetFocus(C(L"btnA"));
  SendMessageW(C(L"btnA"), WM_KEYDOWN, VK_RETURN, 0);
  PumpMessages();
  EXPECT_EQ(clicks, 1);
  EXPECT_EQ(sender, C(L"btnA"));
  EXPECT_EQ(GetFocus(), C(L"btnA")) << "Enter on a button moved the focus";
  SendMessageW(C(L"btnA"), BM_CLICK, 0, 0);
  EXPECT_EQ(clicks, 2) << "a real click does not reach the handler";

  SetFocus(C(L"eOut"));
  SendMessageW(C(L"eOut"), WM_KEYDOWN, VK_RETURN, 0);
  EXPECT_EQ(GetFocus(), C(L"lbList"));
  EXPECT_EQ(clicks, 2);
}

TEST_F(BizFormTest, ArrowsStayInAListBoxButTabLeaves) {
  Attach();
  form->Show();
  SendMessageW(C(L"lbList"), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"one"));
  SendMessageW(C(L"lbList"), LB_ADDSTRING, 0, reinterpret_cast<LPARAM>(L"two"));
  SetFocus(C(L"lbList"));
  SendMessageW(C(L"lbList"), WM_KEYDOWN, VK_DOWN, 0);
  EXPECT_EQ(GetFocus(), C(L"lbList"));
  SendMessageW(C(L"lbList"), WM_KEYDOWN, VK_UP, 0);
  EXPECT_EQ(GetFocus(), C(L"lbList"));
  SendMessageW(C(L"lbList"), WM_KEYDOWN, VK_TAB, 0);
  EXPECT_EQ(GetFocus(), C(L"eLow"));
}

TEST_F(BizFormTest, WheelMovesWholeNotchesOfLineIncrements) {
  Attach();
  form->Show();
  form->SetScrollRange(SB_VERT, 1000);
  const int top = TopOf(C(L"eLow"));
  const int line = form->LineIncrement(SB_VERT);
  SendMessageW(form->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, 60), 0);
  EXPECT_EQ(form->ScrollPosition(SB_VERT), 0) << "half a notch moved the bar";
  SendMessageW(form->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-240)), 0);
  EXPECT_EQ(form->ScrollPosition(SB_VERT), 2 * line);
  EXPECT_EQ(TopOf(C(L"eLow")), top - 2 * line) << "the controls did not scroll";
  SendMessageW(form->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, 120), 0);
  EXPECT_EQ(form->ScrollPosition(SB_VERT), line);
  SendMessageW(form->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, 0x7FFF), 0);
  EXPECT_EQ(form->ScrollPosition(SB_VERT), 0) << "scrolled before the start";

  form->SetScrollRange(SB_VERT, 0);
  form->SetScrollRange(SB_HORZ, 2000);
  SendMessageW(form->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-120)), 0);
  EXPECT_EQ(form->ScrollPosition(SB_HORZ), line)
      << "the horizontal bar is used when only it is needed";
  EXPECT_EQ(form->ScrollPosition(SB_VERT), 0);

  form->SetScrollRange(SB_HORZ, 100);
  const int fitted = form->ScrollPosition(SB_HORZ);
  SendMessageW(form->Handle(), WM_MOUSEWHEEL, MAKEWPARAM(0, static_cast<WORD>(-120)), 0);
  EXPECT_EQ(form->ScrollPosition(SB_HORZ), fitted) << "content that fits still scrolled";
}

TEST_F(BizFormTest, CloseRemovesTheSinkDropsTheChildStyleAndNotifiesOnce) {
  Attach();
  HWND w = form->Handle();
  notify.watchOnClose = w;
  arCom.watchedWindow = w;
  SendMessageW(w, WM_CLOSE, 0, 0);
  SendMessageW(w, WM_CLOSE, 0, 0);
  PumpMessages();
  EXPECT_EQ(notify.closeMessages, 1);
  ASSERT_EQ(arCom.removedSinks.size(), 1u);
  EXPECT_EQ(arCom.removedSinks[0], form->GetEventSink());
  EXPECT_TRUE(arCom.styleAtRemove & WS_CHILD) << "the style changed before the sink was removed";
  EXPECT_TRUE(notify.watchedAlive) << "the window was gone before the host was told";
  EXPECT_FALSE(notify.watchedStyle & WS_CHILD) << "style " << std::hex << notify.watchedStyle;
  EXPECT_FALSE(IsWindow(w)) << "the closed window was not freed";
  EXPECT_TRUE(form->Liveness().expired());
}

TEST_F(BizFormTest, CloseWithoutARComStillNotifies) {
  host.Withdraw(L"ARCom");
  Attach();
  HWND w = form->Handle();
  SendMessageW(w, WM_CLOSE, 0, 0);
  PumpMessages();
  EXPECT_EQ(notify.closeMessages, 1);
  EXPECT_FALSE(IsWindow(w));
}

TEST_F(BizFormTest, FailingSinkRemovalFreesTheWindowWithoutNotifying) {
  arCom.removeResult = E_FAIL;
  Attach();
  HWND w = form->Handle();
  SendMessageW(w, WM_CLOSE, 0, 0);
  EXPECT_TRUE(GetWindowLongW(w, GWL_STYLE) & WS_CHILD) << "the style changed after the failure";
  PumpMessages();
  EXPECT_EQ(notify.closeMessages, 0);
  EXPECT_FALSE(IsWindow(w)) << "the close action was not free";
  ASSERT_EQ(errors.size(), 1u);
  EXPECT_NE(errors[0].text.find(L"RemoveEventSink"), std::wstring::npos);
}

}  // namespace
}  // namespace topo::test
