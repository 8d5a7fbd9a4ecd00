// The topology window's commands against fake host objects: the instance
// menus, the requests call by call (the password typed into the real dialog by
// a timer inside its modal loop), refusals and failures in all-instance loops,
// what the progress of a command on all instances lets happen meanwhile,
// the password dialog's geometry and keys, the status command, removal and the
// saved baseline. (Against the simulated host's network: tests/e2e.)
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "DiagramBuilders.h"
#include "MainFormFixture.h"
#include "MenuItems.h"
#include "MessageBoxCloser.h"
#include "bridge/ResourceLookup.h"
#include "plugin/EntryPoints.h"
#include "win32/CheckedCall.h"
#include "win32/Cp936.h"
#include "win32/UnpackerReportReader.h"
#include "window/MainForm.h"
#include "window/PasswordQuery.h"

namespace topo::test {
namespace {

using plugin::Module;
using window::TMainForm;

// Runs act once on each visible window of this thread that pick accepts, from
// a thread timer, so it runs inside whatever modal loop is showing it.
class WhenShown {
 public:
  WhenShown(std::function<bool(HWND)> pick, std::function<void(HWND)> act)
      : pick_(std::move(pick)), act_(std::move(act)) {
    active_ = this;
    timer_ = SetTimer(nullptr, 0, 30, Tick);
  }
  WhenShown(const WhenShown&) = delete;
  WhenShown& operator=(const WhenShown&) = delete;
  ~WhenShown() {
    KillTimer(nullptr, timer_);
    active_ = nullptr;
  }
  int Count() const { return static_cast<int>(seen_.size()); }

 private:
  static BOOL CALLBACK Visit(HWND w, LPARAM self) {
    auto* me = reinterpret_cast<WhenShown*>(self);
    if (IsWindowVisible(w) && !me->seen_.count(w) && me->pick_(w)) {
      me->seen_.insert(w);
      me->act_(w);
    }
    return TRUE;
  }
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    if (active_) EnumThreadWindows(GetCurrentThreadId(), Visit, reinterpret_cast<LPARAM>(active_));
  }
  static inline WhenShown* active_ = nullptr;
  std::function<bool(HWND)> pick_;
  std::function<void(HWND)> act_;
  std::set<HWND> seen_;
  UINT_PTR timer_ = 0;
};

bool IsPasswordDialog(HWND w) {
  wchar_t cls[16] = L"";
  GetClassNameW(w, cls, 16);
  return lstrcmpW(cls, L"#32770") == 0 && GetDlgItem(w, window::kPasswordEditId);
}

// Types text into the password dialog's edit and ends it with a key.
void Type(HWND dialog, const std::wstring& text, WPARAM key) {
  HWND edit = GetDlgItem(dialog, window::kPasswordEditId);
  for (wchar_t c : text) PostMessageW(edit, WM_CHAR, c, 0);
  PostMessageW(edit, WM_KEYDOWN, key, 0);
}

// Brings the box of AR node ar (or of its server as) to the front, as a
// click does.
void Select(TARNodeList& model, const char* ar, const char* as = nullptr) {
  const int32_t a = model.IndexOf(ar);
  const int32_t s = as ? model.Items(a).SubASs.IndexOf(as) : -1;
  for (int32_t z = 0; z < model.ZOrder.Count(); ++z)
    if (model.ZOrder.Items(z).ARIndex == a && model.ZOrder.Items(z).ASIndex == s) {
      model.ZOrder.BringToFront(z);
      return;
    }
  ADD_FAILURE() << "no box " << ar << (as ? "." : "") << (as ? as : "");
}

// The entries of a menu: caption and tag, "-" for a separator, ">" after the
// caption of a sub-menu.
std::vector<std::wstring> Entries(HMENU menu) {
  std::vector<std::wstring> entries;
  for (const MenuItem& item : ItemsOf(menu))
    entries.push_back(item.separator ? L"-"
                                     : item.caption + (item.subMenu ? L">" : L"/") +
                                           std::to_wstring(item.tag));
  return entries;
}

// One start, stop or restart request as the fake exchange logs it.
std::vector<std::string> Request(int function, int kind, const std::string& name, int number,
                                 const char* password) {
  std::vector<std::string> calls = {"SetDestination 131 bstr:AR0.admin.0",
                                    "SetFunction " + std::to_string(function) + " packer",
                                    "AddValue i4:" + std::to_string(kind), "AddValue bstr:" + name,
                                    "AddValue i4:" + std::to_string(number)};
  if (password) calls.push_back(std::string("AddValue bstr:") + password);
  for (const char* c : {"EndPack", "GetPacket", "SendPacket bstr:packet 2000",
                        "ReceiveAnswer 7 3000", "Open bstr:answer", "GetReturnCode"})
    calls.push_back(c);
  return calls;
}

// A TempData that also remembers the order of the keys written.
class OrderedContainer : public FakeDataContainer {
 public:
  HRESULT STDMETHODCALLTYPE SetValue(BSTR Name, VARIANT Value) override {
    keys.push_back(win32::Cp936FromWide(Name));
    return FakeDataContainer::SetValue(Name, Value);
  }
  std::vector<std::string> keys;
};

class CommandsTest : public MainFormFixture {
 protected:
  void SetUp() override {
    MainFormFixture::SetUp();
    Put(login, L"AdminAR", win32::Variant::String(L"AR0"));
    Put(login, L"AdminAS", win32::Variant::String(L"admin"));
    frame.Offer(L"TempData", &orderedTemp);
  }
  // A window whose first refresh found an empty network, its diagram built
  // from nodes, and the log cleared; answers carry an "error_info" text.
  TMainForm& Open(const std::vector<Node>& nodes = {}) {
    Report({});
    TMainForm& form = MainFormFixture::Open();
    Build(form.Model(), nodes);
    form.Model().ResolveLinks();
    log.calls.clear();
    Answer({L"error_info"}, {{L"refused here"}});
    return form;
  }

