// The real topo.dll as a host sees it: loaded by path, its four exports found
// by undecorated name, and what each of them does to the module and the host's
// windows.
#include <gtest/gtest.h>
#include <windows.h>
// psapi.h needs the types of windows.h.
#include <psapi.h>

#include <algorithm>
#include <cstring>
#include <memory>
#include <string>
#include <vector>

#include "FakeHost.h"
#include "MessageBoxCloser.h"
#include "PluginExports.h"
#include "PressKey.h"

namespace topo::test {
namespace {

std::wstring Caption(HWND w) {
  wchar_t text[256] = L"";
  GetWindowTextW(w, text, 256);
  return text;
}

SIZE OuterSize(HWND w) {
  RECT r{};
  GetWindowRect(w, &r);
  return {r.right - r.left, r.bottom - r.top};
}

BOOL CALLBACK AddText(HWND w, LPARAM texts) {
  if (!Caption(w).empty())
    reinterpret_cast<std::vector<std::wstring>*>(texts)->push_back(Caption(w));
  return TRUE;
}

// What a window and its controls show, sorted, the empty ones left out.
std::vector<std::wstring> TextsOf(HWND w) {
  std::vector<std::wstring> texts{Caption(w)};
  EnumChildWindows(w, AddText, reinterpret_cast<LPARAM>(&texts));
  std::sort(texts.begin(), texts.end());
  return texts;
}

// The plug-in's own topology window caption, "拓扑图".
constexpr const wchar_t* kOwnCaption = L"\x62D3\x6251\x56FE";

// How many times a file is mapped into this process: a resource file loaded
// as data shows up here, and disappears once released.
int MappingsOf(const wchar_t* fileName) {
  int count = 0;
  MEMORY_BASIC_INFORMATION info;
  for (char* p = nullptr; VirtualQuery(p, &info, sizeof info) == sizeof info;
       p = static_cast<char*>(info.BaseAddress) + info.RegionSize) {
    if (info.State == MEM_COMMIT && (info.Type == MEM_MAPPED || info.Type == MEM_IMAGE) &&
        info.AllocationBase == info.BaseAddress) {
      wchar_t path[MAX_PATH] = L"";
      if (GetMappedFileNameW(GetCurrentProcess(), info.BaseAddress, path, MAX_PATH)) {
        std::wstring s = path;
        std::wstring name = fileName;
        if (s.size() >= name.size() &&
            lstrcmpiW(s.c_str() + s.size() - name.size(), name.c_str()) == 0)
          ++count;
      }
    }
    if (static_cast<char*>(info.BaseAddress) + info.RegionSize < p) break;
  }
  return count;
}

class ExportsTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    CoInitialize(nullptr);
    dll_ = LoadLibraryW(L"topo.dll");
    ASSERT_NE(dll_, nullptr) << "topo.dll not found, error " << GetLastError();
    devInfo_ = Export<GetDevInfoFn>(dll_, "BizGetDevInfo");
    init_ = Export<InitFn>(dll_, "BizInit");
    uninit_ = Export<UninitFn>(dll_, "BizUninit");
    entry_ = Export<EntryFn>(dll_, "BizEntry");
    frame_ =
        std::make_unique<TestWindow>(true, L"exports host");  // lives as long as the DLL's state
  }
  static void TearDownTestSuite() {
    frame_.reset();
    FreeLibrary(dll_);
    CoUninitialize();
  }
  void SetUp() override {
    ASSERT_TRUE(devInfo_ && init_ && uninit_ && entry_) << "an export is missing";
    host_.Offer(L"ARCom", &arCom_);
    // What the topology window reads when it attaches; no baseline file.
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    memConfig_.personalDataDir = std::wstring(dir) + L"topo-exports-test\\";
    host_.Offer(L"MemConfig", &memConfig_);
    host_.Offer(L"PersonalData", &personal_);
    host_.Offer(L"TempData", &temp_);
  }
  void TearDown() override {
    // Unbalanced calls are harmless: this brings the count back to 0 whatever
    // a test left.
    for (int i = 0; i < 4; ++i) uninit_();
    PumpMessages();
  }
  HWND Create() { return entry_(3101, frame_->Handle(), notify_.Handle(), &host_, 0); }

  static HMODULE dll_;
  static GetDevInfoFn devInfo_;
  static InitFn init_;
  static UninitFn uninit_;
  static EntryFn entry_;
  static std::unique_ptr<TestWindow> frame_;
  TestWindow notify_{false, L"notify"};
  FakeAppFrame host_;
  FakeARCom arCom_;
  FakeMemConfig memConfig_;
  FakeDataContainer personal_, temp_;
};

