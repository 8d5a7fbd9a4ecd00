// A file's version resource, read the way a file's properties in Windows read
// it: the fixed numbers, then the texts of the first language the file lists.
// arhost.exe --version shows its own and a plug-in's with it, and the tests
// check what the build wrote into each file it ships.
#pragma once

#include <array>
#include <optional>
#include <string>

namespace arhost {

struct FileVersion {
  std::array<unsigned, 4> fixedFile{}, fixedProduct{};  // major, minor, patch, build
  unsigned fileType = 0;                                // VFT_DLL, VFT_APP, ...
  unsigned language = 0;                                // of the text block read
  std::wstring fileVersion, productVersion, originalFilename, description;
};

// Empty when the file is missing or has no version resource.
std::optional<FileVersion> ReadFileVersion(const std::wstring& path);

}  // namespace arhost
