// The bodies of the four exports (the unit once called RiziZevEntry): the
// exports in dll/Exports.cpp are thin wrappers around these, and the Wine
// tests call them directly with a module state of their own.
#pragma once

#include <unknwn.h>
#include <windows.h>

#include <functional>

#include "plugin/ModuleState.h"

namespace topo::plugin {

inline constexpr int kTopologyFunction = 3101;

// BizEntry without the exception guard: lets failures out as exceptions.
HWND EntryUnguarded(TModuleState& module, int functionNo, HWND parentWindow, HWND notifyWindow,
                    IUnknown* host, int showExisting);

// BizEntry's body with the boundary guard: any exception is shown to the
// operator and gives 0.
HWND GuardedEntry(TModuleState& module, int functionNo, HWND parentWindow, HWND notifyWindow,
                  IUnknown* host, int showExisting) noexcept;

// Runs body; an exception that escapes it is shown to the operator instead of
// crossing the boundary. Returns false when that happened.
bool RunGuarded(const std::function<void()>& body, HWND fallbackOwner = nullptr) noexcept;

// The identification the host asks for: "Delphi" with its zero, 327680, 393234.
void GetDevInfo(char* buffer, int* info1, int* info2) noexcept;

}  // namespace topo::plugin