  OrderedContainer orderedTemp;
};

TEST_F(CommandsTest, MenusOfferStoppedInstancesToStartAndRunningOnesToStopAndRestart) {
  TMainForm& f = Open({{"A", {0}, {{"S", {1, 4}}}}, {"B", {}, {}}});
  const std::vector<std::wstring> top = {L"状态/0",     L"-", L"启动>0", L"停止>0",
                                         L"重新启动>0", L"-", L"删除/0"};
  EXPECT_EQ(top, Entries(f.Menu(L"PopupMenu")->Handle()));
  const std::vector<std::wstring> allStopped = {L"全部/-1", L"-",   L"0/0", L"1/1", L"2/2", L"3/3",
                                                L"4/4",     L"5/5", L"6/6", L"7/7", L"8/8", L"9/9"};
  struct Case {
    const char* ar;
    const char* as;
    std::vector<std::wstring> start, stopAndRestart;
  } cases[] = {
      {"A",
       "S",
       {L"全部/-1", L"-", L"0/0", L"2/2", L"3/3", L"5/5", L"6/6", L"7/7", L"8/8", L"9/9"},
       {L"全部/-1", L"-", L"1/1", L"4/4"}},
      {"B", nullptr, allStopped, {L"全部/-1", L"-"}},
      {"A",
       "S",  // rebuilt again: nothing left over from the other node
       {L"全部/-1", L"-", L"0/0", L"2/2", L"3/3", L"5/5", L"6/6", L"7/7", L"8/8", L"9/9"},
       {L"全部/-1", L"-", L"1/1", L"4/4"}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.ar) + (c.as ? c.as : ""));
    Select(f.Model(), c.ar, c.as);
    f.BuildServerMenus();
    EXPECT_EQ(c.start, Entries(f.Menu(L"muiStart")->Handle()));
    EXPECT_EQ(c.stopAndRestart, Entries(f.Menu(L"muiStop")->Handle()));
    EXPECT_EQ(c.stopAndRestart, Entries(f.Menu(L"muiRestart")->Handle()));
  }
  // Choosing an entry runs its command with its tag: stop instance 4 of S.
  HMENU stop = f.Menu(L"muiStop")->Handle();
  EXPECT_TRUE(f.Menu(L"PopupMenu")->Invoke(GetMenuItemID(stop, 3)));
  EXPECT_EQ(Request(51210, 1, "S", 4, nullptr), log.calls);
}

