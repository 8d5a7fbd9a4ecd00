// The topology window against fake host objects: the refresh request call by
// call, the three settings, the resize rule, the pinned toolbar, the alarms
// and their precedence, and windows that each own their status dialog.
#include <gtest/gtest.h>
#include <windows.h>

#include <memory>
#include <string>
#include <vector>

#include "MainFormFixture.h"
#include "plugin/EntryPoints.h"
#include "win32/Variant.h"
#include "window/MainForm.h"

namespace topo::test {
namespace {

using plugin::Module;
using window::TMainForm;

constexpr wchar_t kUp[] = L"1,0,0,0,0,0,0,0,0,0";
constexpr wchar_t kDown[] = L"0,0,0,0,0,0,0,0,0,0";

class MainFormTest : public MainFormFixture {
 protected:
  void SetUp() override {
    MainFormFixture::SetUp();
    Network(kUp);
  }
  // The network the next refresh reports: R0 with R1 under it, whose state
  // decides whether the link between them is drawn inactive.
  void Network(const wchar_t* r1) {
    Report({{L"R0", kUp, L"", L"R1", L"", L""}, {L"R1", r1, L"R0", L"", L"", L""}});
  }
  static bool Visible(TMainForm& f, const wchar_t* image) { return f.Image(image)->Visible(); }
  static POINT At(TMainForm& f, const wchar_t* image) {
    const RECT& r = f.Image(image)->Bounds();
    return {r.left, r.top};
  }
  static void Paint(TMainForm& f) { UpdateWindow(f.Handle()); }
};

TEST_F(MainFormTest, RefreshSendsOneFieldUnderTheTopologyFunctionAndMergesTheAnswer) {
  TMainForm& f = Open();
  const std::vector<std::string> expected = {
      "SetFunction 26115 null", "SetRequestMode 2", "BeginPack",  "AddField i",
      "AddValue i4:0",          "EndPack",          "GetPacket",  "SendPacket bstr:packet 2000",
      "ReceiveAnswer 1 2000",   "GetErrorNo",       "Open vt8209"};
  ASSERT_GE(log.calls.size(), expected.size());
  for (size_t i = 0; i < expected.size(); ++i) {
    // The answer's description depends on the fake; the call and its time-out do not.
    if (expected[i].rfind("Open", 0) == 0 || expected[i].rfind("ReceiveAnswer", 0) == 0) {
      EXPECT_EQ(expected[i].substr(0, expected[i].find(' ')),
                log.calls[i].substr(0, log.calls[i].find(' ')));
      if (expected[i][0] == 'R') {
        EXPECT_EQ(" 2000", log.calls[i].substr(log.calls[i].rfind(' ')));
      }
    } else {
      EXPECT_EQ(expected[i], log.calls[i]) << "call " << i;
    }
  }
  for (const std::string& call : log.calls)
    EXPECT_NE(0u, call.rfind("SetDestination", 0)) << "the refresh named a destination";
  ASSERT_EQ(2, f.Model().Count());
  EXPECT_EQ(1, f.Model().Items(f.Model().IndexOf("R1")).ParentARs.Count());
  EXPECT_FALSE(Visible(f, L"ImgError"));
  EXPECT_TRUE(errors.empty());
}

TEST_F(MainFormTest, SettingsAreReadClampedAndWrittenBackAsSmallIntegers) {
  struct Case {
    std::vector<std::pair<const wchar_t*, LONG>> stored;
    int seconds, width, height;
  } cases[] = {
      {{}, 5, 800, 600},
      {{{L"ScrollWidth", 3000}, {L"TimerInterval", 0}}, 1, 2000, 600},
      {{{L"TimerInterval", 30}, {L"ScrollHeight", 700}}, 30, 800, 700},
      {{{L"TimerInterval", -1}}, 1, 800, 600},
  };
  for (const Case& c : cases) {
    FakeDataContainer fresh;
    frame.Offer(L"PersonalData", &fresh);
    for (auto [key, value] : c.stored) Put(fresh, key, win32::Variant::Int32(value));
    TMainForm& f = Open();
    SCOPED_TRACE(c.seconds);
    EXPECT_EQ(c.seconds, f.UpDownPosition(L"udTimer"));
    EXPECT_EQ(static_cast<UINT>(c.seconds) * 1000u, f.TimerInterval());
    EXPECT_TRUE(f.TimerEnabled());
    EXPECT_EQ(c.width, f.ScrollRange(SB_HORZ));
    EXPECT_EQ(c.height, f.ScrollRange(SB_VERT));
    DestroyWindow(f.Handle());
    const std::pair<const wchar_t*, int> back[] = {
        {L"TimerInterval", c.seconds}, {L"ScrollWidth", c.width}, {L"ScrollHeight", c.height}};
    for (auto [key, value] : back) {
      win32::Variant v = Stored(fresh, key);
      EXPECT_EQ(VT_I2, v.Type()) << key;
      EXPECT_EQ(value, v.Get().iVal) << key;
    }
  }
  // A stored text that is no number counts as nothing stored.
  FakeDataContainer texts;
  frame.Offer(L"PersonalData", &texts);
  Put(texts, L"TimerInterval", win32::Variant::String(L"abc"));
  TMainForm& f = Open();
  EXPECT_EQ(5, f.UpDownPosition(L"udTimer"));
  DestroyWindow(f.Handle());
  EXPECT_TRUE(errors.empty());
}

TEST_F(MainFormTest, AWindowThatFailedToAttachLeavesTheSettingsAlone) {
  Put(personal, L"TimerInterval", win32::Variant::Int32(30));
  frame.Withdraw(L"MemConfig");
  TMainForm* form = bridge::TBizFormBase::GiveToWindow(std::make_unique<TMainForm>(Module()));
  EXPECT_THROW(form->AttachToHost(3101, session.Host(), nullptr, &frame), std::exception);
  DestroyWindow(form->Handle());
  win32::Variant kept = Stored(personal, L"TimerInterval");
  EXPECT_EQ(VT_I4, kept.Type()) << "the defaults were written over the operator's settings";
  EXPECT_EQ(30, kept.Get().lVal);
  EXPECT_TRUE(errors.empty()) << "closing the half-made window reported a failure";
}

TEST_F(MainFormTest, ResizingRaisesTheDiagramSizeAndNeverLowersIt) {
  TMainForm& f = Open();
  auto clientWidth = [&](int width) {
    RECT outer, client;
    GetWindowRect(f.Handle(), &outer);
    GetClientRect(f.Handle(), &client);
    const int frameWidth = (outer.right - outer.left) - client.right;
    SetWindowPos(f.Handle(), nullptr, 0, 0, width + frameWidth, 480, SWP_NOMOVE | SWP_NOZORDER);
    GetClientRect(f.Handle(), &client);
    return static_cast<int>(client.right);
  };
  const int wide = clientWidth(1200);
  EXPECT_EQ(wide, f.UpDownPosition(L"udWidth"));
  EXPECT_EQ(wide, f.ScrollRange(SB_HORZ));
  clientWidth(900);
  EXPECT_EQ(wide, f.UpDownPosition(L"udWidth")) << "narrowing lowered the width setting";
}

TEST_F(MainFormTest, ToolbarStaysAtTheTopWhileTheDiagramScrolls) {
  TMainForm& f = Open();
  f.SetScrollRange(SB_VERT, 2000);
  f.SetScrollPosition(SB_VERT, 150);
  Paint(f);
  RECT r;
  GetWindowRect(f.Control(L"btnRefresh"), &r);
  MapWindowPoints(nullptr, f.Handle(), reinterpret_cast<POINT*>(&r), 2);
  EXPECT_EQ(247, r.left);
  EXPECT_EQ(8, r.top) << "the toolbar scrolled away";
  // An alarm is placed in the visible part and then belongs to the diagram:
  // its place is in diagram coordinates, so it scrolls with the diagram.
  log.failOn = "SendPacket";
  f.RefreshStatus();
  RECT client;
  GetClientRect(f.Handle(), &client);
  const LONG top = At(f, L"ImgError").y - 150;
  EXPECT_TRUE(top >= 0 && top + 65 <= client.bottom) << "placed at " << top << " in the client";
}

TEST_F(MainFormTest, AlarmsFollowFailuresTicksAndTheLinkSwitch) {
  TMainForm& f = Open();
  Paint(f);
  enum Action { Tick, Button, LinesOff, LinesOn };
  enum Net { Up, Down, ErrorNo, CallFails };
  struct Step {
    Action action;
    Net net;
    bool error, warn;
  } steps[] = {
      {Tick, Up, false, false},     {Tick, Down, false, false},  // the paint after it sees the link
      {Tick, Down, false, true},    {Tick, ErrorNo, true, false}, {Tick, CallFails, true, false},
      {Button, Down, false, false},  // the button never touches the warning
      {Tick, Down, false, true},    {Button, Up, false, true},    {LinesOff, Down, false, true},
      {Tick, Down, false, false},   {Tick, Down, false, false},   {LinesOn, Down, false, false},
      {Tick, Down, false, true},
  };
  POINT lastError{-1, -1};
  int step = 0;
  for (const Step& s : steps) {
    SCOPED_TRACE(step++);
    Network(s.net == Up ? kUp : kDown);
    arCom.errorNo = s.net == ErrorNo ? 7 : 0;
    log.failOn = s.net == CallFails ? "ReceiveAnswer" : "";
    HWND lines = f.Control(L"cbDisplayLine");
    switch (s.action) {
      case Tick:
        f.TimerTimer();
        break;
      case Button:
        f.btnRefreshClick();
        break;
      case LinesOff:
      case LinesOn:
        SendMessageW(lines, BM_SETCHECK, s.action == LinesOn ? BST_CHECKED : BST_UNCHECKED, 0);
        f.cbDisplayLineClick();
        break;
    }
    Paint(f);
    EXPECT_EQ(s.error, Visible(f, L"ImgError"));
    EXPECT_EQ(s.warn, Visible(f, L"imgWarn"));
    if (s.error) {
      POINT at = At(f, L"ImgError");
      EXPECT_FALSE(at.x == lastError.x && at.y == lastError.y) << "the error picture stayed put";
      RECT client;
      GetClientRect(f.Handle(), &client);
      EXPECT_TRUE(at.x >= 0 && at.y >= 0 && at.x + 105 <= client.right &&
                  at.y + 65 <= client.bottom);
      lastError = at;
    }
  }
  EXPECT_TRUE(errors.empty()) << "a failed refresh showed a box";
}

TEST_F(MainFormTest, EachWindowHasItsOwnStatusDialogAndClosesInEitherOrder) {
  for (bool firstFirst : {true, false}) {
    TMainForm& a = Open();
    TMainForm& b = Open();
    EXPECT_NE(&a.StatusDialog(), &b.StatusDialog());
    HWND first = firstFirst ? a.Handle() : b.Handle();
    HWND second = firstFirst ? b.Handle() : a.Handle();
    DestroyWindow(first);
    PumpMessages();
    EXPECT_TRUE(IsWindow(second));
    DestroyWindow(second);
    PumpMessages();
  }
}

}  // namespace
}  // namespace topo::test
