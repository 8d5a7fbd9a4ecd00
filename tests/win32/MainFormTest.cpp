// The topology window against fake host objects: the refresh request call by
// call, the three settings, the resize rule, the pinned toolbar, the alarms
// and their precedence with the sounds they play, windows that each own
// their status dialog, and what helps the operator through an outage:
// acknowledged alarms, mute, the event history window and the box details.
#include <gtest/gtest.h>
#include <windows.h>
// after windows.h
#include <commctrl.h>

#include <memory>
#include <string>
#include <vector>

#include "MainFormFixture.h"
#include "plugin/EntryPoints.h"
#include "win32/Cp936.h"
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
    oldSounds_ = Module().SetSoundPlayer([this](const void* wave) { sounds += wave != nullptr; });
    Network(kUp);
  }
  void TearDown() override {
    Module().SetSoundPlayer(oldSounds_);
    MainFormFixture::TearDown();
  }
  // The network the next refresh reports: R0 with R1 under it, whose state
  // decides whether the link between them is drawn inactive; with r2 a second
  // child R2, with s1 a server S1 under R1 in that state ("1" up, "0" down).
  void Network(const wchar_t* r1, const wchar_t* r2 = nullptr, const wchar_t* s1 = nullptr) {
    std::vector<std::vector<std::wstring>> rows = {
        {L"R0", kUp, L"", r2 ? L"R1,R2" : L"R1", L"", L""},
        {L"R1", r1, L"R0", L"", s1 ? L"S1" : L"", s1 ? s1 : L""}};
    if (r2) rows.push_back({L"R2", r2, L"R0", L"", L"", L""});
    Report(rows);
  }
  // The host's login data, which commands need.
  void OfferLogin() {
    Put(login, L"AdminAR", win32::Variant::String(L"R0"));
    Put(login, L"AdminAS", win32::Variant::String(L"ADM"));
    Put(login, L"LoginName", win32::Variant::String(L"op"));
  }
  static RECT BoxOnScreen(TMainForm& f, const TRect& r) {
    RECT box{r.Left - f.ScrollPosition(SB_HORZ), r.Top - f.ScrollPosition(SB_VERT),
             r.Right - f.ScrollPosition(SB_HORZ), r.Bottom - f.ScrollPosition(SB_VERT)};
    MapWindowPoints(f.Handle(), nullptr, reinterpret_cast<POINT*>(&box), 2);
    return box;
  }
  static void Mouse(TMainForm& f, UINT message, POINT at) {
    SendMessageW(f.Handle(), message, message == WM_MOUSEMOVE ? 0 : MK_LBUTTON,
                 MAKELPARAM(at.x, at.y));
  }
  static bool Visible(TMainForm& f, const wchar_t* image) { return f.Image(image)->Visible(); }
  static POINT At(TMainForm& f, const wchar_t* image) {
    const RECT& r = f.Image(image)->Bounds();
    return {r.left, r.top};
  }
  static void Paint(TMainForm& f) { UpdateWindow(f.Handle()); }

  int sounds = 0;  // sounds played (a stop is not counted)

 private:
  plugin::TModuleState::SoundPlayer oldSounds_;
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
    const int soundsBefore = sounds;
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
    // Nothing acknowledged, mute off: every failed refresh sounds, and every
    // tick that shows the warning.
    EXPECT_EQ(s.error || (s.action == Tick && s.warn) ? 1 : 0, sounds - soundsBefore);
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