TEST_F(CommandsTest, RequestsCarryTheirValuesInOrderAfterTheAdministrativeDestination) {
  enum Command { Start, Stop, Restart };
  struct Case {
    const char* title;
    Node node;
    bool server;
    Command command;
    int tag;
    const wchar_t* typed;  // null: the password dialog is cancelled
    std::vector<int> sent;
    int dialogs;
  } cases[] = {
      {"start 3 of AR node N", {"N", {}, {}}, false, Start, 3, L"P", {3}, 1},
      {"start all starts what is not running",
       {"N", {1, 4}, {}},
       false,
       Start,
       -1,
       L"P",
       {0, 2, 3, 5, 6, 7, 8, 9},
       1},
      {"start all of a node that is down",
       {"N", {}, {}},
       false,
       Start,
       -1,
       L"P",
       {0, 1, 2, 3, 4, 5, 6, 7, 8, 9},
       1},
      {"stop all of a server, no password",
       {"N", {0}, {{"S", {2, 5}}}},
       true,
       Stop,
       -1,
       nullptr,
       {2, 5},
       0},
      {"restart all asks once", {"N", {1, 4}, {}}, false, Restart, -1, L"P", {1, 4}, 1},
      {"restart all with none running", {"N", {}, {}}, false, Restart, -1, L"P", {}, 1},
      {"an empty password is sent", {"N", {}, {}}, false, Restart, 6, L"", {6}, 1},
      {"cancel sends nothing", {"N", {}, {}}, false, Start, 3, nullptr, {}, 1},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    TMainForm& f = Open({c.node});
    Select(f.Model(), "N", c.server ? "S" : nullptr);
    WhenShown typist(IsPasswordDialog, [&c](HWND d) {
      if (c.typed)
        Type(d, c.typed, VK_RETURN);
      else
        Type(d, L"P", VK_ESCAPE);
    });
    switch (c.command) {
      case Start:
        f.muiStartClick(c.tag);
        break;
      case Stop:
        f.muiStopClick(c.tag);
        break;
      case Restart:
        f.muiRestartClick(c.tag);
        break;
    }
    const int function = c.command == Start ? 51211 : c.command == Stop ? 51210 : 51212;
    const std::string password = c.typed ? win32::Cp936FromWide(c.typed) : "";
    std::vector<std::string> expected;
    for (int n : c.sent) {
      auto one = Request(function, c.server ? 1 : 0, c.server ? "S" : "N", n,
                         c.command == Stop ? nullptr : password.c_str());
      expected.insert(expected.end(), one.begin(), one.end());
    }
    EXPECT_EQ(expected, log.calls);
    EXPECT_EQ(c.dialogs, typist.Count());
    EXPECT_TRUE(errors.empty());
    DestroyWindow(f.Handle());
  }
}

TEST_F(CommandsTest, RefusalShowsItsTextAndTheLoopGoesOnWhileAFailureEndsIt) {
  TMainForm& f = Open({{"N", {0, 1, 2}, {}}});
  Select(f.Model(), "N");
  unpacker.returnCodes = {0, 4, 0};
  f.muiStopClick(-1);
  EXPECT_EQ(std::vector<std::wstring>{L"refused here"}, errors);
  auto count = [this](const char* call) {
    int n = 0;
    for (const std::string& c : log.calls) n += c.rfind(call, 0) == 0;
    return n;
  };
  EXPECT_EQ(3, count("SendPacket"));
  EXPECT_EQ(1, count("GetValue error_info")) << "a code of 0 showed a text";

  log.calls.clear();
  errors.clear();
  log.failOn = "ReceiveAnswer";
  EXPECT_THROW(f.muiStopClick(-1), win32::EHostCallError);
  EXPECT_EQ(1, count("SendPacket")) << "the loop went on after a failed request";
  EXPECT_TRUE(errors.empty());
}

