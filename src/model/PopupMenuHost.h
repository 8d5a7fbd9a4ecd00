// The node menu as the model sees it: a right click's release on a box selects
// it and then asks the window, through this port, to rebuild the server
// sub-menus and pop the menu up. The core thereby decides when the menu opens
// without naming a menu API.
#pragma once

#include "model/Geometry.h"

namespace topo {

// What MouseUp needs of the window: the menu rebuild and the popup itself.
class PopupMenuHost {
 public:
  virtual ~PopupMenuHost() = default;
  virtual TPoint ClientToScreen(TPoint client) = 0;
  virtual void BuildServerMenus() = 0;
  virtual void Popup(TPoint screen) = 0;
};

}  // namespace topo