HMODULE ExportsTest::dll_ = nullptr;
GetDevInfoFn ExportsTest::devInfo_ = nullptr;
InitFn ExportsTest::init_ = nullptr;
UninitFn ExportsTest::uninit_ = nullptr;
EntryFn ExportsTest::entry_ = nullptr;
std::unique_ptr<TestWindow> ExportsTest::frame_;

TEST_F(ExportsTest, DevInfoWritesSevenBytesAndTwoNumbers) {
  char buffer[40];
  std::memset(buffer, 0xCC, sizeof buffer);
  int info1 = -1, info2 = -1;
  devInfo_(buffer, &info1, &info2);
  EXPECT_EQ(std::memcmp(buffer, "Delphi\0", 7), 0) << "got \"" << std::string(buffer, 6) << "\"";
  for (size_t i = 7; i < sizeof buffer; ++i)
    EXPECT_EQ(static_cast<unsigned char>(buffer[i]), 0xCC) << "byte " << i << " was written";
  EXPECT_EQ(info1, 327680) << "got " << info1 << ", expected 5 << 16";
  EXPECT_EQ(info2, 393234) << "got " << info2 << ", expected 6 << 16 | 18";
}

TEST_F(ExportsTest, OtherFunctionNumbersCreateNothing) {
  const int before = CountThreadWindows();
  for (int fn : {0, -1, 3100, 3102, 101}) {
    for (int show : {0, 1}) {
      HWND got = entry_(fn, frame_->Handle(), notify_.Handle(), &host_, show);
      EXPECT_EQ(got, nullptr) << "function " << fn << ", show " << show;
    }
  }
  EXPECT_EQ(CountThreadWindows(), before) << "windows were created";
  EXPECT_EQ(GetWindow(frame_->Handle(), GW_CHILD), nullptr);
  EXPECT_TRUE(host_.asked.empty()) << "the host was asked for a service";
}

TEST_F(ExportsTest, CreatedWindowIsAHiddenChildUntilShown) {
  HWND w = Create();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(GetParent(w), frame_->Handle());
  EXPECT_TRUE(GetWindowLongW(w, GWL_STYLE) & WS_CHILD)
      << "style " << std::hex << GetWindowLongW(w, GWL_STYLE);
  EXPECT_FALSE(IsWindowVisible(w)) << "visible before the show request";
  EXPECT_EQ(Caption(w), kOwnCaption);
  EXPECT_EQ(OuterSize(w).cx, 786);
  EXPECT_EQ(OuterSize(w).cy, 480);
  EXPECT_EQ(host_.Refs(), 1) << "the window keeps one reference to the host frame";

  EXPECT_EQ(entry_(3101, nullptr, nullptr, nullptr, 1), nullptr) << "a show request returns 0";
  EXPECT_TRUE(IsWindowVisible(w));
  DestroyWindow(w);
  EXPECT_EQ(host_.Refs(), 0) << "the host frame reference outlived the window";
}

TEST_F(ExportsTest, ShowRequestsReachOnlyTheLastWindowAndNothingOnceItIsGone) {
  HWND first = Create();
  HWND second = Create();
  ASSERT_TRUE(first && second);
  EXPECT_NE(first, second);
  entry_(3101, nullptr, nullptr, nullptr, 1);
  EXPECT_FALSE(IsWindowVisible(first));
  EXPECT_TRUE(IsWindowVisible(second));

  SendMessageW(second, WM_CLOSE, 0, 0);
  PumpMessages();
  EXPECT_FALSE(IsWindow(second)) << "the closed window was not freed";
  EXPECT_EQ(notify_.closeMessages, 1);
  EXPECT_EQ(arCom_.removedSinks.size(), 1u);

  const int before = CountThreadWindows();
  EXPECT_EQ(entry_(3101, nullptr, nullptr, nullptr, 1), nullptr);
  EXPECT_FALSE(IsWindowVisible(first)) << "a show request after close showed an older window";
  EXPECT_EQ(CountThreadWindows(), before);
  DestroyWindow(first);
}

