// What arhost.exe tells whoever started it: one UTF-8 line on the standard
// error stream per message, flushed at once so that a test that kills the
// host still reads every line.
#pragma once

#include <string>

namespace arhost {

void Say(const std::wstring& text);

}  // namespace arhost
