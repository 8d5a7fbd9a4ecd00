// Texts of the string table with numbers or a reason put in. A resource file
// may replace the table, so a pattern is never handed to printf: only %d,
// %0Nd and %s are filled in, from the values given, and anything else is
// kept as written.
#pragma once

#include <string>
#include <vector>

namespace topo::window {

// %d and %0Nd take the numbers in order (none left: kept as written), %s the
// text, %% is one percent sign.
std::wstring FillPattern(const std::wstring& pattern, const std::vector<int>& numbers,
                         const std::wstring& text = {});

}  // namespace topo::window