TEST_F(ExportsTest, ResourceFileReplacesLayoutWhileInitialised) {
  init_(0, "topo_testres.dll", &host_, 0);
  EXPECT_EQ(host_.Refs(), 0) << "BizInit kept the host's interface";
  EXPECT_EQ(MappingsOf(L"topo_testres.dll"), 1);
  HWND redirected = Create();
  ASSERT_NE(redirected, nullptr);
  EXPECT_EQ(Caption(redirected), L"Redirected main");
  EXPECT_EQ(OuterSize(redirected).cx, 600);
  // The file was made before the history window: Ctrl+H opens it with the
  // plug-in's own layout rather than fail.
  {
    MessageBoxCloser closer;
    PressKey(redirected, 'H', ui::ssCtrl);
    EXPECT_EQ(closer.closed, 0) << closer.lastText.c_str();
    EXPECT_NE(FindWindowW(nullptr, L"事件记录"), nullptr) << "no history window";
  }
  uninit_();
  EXPECT_EQ(MappingsOf(L"topo_testres.dll"), 0) << "the resource file stayed loaded";
  HWND own = Create();
  ASSERT_NE(own, nullptr);
  EXPECT_EQ(Caption(own), kOwnCaption);
  DestroyWindow(redirected);
  DestroyWindow(own);
}

// The English resource file through BizInit: the topology window shows its
// caption and toolbar in English.
TEST_F(ExportsTest, EnglishResourceFileShowsTheWindowInEnglish) {
  init_(0, "topo_en.dll", &host_, 0);
  HWND w = Create();
  ASSERT_NE(w, nullptr);
  const std::vector<std::wstring> texts = {
      L"5",          L"600",  L"800",      L"Find",      L"Height",  L"History",
      L"Interval",   L"Mute", L"Picture",  L"Rearrange", L"Refresh", L"Save baseline",
      L"Show links", L"Tidy", L"Topology", L"Width",     L"s"};
  EXPECT_EQ(TextsOf(w), texts);
  DestroyWindow(w);
}

TEST_F(ExportsTest, InitCountBalancesAndLoadsOnlyTheFirstFile) {
  init_(0, "topo_testres.dll", nullptr, 0);
  init_(0, "topo_testres_nolayout.dll", nullptr, 0);
  EXPECT_EQ(MappingsOf(L"topo_testres.dll"), 1);
  EXPECT_EQ(MappingsOf(L"topo_testres_nolayout.dll"), 0) << "the second path was loaded";
  uninit_();
  EXPECT_EQ(MappingsOf(L"topo_testres.dll"), 1) << "released while still initialised once";
  uninit_();
  EXPECT_EQ(MappingsOf(L"topo_testres.dll"), 0);
  uninit_();  // unbalanced: the count stays at 0
  init_(0, "topo_testres.dll", nullptr, 0);
  EXPECT_EQ(MappingsOf(L"topo_testres.dll"), 1)
      << "after an unbalanced BizUninit the next BizInit did not load";
  uninit_();
  EXPECT_EQ(MappingsOf(L"topo_testres.dll"), 0);
}

TEST_F(ExportsTest, UnloadableFileFallsBackAndIsRetriedAfterUninit) {
  init_(0, "no such file.dll", nullptr, 0);
  init_(0, nullptr, nullptr, 0);
  HWND w = Create();
  ASSERT_NE(w, nullptr);
  EXPECT_EQ(Caption(w), kOwnCaption);
  uninit_();
  uninit_();
  init_(0, "topo_testres.dll", nullptr, 0);
  HWND redirected = Create();
  ASSERT_NE(redirected, nullptr);
  EXPECT_EQ(Caption(redirected), L"Redirected main");
  uninit_();
  DestroyWindow(w);
  DestroyWindow(redirected);
}

TEST_F(ExportsTest, MissingLayoutIsReportedInABoxAndGivesZero) {
  HWND own = Create();  // the application window is adopted by a first attach
  init_(0, "topo_testres_nolayout.dll", nullptr, 0);
  const int before = CountThreadWindows();
  MessageBoxCloser closer;
  HWND got = Create();
  EXPECT_EQ(got, nullptr);
  EXPECT_EQ(closer.closed, 1) << "no message box was shown";
  EXPECT_NE(closer.lastText.find(L"TMAINFORM"), std::wstring::npos)
      << "got text \"" << closer.lastText.c_str() << "\"";
  EXPECT_EQ(closer.lastOwner, frame_->Handle()) << "the box is not owned by the application window";
  EXPECT_EQ(CountThreadWindows(), before) << "a window was left behind";
  uninit_();
  DestroyWindow(own);
}

}  // namespace
}  // namespace topo::test