TEST_F(MainFormTest, AnAcknowledgedAlarmSoundsAgainOnlyWhenItsConditionChanges) {
  Network(kUp, kUp);
  TMainForm& f = Open();
  Paint(f);
  enum Action { Tick, Key, ClickWarn, ClickError, Mute };
  struct Step {
    const char* what;
    Action action;
    const wchar_t *r1, *r2;
    bool fails;
    bool error, warn, marked;
    int sounds;
  } steps[] = {
      {"R1 goes down: the paint after it sees the link", Tick, kDown, kUp, false, false, false,
       false, 0},
      {"the warning sounds", Tick, kDown, kUp, false, false, true, false, 1},
      {"... on every tick", Tick, kDown, kUp, false, false, true, false, 1},
      {"F8 acknowledges it", Key, kDown, kUp, false, false, true, true, 0},
      {"the same link stays down: silent", Tick, kDown, kUp, false, false, true, true, 0},
      {"a link that was up goes down", Tick, kDown, kDown, false, false, true, false, 1},
      {"a click on the picture acknowledges it", ClickWarn, kDown, kDown, false, false, true, true,
       0},
      {"R2 mends", Tick, kDown, kUp, false, false, true, true, 0},
      {"... and breaks again: a change", Tick, kDown, kDown, false, false, true, false, 1},
      {"F8 again", Key, kDown, kDown, false, false, true, true, 0},
      {"the network fails", Tick, kDown, kDown, true, true, false, false, 1},
      {"a click on the error picture", ClickError, kDown, kDown, true, true, false, true, 0},
      {"still failing: silent", Tick, kDown, kDown, true, true, false, true, 0},
      {"the network answers: the warning is as acknowledged", Tick, kDown, kDown, false, false,
       true, true, 0},
      {"and fails again: a new outage", Tick, kDown, kDown, true, true, false, false, 1},
      {"mute silences it, the picture stays", Mute, kDown, kDown, true, true, false, false, 0},
  };
  POINT lastError{-1, -1};
  for (const Step& s : steps) {
    SCOPED_TRACE(s.what);
    Network(s.r1, s.r2);
    arCom.errorNo = s.fails ? 7 : 0;
    const int before = sounds;
    const auto click = [&f](const wchar_t* image) {
      const POINT at = At(f, image);
      const POINT client{at.x - f.ScrollPosition(SB_HORZ) + 10,
                         at.y - f.ScrollPosition(SB_VERT) + 10};
      Mouse(f, WM_LBUTTONDOWN, client);
      Mouse(f, WM_LBUTTONUP, client);
    };
    switch (s.action) {
      case Tick:
        f.TimerTimer();
        break;
      case Key:
        SendMessageW(f.Handle(), WM_KEYDOWN, TMainForm::kAcknowledgeKey, 0);
        break;
      case ClickWarn:
        click(L"imgWarn");
        break;
      case ClickError:
        click(L"ImgError");
        break;
      case Mute:
        SendMessageW(f.Control(L"cbMute"), BM_CLICK, 0, 0);
        f.TimerTimer();
        break;
    }
    Paint(f);
    EXPECT_EQ(s.error, Visible(f, L"ImgError"));
    EXPECT_EQ(s.warn, Visible(f, L"imgWarn"));
    const wchar_t* shown = s.error ? L"ImgError" : L"imgWarn";
    if (s.error || s.warn) {
      EXPECT_EQ(s.marked, f.Image(shown)->Marked());
    }
    EXPECT_EQ(s.sounds, sounds - before);
    // An acknowledged outage keeps its picture where it was clicked.
    const POINT at = At(f, L"ImgError");
    if (s.error && s.marked) {
      EXPECT_TRUE(at.x == lastError.x && at.y == lastError.y);
    }
    lastError = at;
  }
  win32::Variant stored = Stored(personal, L"AlarmMute");
  EXPECT_EQ(VT_I2, stored.Type());
  EXPECT_EQ(1, stored.Get().iVal);
  EXPECT_TRUE(errors.empty());
}

TEST_F(MainFormTest, MuteIsKeptPerUserAndReadBack) {
  const struct {
    const char* what;
    const wchar_t* text;  // stored as a text, else as the number (none when negative)
    SHORT number;
    bool muted;
  } cases[] = {
      {"never set", nullptr, -1, false},
      {"set", nullptr, 1, true},
      {"cleared", nullptr, 0, false},
      {"no integer counts as none", L"on", 0, false},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.what);
    FakeDataContainer fresh;
    frame.Offer(L"PersonalData", &fresh);
    if (c.text)
      Put(fresh, L"AlarmMute", win32::Variant::String(c.text));
    else if (c.number >= 0)
      Put(fresh, L"AlarmMute", win32::Variant::Int16(c.number));
    TMainForm& f = Open();
    EXPECT_EQ(c.muted, f.Alarms().Muted);
    EXPECT_EQ(c.muted ? BST_CHECKED : BST_UNCHECKED,
              SendMessageW(f.Control(L"cbMute"), BM_GETCHECK, 0, 0));
    // The switch turned over is what the next window reads.
    SendMessageW(f.Control(L"cbMute"), BM_CLICK, 0, 0);
    DestroyWindow(f.Handle());
    TMainForm& again = Open();
    EXPECT_EQ(!c.muted, again.Alarms().Muted);
    DestroyWindow(again.Handle());
  }
  EXPECT_TRUE(errors.empty());
}