// While one request of a command on all instances is out, the operator or
// the host does something that waits in the queue until the pump between two
// instances: the progress window's Cancel, a tick and the refresh button, a
// second command, the host closing the window. Whatever it is, the requests
// go out whole and in order with no refresh between them, and a skipped
// refresh is made up for once at the end.
TEST_F(CommandsTest, GroupCommandStopsBeforeTheNextInstanceAndRefreshesOnlyAtTheEnd) {
  enum Act { Cancel = 1, Tick = 2, Second = 4, Close = 8 };
  struct Case {
    const char* title;
    int acts;
    int sent;       // requests in all, the act coming while the third is out
    int refreshes;  // once the command ended
  } cases[] = {
      {"cancel at instance 3 of 10", Cancel, 3, 0},
      {"ticks and the refresh button wait for the end", Tick, 10, 1},
      {"a tick, then cancel", Tick | Cancel, 3, 1},
      {"a second command from the node menu", Second, 10, 0},
      {"the window closed", Close, 3, 0},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.title);
    TMainForm& f = Open({{"N", {0, 1, 2, 3, 4, 5, 6, 7, 8, 9}, {}}});
    Select(f.Model(), "N");
    const HWND w = f.Handle(), refresh = f.Control(L"btnRefresh");
    int requests = 0;
    std::wstring step;
    HWND owner = nullptr;
    const auto click = [](HWND form, HWND button) {
      PostMessageW(form, WM_COMMAND, MAKEWPARAM(GetDlgCtrlID(button), BN_CLICKED),
                   reinterpret_cast<LPARAM>(button));
    };
    log.onRecord = [&](const std::string& call) {
      if (call != "ReceiveAnswer 7 3000" || ++requests != 3) return;
      const window::TProgressForm* progress = f.ProgressWindow();
      if (!progress) return;
      step = progress->Step();
      owner =
          IsWindowVisible(progress->Handle()) ? GetWindow(progress->Handle(), GW_OWNER) : nullptr;
      if (c.acts & Tick) {
        PostMessageW(w, WM_TIMER, TMainForm::kTimerId, 0);
        click(w, refresh);
      }
      if (c.acts & Cancel) click(progress->Handle(), progress->CancelButton());
      if (c.acts & Second) f.muiStopClick(-1);  // as the node menu would, were it to open
      if (c.acts & Close) PostMessageW(w, WM_CLOSE, 0, 0);
    };
    f.muiStopClick(-1);
    log.onRecord = nullptr;
    EXPECT_EQ(L"停止 N 3/10", step);
    EXPECT_EQ(session.Host(), owner) << "not shown above the host's window";
    std::vector<std::string> expected;
    for (int n = 0; n < c.sent; ++n) {
      auto one = Request(51210, 0, "N", n, nullptr);
      expected.insert(expected.end(), one.begin(), one.end());
    }
    const std::vector<std::string> commands(
        log.calls.begin(), log.calls.begin() + static_cast<std::ptrdiff_t>(
                                                   std::min(expected.size(), log.calls.size())));
    EXPECT_EQ(expected, commands);
    int sent = 0, refreshes = 0;
    for (const std::string& call : log.calls) {
      sent += call == "SetFunction 51210 packer";
      refreshes += call == "SetFunction 26115 null";
    }
    EXPECT_EQ(c.sent, sent);
    EXPECT_EQ(c.refreshes, refreshes);
    EXPECT_TRUE(errors.empty());
    if (c.acts & Close) {
      PumpMessages();
      EXPECT_FALSE(IsWindow(w)) << "the window outlived its close";
      continue;
    }
    EXPECT_EQ(nullptr, f.ProgressWindow()) << "the progress window stayed";
    EXPECT_FALSE(f.GroupCommandRunning());
    DestroyWindow(w);
  }
  EXPECT_EQ(0, Refs());
}

