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
// The diagram's find, tidy layout and picture.
inline constexpr UINT kStrTidy = 65450;
inline constexpr UINT kStrFind = 65451;
inline constexpr UINT kStrExportImage = 65452;
inline constexpr UINT kStrNoMatch = 65453;
inline constexpr UINT kStrMatchOf = 65454;  // %d/%d
inline constexpr UINT kStrSavePictureTitle = 65455;
inline constexpr UINT kStrPngFilter = 65456;        // entries separated by '|'
inline constexpr UINT kStrPictureName = 65457;      // year, month, day, hour, minute, second
inline constexpr UINT kStrPictureNotSaved = 65458;  // %s: the reason

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
