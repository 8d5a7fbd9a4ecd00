// Popup menus built at run time.
#include "ui/PopupMenu.h"

#include <algorithm>
#include <stdexcept>
#include <utility>

namespace topo::ui {

PopupMenu::PopupMenu() : owned_(CreatePopupMenu()), menu_(owned_.Get()), nextId_(&ownNextId_) {
  if (!menu_) throw std::runtime_error("a popup menu cannot be created");
}

PopupMenu::PopupMenu(SubMenuKey, HMENU menu, UINT* nextId) : menu_(menu), nextId_(nextId) {}

PopupMenu::~PopupMenu() = default;

void PopupMenu::Clear() {
  // DeleteMenu destroys a sub-menu's handle with its entry.
  while (GetMenuItemCount(menu_) > 0) DeleteMenu(menu_, 0, MF_BYPOSITION);
  entries_.clear();
  subMenus_.clear();
}

void PopupMenu::Truncate(int keep) {
  keep = std::max(keep, 0);
  while (GetMenuItemCount(menu_) > keep) {
    const int last = GetMenuItemCount(menu_) - 1;
    MENUITEMINFOW info{};
    info.cbSize = sizeof info;
    info.fMask = MIIM_ID | MIIM_SUBMENU;
    GetMenuItemInfoW(menu_, static_cast<UINT>(last), TRUE, &info);
    if (info.hSubMenu) {
      subMenus_.erase(
          std::remove_if(subMenus_.begin(), subMenus_.end(),
                         [&](const auto& sub) { return sub->Handle() == info.hSubMenu; }),
          subMenus_.end());
    } else {
      entries_.erase(std::remove_if(entries_.begin(), entries_.end(),
                                    [&](const Entry& e) { return e.id == info.wID; }),
                     entries_.end());
    }
    DeleteMenu(menu_, static_cast<UINT>(last), MF_BYPOSITION);
  }
}

UINT PopupMenu::Add(const std::wstring& caption, int tag, Handler handler) {
  const UINT id = (*nextId_)++;
  MENUITEMINFOW item{};
  item.cbSize = sizeof item;
  item.fMask = MIIM_ID | MIIM_STRING | MIIM_DATA | MIIM_FTYPE;
  item.fType = MFT_STRING;
  item.wID = id;
  item.dwItemData = static_cast<ULONG_PTR>(static_cast<LONG_PTR>(tag));
  item.dwTypeData = const_cast<wchar_t*>(caption.c_str());
  if (!InsertMenuItemW(menu_, static_cast<UINT>(GetMenuItemCount(menu_)), TRUE, &item))
    throw std::runtime_error("a menu entry cannot be added");
  entries_.push_back({id, tag, std::move(handler)});
  return id;
}

void PopupMenu::AddSeparator() { AppendMenuW(menu_, MF_SEPARATOR, 0, nullptr); }

PopupMenu& PopupMenu::AddSubMenu(const std::wstring& caption) {
  win32::MenuHandle sub(CreatePopupMenu());
  if (!sub.Get() || !AppendMenuW(menu_, MF_POPUP | MF_STRING, reinterpret_cast<UINT_PTR>(sub.Get()),
                                 caption.c_str()))
    throw std::runtime_error("a sub-menu cannot be added");
  // From here on the handle belongs to this menu.
  subMenus_.push_back(std::make_unique<PopupMenu>(SubMenuKey{}, sub.Release(), nextId_));
  return *subMenus_.back();
}

const PopupMenu::Entry* PopupMenu::Find(UINT commandId) const {
  for (const Entry& e : entries_)
    if (e.id == commandId) return &e;
  for (const auto& sub : subMenus_)
    if (const Entry* e = sub->Find(commandId)) return e;
  return nullptr;
}

bool PopupMenu::Invoke(UINT commandId) const {
  const Entry* e = Find(commandId);
  if (!e) return false;
  // Copied first: the handler may rebuild this very menu.
  Handler handler = e->handler;
  const int tag = e->tag;
  if (handler) handler(tag);
  return true;
}

bool PopupMenu::Popup(HWND owner, POINT screen) {
  // The owner must be in the foreground, or the menu would not close when
  // the operator clicks elsewhere.
  SetForegroundWindow(owner);
  const UINT chosen = static_cast<UINT>(TrackPopupMenuEx(
      menu_, TPM_RETURNCMD | TPM_RIGHTBUTTON | TPM_NONOTIFY, screen.x, screen.y, owner, nullptr));
  PostMessageW(owner, WM_NULL, 0, 0);
  return chosen != 0 && Invoke(chosen);
}

}  // namespace topo::ui
