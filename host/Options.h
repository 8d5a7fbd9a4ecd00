// The command line of arhost.exe, parsed apart from the window code so the
// rules (what needs a value, what a click looks like) can be tested.
#pragma once

#include <optional>
#include <string>
#include <vector>

namespace arhost {

struct Click {
  int x = 0, y = 0;  // client coordinates of the plug-in window
  bool right = false;
  bool hover = false;  // the pointer only moves there (a tooltip shows), no button
  double at = 0;       // seconds after the plug-in window is shown
};

// Keys for whatever has the focus then (an open menu, a dialog): named keys
// (down, up, left, right, enter, esc, tab, back, f8, f10, apps), a named key
// or a letter or digit after ctrl+, shift+ or alt+ (ctrl+0, ctrl+shift+right,
// shift+f10), or text typed as characters.
struct KeyPresses {
  std::vector<std::wstring> keys;
  double at = 0;  // seconds after the plug-in window is shown
};

// A status query on one server instance, opened as an operator opens it: a
// right click on the node's box, the node menu's status entry, then the
// instance and one function chosen in the dialog.
struct StatusQuery {
  int x = 0, y = 0;  // a point of the node's box, client coordinates of the plug-in window
  int instance = 0;
  int function = 0;  // 0: the dialog's first function
  double at = 0;     // seconds after the plug-in window is shown
};

struct Options {
  std::wstring plugin;
  std::wstring resource;
  std::wstring scenario;
  std::wstring dataDir;
  std::wstring requestLog;
  std::wstring screenshot;
  double after = 5;
  double every = 0;                // > 0: also a numbered screenshot this often until `after`
  int width = 1000, height = 640;  // outer size of the frame window
  std::vector<Click> clicks;
  std::vector<KeyPresses> keys;
  std::vector<std::wstring> without;  // services the host leaves out
  std::optional<StatusQuery> status;
  bool version = false;  // only show the versions of arhost.exe and the plug-in
};

inline constexpr wchar_t kUsage[] =
    L"usage: arhost --version [PLUGIN.dll]\n"
    L"       arhost PLUGIN.dll [--resource FILE] [--scenario FILE] [--data-dir DIR]\n"
    L"         [--request-log FILE] [--size WxH] [--without SERVICE]...\n"
    L"         [--screenshot FILE.png [--after SECONDS] [--every SECONDS]]\n"
    L"         [--click X,Y@SECONDS]... [--hover X,Y@SECONDS]...\n"
    L"         [--rclick X,Y@SECONDS]... [--keys KEY[,KEY]...@SECONDS]...\n"
    L"         [--status X,Y.N[:FUNCTION]@SECONDS]\n";

// Empty with *error set when the arguments are not usable.
std::optional<Options> ParseOptions(const std::vector<std::wstring>& args, std::wstring* error);

}  // namespace arhost
