// Window layouts live as text resources so that a resource file can replace
// them without code; this is their format, what a parsed layout holds, and
// the parser (ui/FormLayout.cpp). The controls are made from a parsed layout
// by ui/FormLayoutBuilder.h.
//
// One statement a line, '#' starts a comment, words are separated by blanks,
// texts are in double quotes (\" and \\ inside them). The file is UTF-8.
//   form NAME
//   caption "TEXT"
//   position LEFT TOP          window position in pixels
//   client WIDTH HEIGHT        client size (or: size WIDTH HEIGHT for the outer size)
//   font "FACE" HEIGHT         HEIGHT as for CreateFont (negative: character height)
//   control KIND NAME LEFT TOP WIDTH HEIGHT [key=value | key="text" | flag]...
// Keys every kind takes: text, parent (an earlier groupbox or panel), tab (tab
// order among its siblings), id (control id; else 100 + its place in the
// file), hidden, disabled, anchors=left,top,right,bottom (the sides whose
// distance to the form's edge stays; left,top when not given).
// Kinds and their own keys:
//   label     align=left|center|right, autosize (width follows the text,
//             keeping the right edge when right-aligned)
//   edit      readonly                    button    -
//   checkbox  checked                     groupbox, panel, listbox  -
//   combobox  items=N (a drop-down list showing N items when open)
//   updown    buddy=NAME min max pos increment wrap
//   image     bitmap=RESOURCE transparent (drawn by the form, not a window)
//   grid      columns rows fixedcols fixedrows colwidth rowheight, and the
//             flags lines fixedlines colsizing rowselect (see ui/StringGrid.h)
// Popup menus (see ui/PopupMenu.h), whose sub-menus code may rebuild later:
//   menu NAME
//   item PARENT NAME "CAPTION" [tag=N] [submenu]   PARENT: a menu, or an
//        earlier item, which thereby becomes a sub-menu (as does one marked
//        submenu, to be filled at run time)
//   separator PARENT
// An unknown statement, kind or key, a flag given a value or a value key
// given none is an error naming the layout, the line and the key: a typing
// error must not pass silently as a default.
#pragma once

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
  int id = 0;  // the control id

  bool Has(const wchar_t* key) const { return properties.count(key) != 0; }
  std::wstring Text(const wchar_t* key, const std::wstring& otherwise = {}) const;
  int Int(const wchar_t* key, int otherwise) const;
};

struct MenuItemLayout {
  std::wstring parent;  // a menu or an item
  std::wstring name;    // empty for a separator
  std::wstring caption;
  int tag = 0;
  bool subMenu = false;  // has (or will get) items of its own
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
  std::vector<std::wstring> menus;
  std::vector<MenuItemLayout> menuItems;  // in file order

  const ControlLayout* Find(const std::wstring& controlName) const;
  MenuItemLayout* FindMenuItem(const std::wstring& itemName);
};

// Throws std::runtime_error naming source and the line of the first
// malformed statement.
FormLayout ParseFormLayout(std::string_view utf8, const std::string& source = "window layout");

}  // namespace topo::ui
