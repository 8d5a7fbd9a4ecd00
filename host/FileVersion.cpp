// Reads a version resource through the version API; the block comes back as
// one buffer, and VerQueryValueW points into it.
#include "host/FileVersion.h"

#include <windows.h>

#include <cstdio>
#include <cwchar>
#include <vector>

namespace arhost {
namespace {

std::wstring Text(std::vector<char>& block, const wchar_t* textBlock, const wchar_t* name) {
  const std::wstring path = std::wstring(L"\\StringFileInfo\\") + textBlock + L"\\" + name;
  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(block.data(), path.c_str(), &value, &length) || !value) return {};
  // The length is in characters and may or may not count the closing zero.
  const auto* text = static_cast<const wchar_t*>(value);
  return std::wstring(text, wcsnlen(text, length));
}

}  // namespace

std::optional<FileVersion> ReadFileVersion(const std::wstring& path) {
  DWORD ignored = 0;
  const DWORD size = GetFileVersionInfoSizeW(path.c_str(), &ignored);
  if (size == 0) return std::nullopt;
  std::vector<char> block(size);
  if (!GetFileVersionInfoW(path.c_str(), 0, size, block.data())) return std::nullopt;

  void* value = nullptr;
  UINT length = 0;
  if (!VerQueryValueW(block.data(), L"\\", &value, &length) || length < sizeof(VS_FIXEDFILEINFO))
    return std::nullopt;
  const auto* fixed = static_cast<const VS_FIXEDFILEINFO*>(value);
  FileVersion v;
  v.fixedFile = {HIWORD(fixed->dwFileVersionMS), LOWORD(fixed->dwFileVersionMS),
                 HIWORD(fixed->dwFileVersionLS), LOWORD(fixed->dwFileVersionLS)};
  v.fixedProduct = {HIWORD(fixed->dwProductVersionMS), LOWORD(fixed->dwProductVersionMS),
                    HIWORD(fixed->dwProductVersionLS), LOWORD(fixed->dwProductVersionLS)};
  v.fileType = fixed->dwFileType;

  // Each translation is a language id and a code page, 16 bits each; the
  // text block's name is the two as eight hex digits.
  if (!VerQueryValueW(block.data(), L"\\VarFileInfo\\Translation", &value, &length) || length < 4)
    return v;
  const auto* translation = static_cast<const WORD*>(value);
  v.language = translation[0];
  wchar_t textBlock[9];
  std::swprintf(textBlock, 9, L"%04x%04x", translation[0], translation[1]);
  v.fileVersion = Text(block, textBlock, L"FileVersion");
  v.productVersion = Text(block, textBlock, L"ProductVersion");
  v.originalFilename = Text(block, textBlock, L"OriginalFilename");
  v.description = Text(block, textBlock, L"FileDescription");
  return v;
}

}  // namespace arhost
