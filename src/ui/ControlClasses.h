// Class names of the windows of our own that a layout can create (panels and
// tab sheets, the text grid). The builder registers them, and focus navigation
// tells them apart by these names, as it does the system's classes.
#pragma once

namespace topo::ui {

inline constexpr const wchar_t* kPanelClass = L"TopoPanel";
inline constexpr const wchar_t* kTabSheetClass = L"TopoTabSheet";
inline constexpr const wchar_t* kStringGridClass = L"TopoStringGrid";

}  // namespace topo::ui
