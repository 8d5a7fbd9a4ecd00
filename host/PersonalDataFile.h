// The PersonalData file: UTF-8 lines "NAME<TAB>TYPE<TAB>VALUE" after a header
// line, TYPE one of I2, I4, STR; "\\", "\t", "\n" and "\r" are escaped in
// names and values. Values of other kinds are written as their text (STR);
// objects are not written.
#pragma once

#include <windows.h>

#include <map>
#include <string>

#include "win32/Variant.h"

namespace arhost {

using ValueMap = std::map<std::wstring, topo::win32::Variant>;

std::string SerializeValues(const ValueMap& values);
// Lines that do not parse are skipped: a damaged file loses those settings,
// not the others.
ValueMap ParseValues(const std::string& text);

}  // namespace arhost