TEST_F(CommandsTest, PasswordDialogLaysOutInDialogUnitsAndAnswersItsKeys) {
  struct Geometry {
    SIZE chars;
    window::TPasswordGeometry want;
  } geometries[] = {
      {{6, 13}, {{270, 102}, {12, 13}, {12, 31}, 246, 21, 67, 75, 23, 57, 138}},
      {{8, 16}, {{360, 126}, {16, 16}, {16, 38}, 328, 24, 82, 100, 28, 76, 184}},
  };
  for (const Geometry& g : geometries) {
    const window::TPasswordGeometry got = window::PasswordGeometry(g.chars);
    const window::TPasswordGeometry& w = g.want;
    EXPECT_TRUE(got.client.cx == w.client.cx && got.client.cy == w.client.cy &&
                got.label.x == w.label.x && got.label.y == w.label.y && got.edit.x == w.edit.x &&
                got.edit.y == w.edit.y && got.editWidth == w.editWidth &&
                got.buttonTop == w.buttonTop && got.buttonWidth == w.buttonWidth &&
                got.buttonHeight == w.buttonHeight && got.okLeft == w.okLeft &&
                got.cancelLeft == w.cancelLeft)
        << "for X " << g.chars.cx << ", Y " << g.chars.cy;
  }

  struct Case {
    const wchar_t* typed;
    WPARAM key;
    bool result;
    std::string value;  // afterwards; starts as "old"
  } cases[] = {
      {L"abcdefghijklmnopqrst", VK_RETURN, true, "abcdefghijklmnop"},
      {L"\b", VK_RETURN, true, ""},  // the starting text, selected, deleted
      {L"secret", VK_ESCAPE, false, "old"},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.value);
    std::wstring caption, label, ok, cancel;
    RECT client{}, labelAt{}, editAt{}, okAt{}, cancelAt{};
    LRESULT limit = 0, defId = 0;
    window::TPasswordGeometry expected{};
    WhenShown driver(IsPasswordDialog, [&](HWND d) {
      auto text = [](HWND w) {
        wchar_t t[64] = L"";
        GetWindowTextW(w, t, 64);
        return std::wstring(t);
      };
      auto at = [d](HWND w) {
        RECT r;
        GetWindowRect(w, &r);
        MapWindowPoints(nullptr, d, reinterpret_cast<POINT*>(&r), 2);
        return r;
      };
      HWND edit = GetDlgItem(d, window::kPasswordEditId);
      HWND first = GetWindow(d, GW_CHILD);  // the label, made first
      caption = text(d);
      label = text(first);
      ok = text(GetDlgItem(d, IDOK));
      cancel = text(GetDlgItem(d, IDCANCEL));
      GetClientRect(d, &client);
      labelAt = at(first);
      editAt = at(edit);
      okAt = at(GetDlgItem(d, IDOK));
      cancelAt = at(GetDlgItem(d, IDCANCEL));
      limit = SendMessageW(edit, EM_GETLIMITTEXT, 0, 0);
      defId = LOWORD(SendMessageW(d, DM_GETDEFID, 0, 0));
      HDC dc = GetDC(d);
      HGDIOBJ old = SelectObject(dc, reinterpret_cast<HGDIOBJ>(SendMessageW(d, WM_GETFONT, 0, 0)));
      expected = window::PasswordGeometry(window::AverageCharSize(dc));
      SelectObject(dc, old);
      ReleaseDC(d, dc);
      Type(d, c.typed, c.key);
    });
    win32::SecretText value("old");
    const bool result = window::PasswordQuery(win32::Cp936FromWide(L"请输入"),
                                              win32::Cp936FromWide(L"N 的启动密码:"), value,
                                              session.Host(), Module().ResourceSource());
    EXPECT_EQ(c.result, result);
    EXPECT_EQ(c.value, std::string(value.View()));
    EXPECT_EQ(1, driver.Count());
    EXPECT_EQ(L"请输入", caption);
    EXPECT_EQ(L"N 的启动密码:", label);
    EXPECT_EQ(bridge::LoadPluginString(Module().ResourceSource(), bridge::kStrOk), ok);
    EXPECT_EQ(bridge::LoadPluginString(Module().ResourceSource(), bridge::kStrCancel), cancel);
    EXPECT_EQ(16, limit);
    EXPECT_EQ(IDOK, defId);
    EXPECT_EQ(expected.client.cx, client.right);
    EXPECT_EQ(expected.client.cy, client.bottom);
    EXPECT_EQ(expected.label.x, labelAt.left);
    EXPECT_EQ(expected.label.y, labelAt.top);
    EXPECT_EQ(expected.edit.x, editAt.left);
    EXPECT_EQ(expected.edit.y, editAt.top);
    EXPECT_EQ(expected.editWidth, editAt.right - editAt.left);
    for (const RECT& button : {okAt, cancelAt}) {
      EXPECT_EQ(expected.buttonTop, button.top);
      EXPECT_EQ(expected.buttonWidth, button.right - button.left);
      EXPECT_EQ(expected.buttonHeight, button.bottom - button.top);
    }
    EXPECT_EQ(expected.okLeft, okAt.left);
    EXPECT_EQ(expected.cancelLeft, cancelAt.left);
  }
}

