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
inline constexpr const wchar_t* kHistoryFormLayout = L"THISTORYFORM";
inline constexpr const wchar_t* kProgressFormLayout = L"TPROGRESSFORM";

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

// What screen readers are told beside the nodes' own names.
inline constexpr UINT kStrAccARNode = 65500;             // an AR box
inline constexpr UINT kStrAccASNode = 65501;             // an AS box of AR node "%s"
inline constexpr UINT kStrAccInstanceSeparator = 65502;  // between instance numbers
inline constexpr UINT kStrAccResultTable = 65503;        // the status dialog's grid

// The event history and the box details: the name of event kind k is
// kStrEventKinds + k; each label ends where its value follows.
inline constexpr UINT kStrEventKinds = 65400;  // to 65414
inline constexpr UINT kStrAllKinds = 65415;
inline constexpr UINT kStrColumnTime = 65416;
inline constexpr UINT kStrColumnEvent = 65417;
inline constexpr UINT kStrColumnNode = 65418;
inline constexpr UINT kStrColumnDetails = 65419;
inline constexpr UINT kStrStarted = 65420;
inline constexpr UINT kStrStopped = 65421;
inline constexpr UINT kStrInstance = 65422;
inline constexpr UINT kStrAnswer = 65423;
inline constexpr UINT kStrActor = 65424;
inline constexpr UINT kStrFailures = 65425;
inline constexpr UINT kStrUpperAR = 65426;
inline constexpr UINT kStrARNode = 65427;
inline constexpr UINT kStrAccepted = 65428;
inline constexpr UINT kStrRunning = 65429;
inline constexpr UINT kStrNoneRunning = 65430;
inline constexpr UINT kStrLinks = 65431;
inline constexpr UINT kStrLinkUp = 65432;
inline constexpr UINT kStrLinkDown = 65433;
inline constexpr UINT kStrLastChange = 65434;
inline constexpr UINT kStrHistory = 65435;  // the toolbar's button
inline constexpr UINT kStrMute = 65436;
// The progress window of a command on all instances: its caption, and per
// command the line "%s" (the node) "%d/%d" (this instance's place, how many).
inline constexpr UINT kStrProgress = 65437;
inline constexpr UINT kStrProgressStart = 65438;
inline constexpr UINT kStrProgressStop = 65439;
inline constexpr UINT kStrProgressRestart = 65440;
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

// Where a window added after the first release takes its layout from: the
// resource file when it has that layout, else the plug-in itself, so that a
// resource file made before the window does not take the window away.
inline HMODULE LayoutSource(HMODULE resources, HMODULE self, const wchar_t* name) {
  return resources && FindResourceW(resources, name, kLayoutResourceType) ? resources : self;
}

// A string of the table, empty when missing.
std::wstring LoadPluginString(HMODULE source, UINT id);
// The same as code page 936 bytes, the plug-in's own text type.
std::string LoadPluginStringCp936(HMODULE source, UINT id);

}  // namespace topo::bridge
