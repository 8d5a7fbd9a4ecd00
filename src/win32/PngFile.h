// Saving a picture as a PNG file through the system's imaging component
// (WIC), so the plug-in carries no image library of its own. The encoded
// bytes replace the file in one step (win32/Win32FileStore.h): a failure
// part-way leaves a file that was there as it was.
#pragma once

#include <windows.h>

#include <cstdint>
#include <string>

namespace topo::win32 {

// Pixel rows top down, three bytes a pixel in the order blue, green, red,
// each row stride bytes apart. Failures throw EHostCallError naming the step.
void SavePngFile(const std::wstring& path, int width, int height, int stride,
                 const uint8_t* pixels);

}  // namespace topo::win32