TEST_F(CommandsTest, StatusWritesTheClickedNodeAndShowsItsRunningInstances) {
  // S stands under A and under B; the query must go to the one clicked.
  const std::vector<Node> nodes = {{"A", {2}, {{"S", {0}}}}, {"B", {}, {{"S", {1, 4}}}}};
  struct Case {
    const char* ar;
    const char* as;
    LONG type;
    LONG number;
    std::string parent;
    std::vector<std::wstring> listed;
  } cases[] = {
      {"A", nullptr, 0, 2, "", {L"2"}},
      {"B", "S", 1, 1, "B", {L"1", L"4"}},
      {"B", nullptr, 0, -1, "", {}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.ar) + (c.as ? c.as : ""));
    TMainForm& f = Open(nodes);
    Select(f.Model(), c.ar, c.as);
    orderedTemp.keys.clear();
    std::wstring caption;
    std::vector<std::wstring> listed;
    query::TFormStatus& dialog = f.StatusDialog();
    WhenShown reader([&dialog](HWND w) { return w == dialog.Handle(); },
                     [&](HWND w) {
                       caption.resize(64);
                       caption.resize(static_cast<size_t>(
                           GetWindowTextW(dialog.Control(L"lbSvr"), caption.data(), 64)));
                       HWND list = dialog.Control(L"cmbNo");
                       for (LRESULT i = 0; i < SendMessageW(list, CB_GETCOUNT, 0, 0); ++i) {
                         wchar_t item[16] = L"";
                         SendMessageW(list, CB_GETLBTEXT, static_cast<WPARAM>(i),
                                      reinterpret_cast<LPARAM>(item));
                         listed.push_back(item);
                       }
                       PostMessageW(w, WM_CLOSE, 0, 0);
                     });
    f.muiStatusClick();
    EXPECT_EQ(1, reader.Count());
    const std::vector<std::string> order = {"ClickedSvrType", "ClickedSvrName", "ClickedSvrNo",
                                            "ClickedParentARName"};
    EXPECT_EQ(order, orderedTemp.keys);
    auto stored = [this](const wchar_t* key) { return Stored(orderedTemp, key); };
    EXPECT_EQ(c.type, stored(L"ClickedSvrType").Get().lVal);
    EXPECT_EQ(c.number, stored(L"ClickedSvrNo").Get().lVal);
    EXPECT_EQ(c.as ? c.as : c.ar, win32::VariantText(stored(L"ClickedSvrName").Get()));
    EXPECT_EQ(c.parent, win32::VariantText(stored(L"ClickedParentARName").Get()));
    EXPECT_EQ(win32::WideFromCp936(c.as ? c.as : c.ar), caption);
    EXPECT_EQ(c.listed, listed);
    EXPECT_EQ(&f, dialog.HostForm);
    DestroyWindow(f.Handle());
  }
}

