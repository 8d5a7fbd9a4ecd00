// Screenshots of the host's frame window as PNG files, with text chunks that
// say where the client area and the plug-in window lie, the host's
// background colour and how many requests the host has answered, so that the
// end-to-end checks need no guessing.
#pragma once

#include <windows.h>

#include <cstddef>
#include <optional>
#include <string>

#include "host/Png.h"

namespace arhost {

// The window's own pixels, its children's, and the visible windows it owns
// (the plug-in's dialogs), as they are on the screen.
std::optional<Image> CaptureWindow(HWND window);

// "out/demo.png" and 3 give "out/demo-3.png".
std::wstring SeriesPath(const std::wstring& path, int n);

struct ShotWindows {
  HWND frame = nullptr;
  HWND client = nullptr;
  HWND plugin = nullptr;  // may be gone
};

// False, after saying why, when the frame cannot be captured or the file written.
bool WriteScreenshot(const std::wstring& path, const ShotWindows& windows, COLORREF background,
                     size_t requests);

}  // namespace arhost
