// arhost.exe: a stand-in for the client framework that loads the plug-in. It
// gives the plug-in a frame window to live in and the host services it asks
// for, and can run headless: take a screenshot after a while, click where a
// test says, and exit. This file is only the way in: the command line, COM,
// and one run of the Host.
// clang-format off
#include <windows.h>
#include <shellapi.h>  // needs windows.h first
// clang-format on

#include <exception>
#include <string>
#include <vector>

#include "host/Console.h"
#include "host/Host.h"
#include "host/Options.h"
#include "win32/Cp936.h"

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