TEST_F(MainFormTest, TheHistoryWindowListsAScriptedOutageNewestFirstAndFilters) {
  OfferLogin();
  Network(kUp, nullptr, L"1");
  TMainForm& f = Open();
  // The outage: R1 goes down, the network fails twice, answers with R1 back;
  // then the operator stops S1's instance 0, and once more (refused).
  const struct {
    const wchar_t* r1;
    LONG errorNo;
  } ticks[] = {{kDown, 0}, {kDown, 7}, {kDown, 7}, {kUp, 0}};
  for (const auto& t : ticks) {
    Network(t.r1, nullptr, L"1");
    arCom.errorNo = t.errorNo;
    f.TimerTimer();
  }
  f.StopServer(1, "S1", 0);
  unpacker.returnCodes = {5};
  unpacker.table.fields = {L"error_info"};
  unpacker.table.rows.clear();
  unpacker.table.rows.emplace_back();
  unpacker.table.rows.back().push_back(win32::Variant::String(L"refused"));
  f.StopServer(1, "S1", 0);
  ASSERT_EQ(1u, errors.size()) << "the refusal was not shown";

  BYTE keys[256];
  GetKeyboardState(keys);
  keys[VK_CONTROL] = 0x80;
  SetKeyboardState(keys);
  SendMessageW(f.Handle(), WM_KEYDOWN, TMainForm::kHistoryKey, 0);
  keys[VK_CONTROL] = 0;
  SetKeyboardState(keys);
  window::THistoryForm* history = f.HistoryWindow();
  ASSERT_NE(nullptr, history) << "Ctrl+H opened nothing";
  EXPECT_TRUE(IsWindowVisible(history->Handle()));
  EXPECT_EQ(GetAncestor(f.Handle(), GA_ROOT), GetWindow(history->Handle(), GW_OWNER));

  using Rows = std::vector<std::vector<std::wstring>>;
  const auto shown = [history] {
    Rows rows;
    ui::StringGrid& grid = history->Grid();
    for (int r = 1; r < grid.RowCount(); ++r) {
      // The time first, as the file writes it.
      const std::string time = win32::Cp936FromWide(grid.Cell(0, r));
      if (!time.empty()) {
        EXPECT_TRUE(ParseTime(time)) << time;
      }
      rows.push_back({grid.Cell(1, r), grid.Cell(2, r), grid.Cell(3, r)});
    }
    return rows;
  };
  const std::wstring stop = L"\x505C\x6B62", arS1 =
                                                 L"\x6240\x5C5E"
                                                 L"AR: R1; ";
  const std::wstring operatorOp = L"; \x64CD\x4F5C\x5458: op";
  const Rows all = {
      {stop, L"S1", arS1 + L"\x5B9E\x4F8B: 0; \x5E94\x7B54: refused" + operatorOp},
      {stop, L"S1", arS1 + L"\x5B9E\x4F8B: 0; \x5E94\x7B54: \x6210\x529F" + operatorOp},
      {L"\x8282\x70B9\x6062\x590D", L"R1", L"\x542F\x52A8: 0"},
      {L"\x5237\x65B0\x6062\x590D", L"", L"\x5931\x8D25\x6B21\x6570: 2"},
      {L"\x5237\x65B0\x5931\x8D25", L"", L""},
      {L"\x8282\x70B9\x505C\x6B62", L"R1", L"\x505C\x6B62: 0"},
  };
  EXPECT_EQ(all, shown());

  HWND node = history->Control(L"edNode"), kind = history->Control(L"cmbKind");
  SetWindowTextW(node, L"S1");
  EXPECT_EQ(Rows(all.begin(), all.begin() + 2), shown());
  SetWindowTextW(node, L"");
  SendMessageW(kind, CB_SETCURSEL, 1 + static_cast<int>(TEventKind::NodeUp), 0);
  SendMessageW(history->Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(kind), CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(kind));
  EXPECT_EQ(Rows{all[2]}, shown());
  SendMessageW(kind, CB_SETCURSEL, 0, 0);
  SendMessageW(history->Handle(), WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(kind), CBN_SELCHANGE),
               reinterpret_cast<LPARAM>(kind));
  // Only the selected box: a click on R1's box selects it (no alarm picture
  // in the way).
  SendMessageW(history->Control(L"cbSelected"), BM_CLICK, 0, 0);
  f.ShowImage(L"ImgError", false);
  f.ShowImage(L"imgWarn", false);
  const TRect& r1 = f.Model().Items(f.Model().IndexOf("R1")).Rect;
  const POINT inR1{(r1.Left + r1.Right) / 2 - f.ScrollPosition(SB_HORZ),
                   (r1.Top + r1.Bottom) / 2 - f.ScrollPosition(SB_VERT)};
  Mouse(f, WM_LBUTTONDOWN, inR1);
  Mouse(f, WM_LBUTTONUP, inR1);
  EXPECT_EQ((Rows{all[2], all[5]}), shown());

  // It belongs to its topology window and closes with it.
  const HWND historyWindow = history->Handle();
  DestroyWindow(f.Handle());
  EXPECT_FALSE(IsWindow(historyWindow));
}

