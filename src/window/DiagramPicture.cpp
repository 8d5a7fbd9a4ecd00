// The diagram as a picture: the whole canvas drawn at 100% into a bitmap of
// its own, as a repaint would draw it unscrolled, and saved as PNG through
// the system's imaging component, where the operator chose in the common
// Save As dialog. The window's zoom and scroll do not enter into it.
// The system header needs windows.h before it.
// clang-format off
#include <windows.h>
#include <commdlg.h>
// clang-format on

#include <algorithm>
#include <cstdint>
#include <stdexcept>
#include <string>

#include "bridge/ResourceLookup.h"
#include "win32/Cp936.h"
#include "win32/GdiHandles.h"
#include "win32/PngFile.h"
#include "window/MainForm.h"
#include "window/TextPattern.h"

namespace topo::window {

std::wstring TMainForm::DefaultPictureName(const SYSTEMTIME& time) const {
  return FillPattern(Services().Text(bridge::kStrPictureName),
                     {time.wYear, time.wMonth, time.wDay, time.wHour, time.wMinute, time.wSecond});
}

void TMainForm::SaveDiagramPicture(const std::wstring& path) {
  const TRect canvas = CanvasRect();
  const int width = std::max(1, canvas.Right - canvas.Left);
  const int height = std::max(1, canvas.Bottom - canvas.Top);
  BITMAPINFO info{};
  info.bmiHeader.biSize = sizeof info.bmiHeader;
  info.bmiHeader.biWidth = width;
  info.bmiHeader.biHeight = -height;  // rows top down, as the encoder takes them
  info.bmiHeader.biPlanes = 1;
  info.bmiHeader.biBitCount = 24;
  info.bmiHeader.biCompression = BI_RGB;
  void* bits = nullptr;
  win32::Bitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  win32::MemoryDc dc(nullptr);
  if (!bitmap || !bits || !dc.Get()) throw std::runtime_error("no memory for the picture");
  {
    win32::SelectedObject selected(dc.Get(), bitmap.Get());
    const RECT all{0, 0, width, height};
    FillRect(dc.Get(), &all, GetSysColorBrush(COLOR_BTNFACE));
    PaintDiagram(dc.Get(), TZoomView(100, {canvas.Left, canvas.Top}));
    GdiFlush();
  }
  const int stride = (width * 3 + 3) & ~3;
  win32::SavePngFile(path, width, height, stride, static_cast<const uint8_t*>(bits));
}

void TMainForm::btnExportImageClick() {
  SYSTEMTIME now;
  GetLocalTime(&now);
  std::wstring file = DefaultPictureName(now);
  file.resize(std::max<size_t>(file.size(), MAX_PATH) + 1, L'\0');
  // The table's filter entries are separated by '|'; the dialog wants NULs.
  std::wstring filter = Services().Text(bridge::kStrPngFilter);
  std::replace(filter.begin(), filter.end(), L'|', L'\0');
  filter.append(2, L'\0');
  const std::wstring title = Services().Text(bridge::kStrSavePictureTitle);
  OPENFILENAMEW dialog{};
  dialog.lStructSize = sizeof dialog;
  dialog.hwndOwner = DialogOwner();
  dialog.lpstrFilter = filter.c_str();
  dialog.lpstrFile = file.data();
  dialog.nMaxFile = static_cast<DWORD>(file.size());
  dialog.lpstrTitle = title.empty() ? nullptr : title.c_str();
  dialog.lpstrDefExt = L"png";
  // The baseline and the enabled-server list are written relative to the
  // current folder: the dialog must not change it.
  dialog.Flags =
      OFN_EXPLORER | OFN_OVERWRITEPROMPT | OFN_PATHMUSTEXIST | OFN_NOCHANGEDIR | OFN_HIDEREADONLY;
  if (!GetSaveFileNameW(&dialog)) return;  // cancelled (or no dialog: nothing chosen)
  const std::wstring path(file.c_str());
  try {
    SaveDiagramPicture(path);
  } catch (const std::exception& e) {
    Services().ShowError(FillPattern(Services().Text(bridge::kStrPictureNotSaved), {},
                                     win32::WideFromCp936(e.what())),
                         Handle());
  }
}

}  // namespace topo::window
