// PopupMenu: a popup menu whose entries (caption, tag, handler), separators
// and sub-menus are built, and rebuilt, at run time; the chosen entry's
// handler runs with its tag. Traps it avoids: a sub-menu handle belongs to
// the menu it is inserted in (destroying both would free it twice), command
// ids must stay unique across the whole tree, and a handler must not run
// from inside TrackPopupMenu's own message loop.
#pragma once

#include <windows.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "win32/GdiHandles.h"

namespace topo::ui {

class PopupMenu {
 public:
  using Handler = std::function<void(int tag)>;

  PopupMenu();  // an empty top-level popup menu
  PopupMenu(const PopupMenu&) = delete;
  PopupMenu& operator=(const PopupMenu&) = delete;
  ~PopupMenu();

  HMENU Handle() const { return menu_; }

 private:
  struct SubMenuKey {};  // only a menu makes its sub-menus

 public:
  PopupMenu(SubMenuKey, HMENU menu, UINT* nextId);

  // Removes every entry, separator and sub-menu (sub-menus are destroyed).
  void Clear();
  // Removes what lies at menu position `keep` and after, keeping the first
  // entries (and their handlers) as they are.
  void Truncate(int keep);
  // Appends an entry; its command id is returned. A menu item's data holds
  // the tag, so it can be read back from the menu itself.
  UINT Add(const std::wstring& caption, int tag, Handler handler);
  void AddSeparator();
  // Appends a sub-menu and returns it; it lives until Clear or destruction.
  PopupMenu& AddSubMenu(const std::wstring& caption);

  // Shows the menu at a screen point for owner and runs the chosen entry's
  // handler after the menu has closed. Returns whether one was chosen.
  bool Popup(HWND owner, POINT screen);
  // Runs the handler of the entry with this command id, in this menu or a
  // sub-menu (what choosing it does). Returns whether there is one.
  bool Invoke(UINT commandId) const;

 private:
  struct Entry {
    UINT id;
    int tag;
    Handler handler;
  };
  const Entry* Find(UINT commandId) const;

  win32::MenuHandle owned_;  // only the top-level menu owns its handle
  HMENU menu_;
  UINT ownNextId_ = 1;
  UINT* nextId_;  // shared by the whole tree
  std::vector<Entry> entries_;
  std::vector<std::unique_ptr<PopupMenu>> subMenus_;
};

}  // namespace topo::ui
