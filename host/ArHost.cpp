// arhost.exe: a stand-in for the client framework that loads the plug-in. It
// gives the plug-in a frame window to live in and the host services it asks
// for, and can run headless: take a screenshot after a while, click where a
// test says, and exit. This file is only the way in: the command line (and
// --version, which needs no more), COM, and one run of the Host.
// clang-format off
#include <windows.h>
#include <shellapi.h>  // needs windows.h first
// clang-format on

#include <cstdio>
#include <exception>
#include <optional>
#include <string>
#include <vector>

#include "host/Console.h"
#include "host/FileVersion.h"
#include "host/Host.h"
#include "host/Options.h"
#include "win32/Cp936.h"

namespace arhost {
namespace {

// Texts of arhost.rc's string table.
constexpr UINT kNoVersionText = 1;

std::wstring LoadText(UINT id) {
  const wchar_t* text = nullptr;
  const int n = LoadStringW(nullptr, id, reinterpret_cast<wchar_t*>(&text), 0);
  return n > 0 ? std::wstring(text, static_cast<size_t>(n)) : std::wstring();
}

// --version: one line "FILE VERSION" for arhost.exe and for the plug-in when
// one is named, both read from the files' version resources, as Windows
// shows them. 3 when a file has none.
int ShowVersions(const std::wstring& plugin) {
  wchar_t self[MAX_PATH] = L"";
  GetModuleFileNameW(nullptr, self, MAX_PATH);
  int rc = 0;
  for (const std::wstring& path : {std::wstring(self), plugin}) {
    if (path.empty()) continue;
    if (const std::optional<FileVersion> v = ReadFileVersion(path)) {
      const std::string line =
          topo::win32::Utf8FromWide(v->originalFilename + L" " + v->fileVersion) + "\n";
      std::fwrite(line.data(), 1, line.size(), stdout);
    } else {
      Say(L"arhost: " + path + L" " + LoadText(kNoVersionText));
      rc = 3;
    }
  }
  std::fflush(stdout);
  return rc;
}

}  // namespace
}  // namespace arhost

int main() {
  int argc = 0;
  LPWSTR* argv = CommandLineToArgvW(GetCommandLineW(), &argc);
  std::vector<std::wstring> args;
  for (int i = 1; i < argc; ++i) args.emplace_back(argv[i]);
  LocalFree(argv);
  std::wstring error;
  auto options = arhost::ParseOptions(args, &error);
  if (!options) {
    arhost::Say(L"arhost: " + error);
    arhost::Say(arhost::kUsage);
    return 2;
  }
  if (options->version) return arhost::ShowVersions(options->plugin);
  if (FAILED(OleInitialize(nullptr))) {
    arhost::Say(L"arhost: COM could not be initialised");
    return 2;
  }
  int rc = 2;
  try {
    rc = arhost::Host(std::move(*options)).Run();
  } catch (const std::exception& e) {
    arhost::Say(L"arhost: " + topo::win32::WideFromUtf8(e.what()));
  }
  OleUninitialize();
  return rc;
}
