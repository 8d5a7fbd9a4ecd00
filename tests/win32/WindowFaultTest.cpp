// Faults of the topology window that a crash would show: the window closed by
// its host while one of its own modal loops runs (the command must then send
// nothing and touch nothing of it), a resource file whose window layout has
// no alarm pictures, and the window classes left behind when the plug-in is
// unloaded. The status dialog's grid after a failed query is checked with the
// query itself (StatusQueryTest).
#include <gtest/gtest.h>
#include <windows.h>

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <functional>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "MainFormFixture.h"
#include "MessageBoxCloser.h"
#include "PluginExports.h"
#include "plugin/ModuleState.h"
#include "ui/ExceptionBoundary.h"
#include "ui/WindowClasses.h"
#include "window/MainForm.h"

namespace topo::test {
namespace {

using plugin::Module;
using window::TMainForm;

class WindowFaultTest : public MainFormFixture {
 protected:
  void SetUp() override {
    MainFormFixture::SetUp();
    // Failures in a box with a modal loop of its own, as the module shows them.
    fixtureDisplay_ = Module().SetErrorDisplay([](HWND owner, const std::wstring& text) {
      MessageBoxW(owner, text.c_str(), L"topo", MB_OK);
    });
    Put(login, L"AdminAR", win32::Variant::String(L"AR0"));
    Put(login, L"AdminAS", win32::Variant::String(L"admin"));
  }
  void TearDown() override {
    Module().SetErrorDisplay(fixtureDisplay_);
    MainFormFixture::TearDown();
  }
  // A window showing one node N with instances 0 and 1 running; later
  // answers refuse with an "error_info" text.
  TMainForm& Open() {
    Report({{L"N", L"1,1,0,0,0,0,0,0,0,0", L"", L"", L"", L""}});
    TMainForm& form = MainFormFixture::Open();
    Answer({L"error_info"}, {{L"refused"}});
    return form;
  }

 private:
  plugin::TModuleState::ErrorDisplay fixtureDisplay_;
};

// The host and the operator, from a thread timer inside whatever modal loop
// runs: when a modal window shows (visible, enabled, top-level, not the
// host's), the host closes the topology window; once that is gone the
// operator presses OK (a password typed, "执行" clicked where there are such).
// The window's memory is then handed out again, filled with a pattern, as a
// busy host would reuse it: a command that still reads it fails at once
// instead of by chance.
class CloseFromModal {
 public:
  CloseFromModal(HWND host, HWND topology, const CallLog& log)
      : host_(host), topology_(topology), log_(log) {
    active_ = this;
    timer_ = SetTimer(nullptr, 0, 30, Tick);
  }
  CloseFromModal(const CloseFromModal&) = delete;
  CloseFromModal& operator=(const CloseFromModal&) = delete;
  ~CloseFromModal() {
    KillTimer(nullptr, timer_);
    active_ = nullptr;
  }
  bool Closed() const { return modal_ != nullptr; }
  // Modal windows that showed after the close, other than the one open then.
  int Strays() const { return static_cast<int>(strays_.size()); }
  // The requests sent once the close was asked for.
  std::ptrdiff_t RequestsAfterClose() const {
    if (!Closed()) return 0;
    return std::count_if(log_.calls.begin() + static_cast<std::ptrdiff_t>(closedAt_),
                         log_.calls.end(),
                         [](const std::string& call) { return call.rfind("SendPacket", 0) == 0; });
  }

