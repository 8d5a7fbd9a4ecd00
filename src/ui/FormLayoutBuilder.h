// The builder of the controls a parsed layout describes (ui/FormLayout.h).
// The layout's text was checked by the parser, so the builder fails only
// where Windows does, naming the layout and the line of the control.
#pragma once

#include <windows.h>

#include <map>
#include <memory>
#include <string>
#include <vector>

#include "ui/FormLayout.h"

namespace topo::ui {

class FormImage;

struct BuiltControls {
  std::map<std::wstring, HWND> windows;            // by name
  std::vector<std::unique_ptr<FormImage>> images;  // drawn by the form
};

// Creates the controls of layout as children of form (or of their parent
// control), in tab order, with font; images load their bitmaps from
// bitmapSource.
BuiltControls CreateLayoutControls(HWND form, const FormLayout& layout, HFONT font,
                                   HMODULE bitmapSource);

}  // namespace topo::ui
