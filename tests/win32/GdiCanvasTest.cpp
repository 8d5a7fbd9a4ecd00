// The diagram drawn by real GDI into a memory DC and read back pixel by pixel:
// the scenes shared with the native raster canvas (box rows and markers,
// labels, dotted against solid links, the arrowhead, a clipped repaint
// matching a full one), the pen the drawing leaves behind, and text measured
// in UTF-16.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <string>

#include "DrawingScenes.h"
#include "model/Nodes.h"
#include "win32/GdiCanvas.h"
#include "win32/GdiHandles.h"

namespace topo::win32 {
namespace {

using test::RasterCanvas;
using OwnedObject = GdiObject<HGDIOBJ>;

// A top-down 32-bit DIB selected into its own memory DC, in the raster
// canvas's paper, with its brush, its ink as the text colour and the window
// font, as a paint would have.
class MemoryCanvas {
 public:
  MemoryCanvas(int width, int height) : width_(width), dc_(nullptr) {
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_.Reset(CreateDIBSection(dc_.Get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    bits_ = static_cast<const uint32_t*>(bits);
    brush_.Reset(CreateSolidBrush(RasterCanvas::kBrush));
    font_.Reset(CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                            OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY,
                            DEFAULT_PITCH, L"MS Sans Serif"));
    EXPECT_TRUE(dc_.Get() && bitmap_ && bits_ && brush_ && font_) << "memory DC not created";
    oldBitmap_ = SelectObject(dc_.Get(), bitmap_.Get());
    RECT all{0, 0, width, height};
    FillRect(dc_.Get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    oldBrush_ = SelectObject(dc_.Get(), brush_.Get());
    oldFont_ = SelectObject(dc_.Get(), font_.Get());
    SetTextColor(dc_.Get(), RasterCanvas::kInk);
  }
  ~MemoryCanvas() {
    SelectObject(dc_.Get(), oldFont_);
    SelectObject(dc_.Get(), oldBrush_);
    SelectObject(dc_.Get(), oldBitmap_);
  }
  MemoryCanvas(const MemoryCanvas&) = delete;
  MemoryCanvas& operator=(const MemoryCanvas&) = delete;

  HDC Dc() const { return dc_.Get(); }
  uint8_t Draw(const TARNodeList& list, bool displayLinks) {
    GdiCanvas canvas(dc_.Get());
    return list.DrawDiagram(canvas, {0, 0}, displayLinks);
  }
  void Clip(const TRect& clip) {
    OwnedObject region(CreateRectRgn(clip.Left, clip.Top, clip.Right, clip.Bottom));
    SelectClipRgn(dc_.Get(), static_cast<HRGN>(region.Get()));
    EXPECT_EQ(GdiCanvas(dc_.Get()).ClipBox(), clip);
  }
  // In the 0x00BBGGRR layout of the model's colours.
  TColor At(int x, int y) const {
    if (!bits_) return 0;
    GdiFlush();
    const uint32_t p = bits_[static_cast<size_t>(y) * static_cast<size_t>(width_) + x];
    return Rgb(static_cast<uint8_t>(p >> 16), static_cast<uint8_t>(p >> 8),
               static_cast<uint8_t>(p));
  }

 private:
  int width_;
  MemoryDc dc_;
  OwnedObject bitmap_;
  OwnedObject brush_;
  OwnedObject font_;
  const uint32_t* bits_ = nullptr;
  HGDIOBJ oldBitmap_ = nullptr;
  HGDIOBJ oldBrush_ = nullptr;
  HGDIOBJ oldFont_ = nullptr;
};

class GdiScenes : public ::testing::TestWithParam<test::DrawingScene> {};

TEST_P(GdiScenes, PixelsAsOnTheRasterCanvas) { test::ExpectScene<MemoryCanvas>(GetParam()); }

INSTANTIATE_TEST_SUITE_P(Drawing, GdiScenes, ::testing::ValuesIn(test::DrawingScenes()),
                         test::SceneName);

TEST(GdiCanvasTest, ClippedRepaintDrawsTheSamePixelsInsideTheClip) {
  test::ExpectClippedRepaintsMatch<MemoryCanvas>();
}

TEST(GdiCanvasTest, PenAndBackgroundAreLeftAsFound) {
  TARNodeList list;
  const int32_t a = test::AddAR(list, "a", 0, {20, 100, 120, 117}, 1);
  test::AddAR(list, "b", 1, {200, 20, 300, 37});
  test::AddParent(list, a, "b", 1);
  test::AddAS(list, a, "s", 1, {200, 200, 300, 217}, 1);
  MemoryCanvas memory(test::kSceneWidth, test::kSceneHeight);
  HGDIOBJ pen = GetCurrentObject(memory.Dc(), OBJ_PEN);
  const COLORREF background = GetBkColor(memory.Dc());
  {
    GdiCanvas canvas(memory.Dc());
    EXPECT_EQ(list.DrawDiagram(canvas, {0, 0}, true), 1);
    EXPECT_EQ(GetCurrentObject(memory.Dc(), OBJ_PEN), pen);  // colour and style restored
    EXPECT_EQ(canvas.PenColor(), kBlack);
    canvas.SetPenColor(kRed);
    EXPECT_NE(GetCurrentObject(memory.Dc(), OBJ_PEN), pen);
  }
  EXPECT_EQ(GetCurrentObject(memory.Dc(), OBJ_PEN), pen);
  EXPECT_EQ(GetBkColor(memory.Dc()), background);
}

TEST(GdiCanvasTest, ChineseTextIsMeasuredAsUtf16) {
  MemoryCanvas memory(10, 10);
  GdiCanvas canvas(memory.Dc());
  const std::string name = "\xD6\xD0\xCE\xC4";  // two characters in code page 936
  SIZE size{};
  ASSERT_TRUE(GetTextExtentPoint32W(memory.Dc(), L"\x4E2D\x6587", 2, &size));
  EXPECT_EQ(canvas.TextWidth(name), size.cx);
  EXPECT_GT(size.cx, 0);
  EXPECT_EQ(canvas.TextWidth(""), 0);
}

}  // namespace
}  // namespace topo::win32