 private:
  static BOOL CALLBACK PressOk(HWND child, LPARAM) {
    wchar_t cls[16] = L"", text[8] = L"";
    GetClassNameW(child, cls, 16);
    GetWindowTextW(child, text, 8);
    if (lstrcmpiW(cls, L"Edit") == 0) SetWindowTextW(child, L"P");
    if (lstrcmpW(text, L"\x6267\x884C") == 0) SendMessageW(child, BM_CLICK, 0, 0);
    return TRUE;
  }
  static BOOL CALLBACK Visit(HWND w, LPARAM param) {
    auto& me = *reinterpret_cast<CloseFromModal*>(param);
    if (w == me.host_ || !IsWindowVisible(w) || !IsWindowEnabled(w)) return TRUE;
    if (!me.modal_) {
      me.modal_ = w;
      me.closedAt_ = me.log_.calls.size();
      PostMessageW(me.topology_, WM_CLOSE, 0, 0);
    } else if (!IsWindow(me.topology_)) {
      if (w != me.modal_) me.strays_.insert(w);
      EnumChildWindows(w, PressOk, 0);
      PostMessageW(w, WM_COMMAND, IDOK, 0);
    }
    return FALSE;
  }
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    if (!active_) return;
    if (active_->modal_ && !IsWindow(active_->topology_) && active_->scribbles_.empty()) {
      for (int i = 0; i < 256; ++i) {
        active_->scribbles_.push_back(std::make_unique<unsigned char[]>(sizeof(TMainForm)));
        std::memset(active_->scribbles_.back().get(), 0xA5, sizeof(TMainForm));
      }
    }
    EnumThreadWindows(GetCurrentThreadId(), Visit, reinterpret_cast<LPARAM>(active_));
  }
  static inline CloseFromModal* active_ = nullptr;
  HWND host_, topology_;
  const CallLog& log_;
  HWND modal_ = nullptr;  // open when the close was asked for
  size_t closedAt_ = 0;
  std::set<HWND> strays_;
  std::vector<std::unique_ptr<unsigned char[]>> scribbles_;
  UINT_PTR timer_ = 0;
};

TEST_F(WindowFaultTest, ClosedInsideACommandsModalLoopTheCommandSendsNothingMore) {
  struct Case {
    const char* modal;
    std::function<void(TMainForm&)> command;
  } cases[] = {
      {"password dialog", [](TMainForm& f) { f.muiStartClick(2); }},
      // Both stops are refused: the first one's box is open when the window closes.
      {"answer box inside stop all", [](TMainForm& f) { f.muiStopClick(-1); }},
      {"status dialog", [](TMainForm& f) { f.muiStatusClick(); }},
      {"removal's refusal box", [](TMainForm& f) { f.muiRemoveClick(); }},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.modal);
    TMainForm& f = Open();
    HWND w = f.Handle();
    unpacker.returnCodes = {1, 1};
    CloseFromModal host(session.Host(), w, log);
    ui::RunGuarded([&] { c.command(f); }, w);
    PumpMessages();
    EXPECT_TRUE(host.Closed()) << "no modal window showed";
    EXPECT_EQ(0, host.RequestsAfterClose()) << "a request went out after the close";
    EXPECT_EQ(0, host.Strays()) << "a box showed after the close";
    EXPECT_FALSE(IsWindow(w)) << "the window outlived its close";
  }
  EXPECT_EQ(0, Refs());
}

// The replacement resource file's window layout has no alarm pictures: a
// failed refresh (there is no ARCom) shows nothing and the window stays.
TEST_F(WindowFaultTest, LayoutWithoutAlarmPicturesSurvivesFailedRefreshes) {
  Module().Init("topo_testres.dll");
  frame.Withdraw(L"ARCom");
  MessageBoxCloser boxes;
  TMainForm& f = Open();
  ASSERT_EQ(nullptr, f.Image(L"ImgError")) << "the test resource file has the error picture";
  ASSERT_EQ(nullptr, f.Image(L"imgWarn"));
  EXPECT_TRUE(ui::RunGuarded([&f] { f.TimerTimer(); }, f.Handle()));
  EXPECT_TRUE(IsWindow(f.Handle()));
  EXPECT_EQ(0, boxes.closed) << boxes.lastText.c_str();
}

// Windows keeps a DLL's window classes after FreeLibrary: a later load would
// find classes whose procedure lies in the unloaded image.
TEST_F(WindowFaultTest, UnloadingThePluginUnregistersItsWindowClasses) {
  ASSERT_EQ(nullptr, GetModuleHandleW(L"topo.dll")) << "another test keeps topo.dll loaded";
  HMODULE dll = LoadLibraryW(L"topo.dll");
  ASSERT_NE(nullptr, dll);
  auto entry = Export<EntryFn>(dll, "BizEntry");
  ASSERT_TRUE(entry);
  MessageBoxCloser boxes;
  HWND w = entry(3101, session.Host(), nullptr, static_cast<host::IAppFrame*>(&frame), 0);
  ASSERT_NE(nullptr, w);
  SendMessageW(w, WM_CLOSE, 0, 0);
  PumpMessages();
  ASSERT_FALSE(IsWindow(w));
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  for (const wchar_t* name : ui::kWindowClasses)
    EXPECT_TRUE(GetClassInfoExW(dll, name, &wc)) << "never registered: " << name;
  FreeLibrary(dll);
  ASSERT_EQ(nullptr, GetModuleHandleW(L"topo.dll")) << "topo.dll stayed loaded";
  for (const wchar_t* name : ui::kWindowClasses)
    EXPECT_FALSE(GetClassInfoExW(dll, name, &wc)) << "still registered: " << name;
}

}  // namespace
}  // namespace topo::test
