// The writer the crash tests kill: it saves one of the three files the
// plug-in and its host replace (the baseline, the enabled-server list, the
// settings) and ends itself with TerminateProcess at a chosen step of the
// file replacement, as a crash or a killed host would end it there.
//
//   topo_crash_writer KIND DIR STEP VERSION
//     KIND     baseline | list | settings
//     DIR      folder of the file
//     STEP     the number of the step (0 the first) to die at; -1 never
//     VERSION  old | new: which of the two contents to write
//
// Exit code: 0 saved, 77 killed at the step, 2 bad arguments, 3 failed.
// clang-format off
#include <windows.h>
#include <shellapi.h>  // needs windows.h first
// clang-format on

#include <cstdio>
#include <cwchar>
#include <exception>
#include <string>

#include "../../interop/SampleBaseline.h"
#include "host/Services.h"
#include "win32/BStr.h"
#include "win32/Cp936.h"
#include "win32/MsxmlDocument.h"
#include "win32/Variant.h"
#include "win32/Win32FileStore.h"

namespace {

using topo::win32::FileStep;
using topo::win32::FileStepHook;

constexpr UINT kKilled = 77;

bool SetSetting(topo::host::IDataContainer* settings, const wchar_t* key, SHORT value) {
  topo::win32::BStr name(key);
  return SUCCEEDED(settings->SetValue(name.Get(), topo::win32::Variant::Int16(value).Get()));
}

int Write(const std::wstring& kind, const std::wstring& dir, bool newer, FileStepHook hook) {
  if (kind == L"settings") {
    // The old file holds three settings; the new one changes one of them
    // with a single write, as the window's close does for each setting.
    auto settings = arhost::DataContainer::Create(dir + L"PersonalData.txt", std::move(hook));
    if (newer) return SetSetting(settings.Get(), L"ScrollWidth", 1250) ? 0 : 3;
    const bool saved = SetSetting(settings.Get(), L"TimerInterval", 5) &&
                       SetSetting(settings.Get(), L"ScrollWidth", 800) &&
                       SetSetting(settings.Get(), L"ScrollHeight", 600);
    return saved ? 0 : 3;
  }
  topo::TARNodeList model;
  topo::sample::Build(model, newer);
  const std::string folder = topo::win32::Cp936FromWide(dir);
  if (kind == L"baseline") {
    model.SaveToFile(folder + "DatumNode.xml", topo::win32::MsxmlDocument::Factory(hook));
    return 0;
  }
  if (kind == L"list") {
    topo::win32::Win32FileStore files(hook);
    model.ExportEnabledList(folder + "ARASList.xml", files);
    return 0;
  }
  return 2;
}

}  // namespace

int main() {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  if (!argv || argc != 5) return 2;
  const std::wstring kind = argv[1], dir = std::wstring(argv[2]) + L"\\", version = argv[4];
  const long killAt = std::wcstol(argv[3], nullptr, 10);
  LocalFree(argv);
  if (FAILED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED))) return 3;
  long step = 0;
  FileStepHook hook = [&step, killAt](FileStep) {
    if (step++ == killAt) TerminateProcess(GetCurrentProcess(), kKilled);
  };
  int rc = 3;
  try {
    rc = Write(kind, dir, version == L"new", hook);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "topo_crash_writer: %s\n", e.what());
  }
  CoUninitialize();
  return rc;
}