TEST_F(CommandsTest, RemovalTakesTheSelectedBoxAndRefusesARunningOne) {
  // S stands under A (running) and under B (down).
  const std::vector<Node> nodes = {{"A", {0}, {{"S", {0}}}}, {"B", {}, {{"S", {}}}}, {"C", {}, {}}};
  struct Case {
    const char* ar;
    const char* as;
    bool refused;
    int boxes;  // left in the stacking order
  } cases[] = {
      {"A", "S", true, 5},
      {"B", "S", false, 4},  // the one clicked, not the running one under A
      {"C", nullptr, false, 4},
      {"A", nullptr, true, 5},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(std::string(c.ar) + (c.as ? c.as : ""));
    TMainForm& f = Open(nodes);
    Select(f.Model(), c.ar, c.as);
    UpdateWindow(f.Handle());
    MessageBoxCloser closer;
    f.muiRemoveClick();
    EXPECT_EQ(c.refused ? 1 : 0, closer.closed);
    if (c.refused) {
      EXPECT_EQ(L"不能删除活动节点", closer.lastText);
    } else {
      RECT dirty{};
      EXPECT_TRUE(GetUpdateRect(f.Handle(), &dirty, FALSE)) << "no repaint was asked for";
    }
    EXPECT_EQ(c.boxes, f.Model().ZOrder.Count());
    const TARNode& a = f.Model().Items(f.Model().IndexOf("A"));
    EXPECT_EQ(1, a.SubASs.Count()) << "the running S under A was touched";
    DestroyWindow(f.Handle());
  }
}

TEST_F(CommandsTest, SavedBaselineReloadsInANewWindowAndAFailedSaveWritesNoList) {
  wchar_t oldDir[MAX_PATH];
  GetCurrentDirectoryW(MAX_PATH, oldDir);
  SetCurrentDirectoryW(memConfig.personalDataDir.c_str());
  const std::wstring list = memConfig.personalDataDir + L"ARASList.xml";

  TMainForm& f = Open({{"A", {0}, {{"S", {0}}}}, {"B", {}, {}}});
  f.btnReLocateClick();
  f.btnSaveDatumClick();
  EXPECT_NE(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(list.c_str()));
  TMainForm& g = Open();
  ASSERT_EQ(f.Model().Count(), g.Model().Count());
  for (int32_t i = 0; i < f.Model().Count(); ++i) {
    const TARNode& a = f.Model().Items(i);
    const TARNode& b = g.Model().Items(g.Model().IndexOf(a.Name()));
    EXPECT_EQ(a.Rect.Left, b.Rect.Left) << a.Name();
    EXPECT_EQ(a.Rect.Top, b.Rect.Top) << a.Name();
    ASSERT_EQ(a.SubASs.Count(), b.SubASs.Count()) << a.Name();
    for (int32_t k = 0; k < a.SubASs.Count(); ++k) {
      EXPECT_EQ(a.SubASs.Items(k).Rect.Left, b.SubASs.Items(k).Rect.Left);
      EXPECT_EQ(a.SubASs.Items(k).Rect.Top, b.SubASs.Items(k).Rect.Top);
    }
  }

  // A baseline folder that does not exist: the save fails, and no list is written.
  DeleteFileW(list.c_str());
  memConfig.personalDataDir += L"missing\\";
  TMainForm& h = Open({{"A", {}, {}}});
  EXPECT_ANY_THROW(h.btnSaveDatumClick());
  EXPECT_EQ(INVALID_FILE_ATTRIBUTES, GetFileAttributesW(list.c_str()));
  SetCurrentDirectoryW(oldDir);
}

}  // namespace
}  // namespace topo::test
