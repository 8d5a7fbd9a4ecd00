// Every lookup of the plug-in's own layouts and strings goes through here, in
// the module the window's services name (ModuleServices::ResourceSource), so
// that a resource file given to BizInit replaces them all at once. The sounds
// are not looked up here: they always come from the plug-in file itself.
#pragma once

#include <windows.h>

#include <string>

#include "ui/FormLayout.h"

namespace topo::bridge {

// Type of the custom resources that hold window layouts (text, see FormLayout.h).
inline constexpr const wchar_t* kLayoutResourceType = L"LAYOUT";

// Names of the window layouts.
inline constexpr const wchar_t* kBizFormBaseLayout = L"BIZFORMBASE";
inline constexpr const wchar_t* kMainFormLayout = L"TMAINFORM";
inline constexpr const wchar_t* kFormStatusLayout = L"TFORMSTATUS";

// Ids of the string table.
inline constexpr UINT kStrOk = 65520;
inline constexpr UINT kStrCancel = 65521;
inline constexpr UINT kStrPleaseEnter = 65522;
inline constexpr UINT kStrStartupPassword = 65523;
inline constexpr UINT kStrPrompt = 65524;
inline constexpr UINT kStrRefusedRemoval = 65525;
inline constexpr UINT kStrChooseInstance = 65526;
inline constexpr UINT kStrChooseFunction = 65527;
inline constexpr UINT kStrErrorReturned = 65528;

// The raw bytes of a window layout. A source that lacks it is an error (no
// second lookup in the plug-in file): throws std::runtime_error naming it.
std::string LoadLayoutText(HMODULE source, const wchar_t* name);

// A window layout parsed; its errors name the layout and the line.
ui::FormLayout LoadFormLayout(HMODULE source, const wchar_t* name);

// A string of the table, empty when missing.
std::wstring LoadPluginString(HMODULE source, UINT id);
// The same as code page 936 bytes, the plug-in's own text type.
std::string LoadPluginStringCp936(HMODULE source, UINT id);

}  // namespace topo::bridge
