// The diagram drawn by real GDI into a memory DC and read back pixel by pixel:
// box rows and markers, dotted against solid links, the arrowhead, the pen the
// drawing leaves behind, and a clipped repaint matching a full one.
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdint>
#include <memory>
#include <string>
#include <type_traits>

#include "DiagramBuilders.h"
#include "model/Nodes.h"
#include "win32/GdiCanvas.h"
#include "win32/GdiHandles.h"

namespace topo::win32 {
namespace {

constexpr TColor kWhite = Rgb(255, 255, 255);
constexpr TColor kFace = Rgb(192, 192, 192);
constexpr TColor kText = Rgb(0, 0, 128);

struct DcDeleter {
  void operator()(HDC dc) const { DeleteDC(dc); }
};
using OwnedDc = std::unique_ptr<std::remove_pointer_t<HDC>, DcDeleter>;
using test::AddAR;
using test::AddAS;
using test::AddParent;
using test::Flags;
using test::RandomDiagram;
using OwnedObject = GdiObject<HGDIOBJ>;

// A top-down 32-bit DIB selected into its own memory DC, white, with a
// button-face brush, a dark text colour and the window font, as a paint would have.
class MemoryCanvas {
 public:
  MemoryCanvas(int width, int height) : width_(width), height_(height) {
    dc_.reset(CreateCompatibleDC(nullptr));
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = -height;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_.Reset(CreateDIBSection(dc_.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    bits_ = static_cast<const uint32_t*>(bits);
    brush_.Reset(CreateSolidBrush(kFace));
    font_.Reset(CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                            OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, NONANTIALIASED_QUALITY,
                            DEFAULT_PITCH, L"MS Sans Serif"));
    oldBitmap_ = SelectObject(dc_.get(), bitmap_.Get());
    RECT all{0, 0, width, height};
    FillRect(dc_.get(), &all, static_cast<HBRUSH>(GetStockObject(WHITE_BRUSH)));
    oldBrush_ = SelectObject(dc_.get(), brush_.Get());
    oldFont_ = SelectObject(dc_.get(), font_.Get());
    SetTextColor(dc_.get(), kText);
  }
  ~MemoryCanvas() {
    SelectObject(dc_.get(), oldFont_);
    SelectObject(dc_.get(), oldBrush_);
    SelectObject(dc_.get(), oldBitmap_);
  }
  MemoryCanvas(const MemoryCanvas&) = delete;
  MemoryCanvas& operator=(const MemoryCanvas&) = delete;

  bool Ready() const { return dc_ && bitmap_ && bits_ && brush_ && font_; }
  HDC Dc() const { return dc_.get(); }
  void Clip(const RECT& rect) {
    OwnedObject region(CreateRectRgn(rect.left, rect.top, rect.right, rect.bottom));
    SelectClipRgn(dc_.get(), static_cast<HRGN>(region.Get()));
  }
  // In the 0x00BBGGRR layout of the model's colours.
  TColor At(int x, int y) const {
    GdiFlush();
    const uint32_t p = bits_[static_cast<size_t>(y) * static_cast<size_t>(width_) + x];
    return Rgb(static_cast<uint8_t>(p >> 16), static_cast<uint8_t>(p >> 8),
               static_cast<uint8_t>(p));
  }
  static char Code(TColor color) {
    switch (color) {
      case kBlack:
        return 'k';
      case kBlue:
        return 'b';
      case kGreen:
        return 'g';
      case kRed:
        return 'r';
      case kYellow:
        return 'y';
      case kWhite:
        return '.';
      case kFace:
        return '_';
      case kText:
        return 't';
      default:
        return '?';
    }
  }
  std::string Row(int y, int x0, int x1) const {
    std::string row;
    for (int x = x0; x < x1; ++x) row += Code(At(x, y));
    return row;
  }
  std::string Column(int x, int y0, int y1) const {
    std::string column;
    for (int y = y0; y < y1; ++y) column += Code(At(x, y));
    return column;
  }
  int width() const { return width_; }
  int height() const { return height_; }

 private:
  int width_;
  int height_;
  OwnedDc dc_;
  OwnedObject bitmap_;
  OwnedObject brush_;
  OwnedObject font_;
  const uint32_t* bits_ = nullptr;
  HGDIOBJ oldBitmap_ = nullptr;
  HGDIOBJ oldBrush_ = nullptr;
  HGDIOBJ oldFont_ = nullptr;
};

uint8_t Draw(const TARNodeList& list, MemoryCanvas& target, bool displayLinks = true) {
  GdiCanvas canvas(target.Dc());
  return list.DrawDiagram(canvas, {0, 0}, displayLinks);
}

class GdiCanvasTest : public ::testing::Test {
 protected:
  void SetUp() override { ASSERT_TRUE(memory_.Ready()) << "memory DC not created"; }
  TARNodeList list_;
  MemoryCanvas memory_{400, 300};
};

TEST_F(GdiCanvasTest, ARBoxOutlineSeparatorStatusBarAndYellowEdge) {
  AddAR(list_, "a", 2, {20, 30, 120, 47}, 1);
  EXPECT_EQ(Draw(list_, memory_), 0);
  EXPECT_EQ(memory_.Row(30, 19, 121), "." + std::string(98, 'k') + "yy.");
  EXPECT_EQ(memory_.Row(42, 19, 121), "." + std::string(98, 'b') + "yy.");
  EXPECT_EQ(memory_.Row(45, 19, 121), ".k" + std::string(97, '_') + "yy.");
  EXPECT_EQ(memory_.Row(46, 19, 121), "." + std::string(100, 'g') + ".");
  EXPECT_EQ(memory_.Row(47, 19, 121), "." + std::string(100, 'g') + ".");
  EXPECT_EQ(memory_.Row(48, 19, 121), std::string(102, '.'));
  EXPECT_EQ(memory_.Column(119, 29, 49), ".yyyyyyyyyyyyyyyygg.");
  EXPECT_EQ(memory_.Column(118, 29, 49), ".yyyyyyyyyyyyyyyygg.");
  EXPECT_EQ(memory_.Column(20, 29, 49), ".kkkkkkkkkkkkbkkkgg.");
  EXPECT_EQ(memory_.Column(21, 29, 49), ".k___________b___gg.");
}

TEST_F(GdiCanvasTest, ASBoxDownHasARedBarAndNoSeparator) {
  const int32_t ar = AddAR(list_, "a", 1, {300, 200, 400, 217});
  AddAS(list_, ar, "s", 0, {20, 30, 120, 47});
  Draw(list_, memory_, false);
  EXPECT_EQ(memory_.Row(42, 19, 121), ".k" + std::string(98, '_') + "k.");
  EXPECT_EQ(memory_.Row(46, 19, 121), "." + std::string(100, 'r') + ".");
  EXPECT_EQ(memory_.Row(47, 19, 121), "." + std::string(100, 'r') + ".");
  EXPECT_EQ(memory_.Column(119, 29, 49), ".kkkkkkkkkkkkkkkkrr.");
}

TEST_F(GdiCanvasTest, LabelIsOpaqueCentredAndCutAtTheBoxEdge) {
  AddAR(list_, "a", 1, {20, 30, 120, 47});
  AddAR(list_, std::string(60, 'W'), 1, {20, 100, 120, 117});
  Draw(list_, memory_, false);
  auto inkIn = [this](int x0, int x1, int y0, int y1) {
    int ink = 0;
    for (int y = y0; y < y1; ++y)
      for (int x = x0; x < x1; ++x) ink += memory_.At(x, y) == kText;
    return ink;
  };
  // The short label sits in the middle, with face colour on both sides.
  EXPECT_EQ(inkIn(21, 50, 31, 42), 0);
  EXPECT_GT(inkIn(50, 90, 31, 42), 0);
  EXPECT_EQ(inkIn(90, 119, 31, 42), 0);
  // The long one starts at the left edge and reaches the right one, no further.
  EXPECT_GT(inkIn(21, 30, 101, 112), 0);
  EXPECT_GT(inkIn(105, 119, 101, 112), 0);
  EXPECT_EQ(inkIn(119, 200, 95, 125), 0);
  EXPECT_EQ(memory_.Column(120, 100, 118), std::string(18, '.'));
}

TEST_F(GdiCanvasTest, SolidAndDottedLinesWithSolidArrowheads) {
  const int32_t a = AddAR(list_, "a", 1, {100, 200, 200, 217});
  AddAR(list_, "b", 1, {300, 40, 400, 57});
  AddParent(list_, a, "b", 1);
  const int32_t c = AddAR(list_, "c", 1, {0, 40, 100, 57});
  AddAR(list_, "d", 0, {130, 40, 230, 57});
  AddParent(list_, c, "d", 1);
  EXPECT_EQ(Draw(list_, memory_), 1);

  // Active: A below B, 2 pixels left of the centres.
  EXPECT_EQ(memory_.Column(148, 129, 200), std::string(71, 'k'));
  EXPECT_EQ(memory_.Row(128, 148, 349), std::string(201, 'k'));
  EXPECT_EQ(memory_.Row(63, 345, 352), ".kkkkk.");
  EXPECT_EQ(memory_.Row(60, 346, 351), ".k_k.");  // filled with the brush over the line
  EXPECT_EQ(memory_.Column(348, 56, 58), "gg");   // the tip is under B's status bar
  EXPECT_EQ(memory_.Row(64, 345, 352), "...k...");

  // Inactive: side by side, 7 pixels beside the centres, 7 below the bottoms.
  const std::string bottom = memory_.Row(64, 57, 174);
  EXPECT_NE(bottom.find('k'), std::string::npos) << bottom;
  EXPECT_NE(bottom.find_first_not_of('k'), std::string::npos) << bottom;
  EXPECT_EQ(bottom.find_first_not_of("k_"), std::string::npos) << bottom;  // gaps in face colour
  EXPECT_EQ(memory_.Row(63, 170, 177), ".kkkkk.");                         // solid arrowhead base
  EXPECT_EQ(memory_.Row(65, 50, 180), std::string(130, '.'));
}

TEST_F(GdiCanvasTest, PenAndBackgroundAreLeftAsFound) {
  const int32_t a = AddAR(list_, "a", 0, {20, 100, 120, 117}, 1);
  AddAR(list_, "b", 1, {200, 20, 300, 37});
  AddParent(list_, a, "b", 1);
  AddAS(list_, a, "s", 1, {200, 200, 300, 217}, 1);
  HGDIOBJ pen = GetCurrentObject(memory_.Dc(), OBJ_PEN);
  const COLORREF background = GetBkColor(memory_.Dc());
  {
    GdiCanvas canvas(memory_.Dc());
    EXPECT_EQ(list_.DrawDiagram(canvas, {0, 0}, true), 1);
    EXPECT_EQ(GetCurrentObject(memory_.Dc(), OBJ_PEN), pen);  // colour and style restored
    EXPECT_EQ(canvas.PenColor(), kBlack);
    canvas.SetPenColor(kRed);
    EXPECT_NE(GetCurrentObject(memory_.Dc(), OBJ_PEN), pen);
  }
  EXPECT_EQ(GetCurrentObject(memory_.Dc(), OBJ_PEN), pen);
  EXPECT_EQ(GetBkColor(memory_.Dc()), background);
}

TEST_F(GdiCanvasTest, ClippedRepaintDrawsTheSamePixelsInsideTheClip) {
  RandomDiagram(list_, 7, 15, 2, 400, 300);
  const uint8_t full = Draw(list_, memory_);
  for (const RECT& clip : {RECT{0, 0, 40, 300}, RECT{150, 120, 230, 150}, RECT{0, 270, 400, 300}}) {
    MemoryCanvas part(400, 300);
    ASSERT_TRUE(part.Ready());
    part.Clip(clip);
    {
      GdiCanvas canvas(part.Dc());
      const TRect box = canvas.ClipBox();
      EXPECT_EQ(box, (TRect{clip.left, clip.top, clip.right, clip.bottom}));
      EXPECT_EQ(list_.DrawDiagram(canvas, {0, 0}, true), full);
    }
    int differences = 0;
    for (int y = 0; y < 300; ++y) {
      for (int x = 0; x < 400; ++x) {
        const bool inside = x >= clip.left && x < clip.right && y >= clip.top && y < clip.bottom;
        const TColor expected = inside ? memory_.At(x, y) : kWhite;
        if (part.At(x, y) != expected && differences++ < 5) {
          ADD_FAILURE() << "pixel (" << x << ", " << y << "): got " << std::hex << part.At(x, y)
                        << ", expected " << expected;
        }
      }
    }
    EXPECT_EQ(differences, 0);
  }
}

TEST_F(GdiCanvasTest, ChineseTextIsMeasuredAsUtf16) {
  GdiCanvas canvas(memory_.Dc());
  const std::string name = "\xD6\xD0\xCE\xC4";  // two characters in code page 936
  SIZE size{};
  ASSERT_TRUE(GetTextExtentPoint32W(memory_.Dc(), L"\x4E2D\x6587", 2, &size));
  EXPECT_EQ(canvas.TextWidth(name), size.cx);
  EXPECT_GT(size.cx, 0);
  EXPECT_EQ(canvas.TextWidth(""), 0);
}

}  // namespace
}  // namespace topo::win32
