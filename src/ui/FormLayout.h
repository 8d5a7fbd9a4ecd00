// Window layouts live as text resources so that a resource file can replace
// them without code; this is their format and the builder of their controls.
//
// One statement a line, '#' starts a comment, words are separated by blanks,
// texts are in double quotes (\" and \\ inside them). The file is UTF-8.
//   form NAME
//   caption "TEXT"
//   position LEFT TOP          window position in pixels
//   client WIDTH HEIGHT        client size (or: size WIDTH HEIGHT for the outer size)
//   font "FACE" HEIGHT         HEIGHT as for CreateFont (negative: character height)
//   control KIND NAME LEFT TOP WIDTH HEIGHT [key=value | key="text" | flag]...
// Control kinds: label edit button checkbox groupbox panel listbox combobox
// updown image. Keys: text, parent (name of a groupbox or panel), tab (tab
// order among its siblings), readonly, checked, hidden, disabled, min, max,
// pos, increment, buddy, wrap.
#pragma once

#include <windows.h>

#include <map>
#include <string>
#include <string_view>
#include <vector>

namespace topo::ui {

struct ControlLayout {
  std::wstring kind;
  std::wstring name;
  int left = 0, top = 0, width = 0, height = 0;
  std::map<std::wstring, std::wstring> properties;
  int line = 0;

  bool Has(const wchar_t* key) const { return properties.count(key) != 0; }
  std::wstring Text(const wchar_t* key, const std::wstring& otherwise = {}) const;
  int Int(const wchar_t* key, int otherwise) const;
};

struct FormLayout {
  std::wstring name;
  std::wstring caption;
  int left = 0, top = 0;
  int width = 0, height = 0;
  bool outerSize = false;  // width and height are the outer size, else the client size
  std::wstring fontFace = L"MS Sans Serif";
  int fontHeight = -11;
  std::vector<ControlLayout> controls;

  const ControlLayout* Find(const std::wstring& controlName) const;
};

// Throws std::runtime_error naming the line of the first malformed statement.
FormLayout ParseFormLayout(std::string_view utf8);

// Class names of the container windows a layout can create (panels and tab
// sheets), and the one of the text grid, so that focus navigation can tell them.
inline constexpr const wchar_t* kPanelClass = L"TopoPanel";
inline constexpr const wchar_t* kTabSheetClass = L"TopoTabSheet";
inline constexpr const wchar_t* kStringGridClass = L"TopoStringGrid";

// Creates the controls of layout as children of form (or of their parent
// control), in tab order, with font. Returns name -> window.
std::map<std::wstring, HWND> CreateLayoutControls(HWND form, const FormLayout& layout, HFONT font);

}  // namespace topo::ui