TEST_F(MainFormTest, TheTooltipOfAServerWithADownLinkFollowsItsDragBesideIt) {
  Network(kUp, nullptr, L"1");
  TMainForm& f = Open();
  Network(kUp, nullptr, L"0");
  f.TimerTimer();
  TARNode& r1 = f.Model().Items(f.Model().IndexOf("R1"));
  f.Model().Items(f.Model().IndexOf("R0")).Rect = {20, 60, 120, 77};
  r1.Rect = {20, 160, 120, 177};
  TRect& s1 = r1.SubASs.Items(0).Rect;
  s1 = {200, 260, 300, 277};
  const POINT inS1{250 - f.ScrollPosition(SB_HORZ), 268 - f.ScrollPosition(SB_VERT)};
  Mouse(f, WM_MOUSEMOVE, inS1);

  // "S1 (AS)", its AR node, no instance running, its one link down, and when it changed.
  const std::wstring expected =
      L"S1 (AS)\r\n\x6240\x5C5E"
      L"AR: R1\r\n\x8FD0\x884C\x5B9E\x4F8B: \x65E0\r\n\x8FDE\x63A5:"
      L"\r\n  R1  \x65AD\x5F00\r\n\x6700\x8FD1\x53D8\x5316: ";
  std::wstring text = f.TooltipText();
  ASSERT_GT(text.size(), expected.size());
  EXPECT_EQ(expected, text.substr(0, expected.size()));
  EXPECT_TRUE(ParseTime(win32::Cp936FromWide(text.substr(expected.size()))));
  wchar_t buffer[512] = L"";
  TTTOOLINFOW tool{};
  tool.cbSize = TTTOOLINFOW_V2_SIZE;
  tool.hwnd = f.Handle();
  tool.uId = 1;
  tool.lpszText = buffer;
  SendMessageW(f.Tooltip(), TTM_GETTEXTW, 512, reinterpret_cast<LPARAM>(&tool));
  EXPECT_EQ(text, buffer) << "the tooltip control shows another text";
  EXPECT_TRUE(IsWindowVisible(f.Tooltip()));

  // Dragged, the tip stands beside the box, clear of it and of the pointer.
  Mouse(f, WM_LBUTTONDOWN, inS1);
  for (int step = 1; step <= 3; ++step) {
    SendMessageW(f.Handle(), WM_MOUSEMOVE, MK_LBUTTON,
                 MAKELPARAM(inS1.x + 20 * step, inS1.y + 10 * step));
    RECT tip, box = BoxOnScreen(f, s1), overlap;
    GetWindowRect(f.Tooltip(), &tip);
    EXPECT_TRUE(IsWindowVisible(f.Tooltip()));
    EXPECT_FALSE(IntersectRect(&overlap, &tip, &box)) << "the tip covers the dragged box";
    EXPECT_NEAR(box.top, tip.top, 2) << "the tip does not follow the box";
  }
  Mouse(f, WM_LBUTTONUP, {inS1.x + 60, inS1.y + 30});
  EXPECT_EQ(text, f.TooltipText());
}

}  // namespace
}  // namespace topo::test
