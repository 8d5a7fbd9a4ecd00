// The layout's popup menus. An item's handler is looked up by the item's name
// when it is chosen, not bound when the menu is built, so a window may set or
// replace a handler at any time, even after the menu was built.
#include <memory>

#include "ui/Form.h"

namespace topo::ui {

void Form::BuildMenus() {
  for (const std::wstring& name : layout_.menus) {
    auto menu = std::make_unique<PopupMenu>();
    menusByName_[name] = menu.get();
    menus_[name] = std::move(menu);
  }
  for (const MenuItemLayout& item : layout_.menuItems) {
    PopupMenu* parent = menusByName_.at(item.parent);
    if (item.name.empty()) {
      parent->AddSeparator();
    } else if (item.subMenu) {
      menusByName_[item.name] = &parent->AddSubMenu(item.caption);
    } else {
      // Bound by name, so a handler may be set (or replaced) at any time.
      parent->Add(item.caption, item.tag, [this, name = item.name](int tag) {
        auto it = menuHandlers_.find(name);
        if (it == menuHandlers_.end() || !it->second) return;
        auto handler = it->second;
        handler(tag);
      });
    }
  }
}

PopupMenu* Form::Menu(const std::wstring& name) const {
  auto it = menusByName_.find(name);
  return it == menusByName_.end() ? nullptr : it->second;
}

void Form::SetMenuHandler(const std::wstring& item, PopupMenu::Handler handler) {
  menuHandlers_[item] = std::move(handler);
}

}  // namespace topo::ui
