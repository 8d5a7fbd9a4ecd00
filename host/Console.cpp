// Written as UTF-8 bytes, not through the console's code page, so node names
// in Chinese reach a log file intact.
#include "host/Console.h"

#include <cstdio>

#include "win32/Cp936.h"

namespace arhost {

void Say(const std::wstring& text) {
  std::string line = topo::win32::Utf8FromWide(text) + "\n";
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}

}  // namespace arhost
