// What a menu handle itself holds, read back item by item, for tests that
// check a built or rebuilt menu: caption, tag (the item data), separator,
// sub-menu.
#pragma once

#include <windows.h>

#include <ostream>
#include <string>
#include <vector>

namespace topo::test {

struct MenuItem {
  std::wstring caption;
  long tag;
  bool separator;
  bool subMenu;
  bool operator==(const MenuItem& o) const {
    return caption == o.caption && tag == o.tag && separator == o.separator && subMenu == o.subMenu;
  }
};

// How a failed comparison shows an entry.
inline std::ostream& operator<<(std::ostream& out, const MenuItem& item) {
  return out << std::string(item.caption.begin(), item.caption.end()) << "/" << item.tag
             << (item.separator ? " sep" : "") << (item.subMenu ? " sub" : "");
}

inline std::vector<MenuItem> ItemsOf(HMENU menu) {
  std::vector<MenuItem> items;
  for (int i = 0; i < GetMenuItemCount(menu); ++i) {
    wchar_t caption[64] = L"";
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_STRING | MIIM_DATA | MIIM_FTYPE | MIIM_SUBMENU;
    info.dwTypeData = caption;
    info.cch = 64;
    GetMenuItemInfoW(menu, static_cast<UINT>(i), TRUE, &info);
    items.push_back({caption, static_cast<long>(info.dwItemData), (info.fType & MFT_SEPARATOR) != 0,
                     info.hSubMenu != nullptr});
  }
  return items;
}

}  // namespace topo::test
