// Faults of the topology window that a crash would show: the window closed by
// its host while one of its own modal loops runs (the command must then send
// nothing and touch nothing of it), a resource file whose window layout has
// no alarm pictures, and the window classes left behind when the plug-in is
// unloaded. The status dialog's grid after a failed query is checked with the
// query itself (StatusQueryTest).
#include <gtest/gtest.h>
#include <windows.h>

#include <cstring>
#include <functional>
#include <iterator>
#include <memory>
#include <set>
#include <string>
#include <vector>

#include "FakeExchange.h"
#include "MessageBoxCloser.h"
#include "plugin/ModuleState.h"
#include "ui/ExceptionBoundary.h"
#include "ui/WindowClasses.h"
#include "win32/BStr.h"
#include "window/MainForm.h"

namespace topo::test {
namespace {

using plugin::Module;
using window::TMainForm;

class WindowFaultTest : public testing::Test, protected FakeExchangeServices {
 protected:
  void SetUp() override {
    ASSERT_EQ(S_OK, packerClass.Result());
    Module().ResetForTest();
    wchar_t dir[MAX_PATH];
    GetTempPathW(MAX_PATH, dir);
    memConfig.personalDataDir =
        std::wstring(dir) + L"topo-window-faults-" + std::to_wstring(GetCurrentProcessId()) + L"\\";
    CreateDirectoryW(memConfig.personalDataDir.c_str(), nullptr);
    for (auto [key, value] : {std::pair{L"AdminAR", L"AR0"}, std::pair{L"AdminAS", L"admin"}}) {
      win32::BStr name(key);
      login.SetValue(name.Get(), win32::Variant::String(value).Get());
    }
    frame.Offer(L"ARCom", static_cast<host::IARCom*>(&arCom));
    frame.Offer(L"MemConfig", &memConfig);
    frame.Offer(L"PersonalData", &personal);
    frame.Offer(L"TempData", &temp);
    frame.Offer(L"LoginInfo", &login);
  }
  void TearDown() override {
    if (IsWindow(window_)) DestroyWindow(window_);
    PumpMessages();
    Module().ResetForTest();
  }

  // A window attached to the fake host, showing one node N with instances 0
  // and 1 running; later answers carry an "error_info" text.
  TMainForm& Open() {
    unpacker.table.fields = {L"ar", L"ar_active", L"parent_ar", L"sub_ar", L"sub_as", L"as_active"};
    unpacker.table.rows.clear();
    unpacker.table.rows.emplace_back();
    for (const wchar_t* v : {L"N", L"1,1,0,0,0,0,0,0,0,0", L"", L"", L"", L""})
      unpacker.table.rows[0].push_back(win32::Variant::String(v));
    auto* form = bridge::TBizFormBase::GiveToWindow(std::make_unique<TMainForm>(Module()));
    window_ = form->Handle();
    form->AttachToHost(3101, hostWindow.Handle(), nullptr, &frame);
    form->Show();
    unpacker.table.fields = {L"error_info"};
    unpacker.table.rows.clear();
    unpacker.table.rows.emplace_back();
    unpacker.table.rows[0].push_back(win32::Variant::String(L"refused"));
    return *form;
  }

  FakeMemConfig memConfig;
  FakeDataContainer personal, temp, login;
  FakeAppFrame frame;
  TestWindow hostWindow{true, L"window faults host"};
  HWND window_ = nullptr;
};

BOOL CALLBACK Collect(HWND window, LPARAM windows) {
  reinterpret_cast<std::vector<HWND>*>(windows)->push_back(window);
  return TRUE;
}

// Windows keeps a DLL's window classes after FreeLibrary: a later load would
// find classes whose procedure lies in the unloaded image.
TEST_F(WindowFaultTest, UnloadingThePluginUnregistersItsWindowClasses) {
  ASSERT_EQ(nullptr, GetModuleHandleW(L"topo.dll")) << "another test keeps topo.dll loaded";
  HMODULE dll = LoadLibraryW(L"topo.dll");
  ASSERT_NE(nullptr, dll);
  using EntryFn = HWND(__stdcall*)(int, HWND, HWND, IUnknown*, int);
  auto entry =
      reinterpret_cast<EntryFn>(reinterpret_cast<void (*)()>(GetProcAddress(dll, "BizEntry")));
  ASSERT_TRUE(entry);
  MessageBoxCloser boxes;
  HWND w = entry(3101, hostWindow.Handle(), nullptr, static_cast<host::IAppFrame*>(&frame), 0);
  ASSERT_NE(nullptr, w);
  // The classes the plug-in may register, and those its window and controls use.
  std::set<std::wstring> classes(std::begin(ui::kWindowClasses), std::end(ui::kWindowClasses));
  std::vector<HWND> windows = {w};
  EnumChildWindows(w, Collect, reinterpret_cast<LPARAM>(&windows));
  for (HWND c : windows) {
    wchar_t name[64] = L"";
    GetClassNameW(c, name, 64);
    if (GetClassLongPtrW(c, GCLP_HMODULE) == reinterpret_cast<ULONG_PTR>(dll)) classes.insert(name);
  }
  SendMessageW(w, WM_CLOSE, 0, 0);
  PumpMessages();
  ASSERT_FALSE(IsWindow(w));
  WNDCLASSEXW wc{};
  wc.cbSize = sizeof wc;
  for (const std::wstring& name : classes)
    EXPECT_TRUE(GetClassInfoExW(dll, name.c_str(), &wc)) << "never registered: " << name.c_str();
  FreeLibrary(dll);
  ASSERT_EQ(nullptr, GetModuleHandleW(L"topo.dll")) << "topo.dll stayed loaded";
  for (const std::wstring& name : classes)
    EXPECT_FALSE(GetClassInfoExW(dll, name.c_str(), &wc)) << "still registered: " << name.c_str();
}

}  // namespace
}  // namespace topo::test
