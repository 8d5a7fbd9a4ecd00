// The topology window's work on large diagrams, through its real messages:
// the find box, the zoom (wheel, keys, hit testing and dragging, kept per
// user), the tidy layout with Ctrl+Z, the keyboard, and the picture export
// decoded through WIC and compared with a 100% paint.
#include <gtest/gtest.h>
#include <wincodec.h>
#include <windows.h>

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>
#include <vector>

#include "MainFormFixture.h"
#include "PressKey.h"
#include "model/Boxes.h"
#include "ui/FocusNavigation.h"
#include "win32/BStr.h"
#include "win32/ComPtr.h"
#include "win32/Cp936.h"
#include "win32/GdiHandles.h"
#include "window/MainForm.h"

namespace topo::test {
namespace {

using window::TMainForm;

constexpr wchar_t kUp[] = L"1,0,0,0,0,0,0,0,0,0";

// The nodes' names in code page 936: 总部AR, 华东AR, 交易网关, 清算.
constexpr char kHQ[] = "\xD7\xDC\xB2\xBF\x41\x52";
constexpr char kEast[] = "\xBB\xAA\xB6\xAB\x41\x52";
constexpr char kGateway[] = "\xBD\xBB\xD2\xD7\xCD\xF8\xB9\xD8";
constexpr char kClearing[] = "\xC7\xE5\xCB\xE3";

struct Place {
  const char* name;  // code page 936
  int32_t x, y;
};

class DiagramNavigationTest : public MainFormFixture {
 protected:
  void SetUp() override {
    MainFormFixture::SetUp();
    // 总部AR heads 华东AR and sh-branch; servers under each.
    Report({{L"\x603B\x90E8"
             L"AR",
             kUp, L"",
             L"\x534E\x4E1C"
             L"AR,sh-branch",
             L"quote-svr,\x4EA4\x6613\x7F51\x5173", L"1;1"},
            {L"\x534E\x4E1C"
             L"AR",
             kUp,
             L"\x603B\x90E8"
             L"AR",
             L"", L"QUOTE-east,\x6E05\x7B97", L"1;1"},
            {L"sh-branch", kUp,
             L"\x603B\x90E8"
             L"AR",
             L"", L"sh-quote", L"1"}});
  }
  TMainForm& Open() {
    TMainForm& f = MainFormFixture::Open();
    UpdateWindow(f.Handle());
    return f;
  }
  // Every box by name: the nodes' names and their servers'.
  static std::map<std::string, ZOrderEntry> Entries(TMainForm& f) {
    std::map<std::string, ZOrderEntry> out;
    for (int32_t k = 0; k < f.Model().ZOrder.Count(); ++k) {
      const ZOrderEntry& e = f.Model().ZOrder.Items(k);
      const TARNode& node = f.Model().Items(e.ARIndex);
      out[e.ASIndex < 0 ? node.Name() : node.SubASs.Items(e.ASIndex).Name()] = e;
    }
    return out;
  }
  static void Arrange(TMainForm& f, const std::vector<Place>& places) {
    const auto entries = Entries(f);
    for (const Place& p : places)
      *BoxOf(f.Model(), entries.at(p.name)) = {p.x, p.y, p.x + 100, p.y + 17};
    InvalidateRect(f.Handle(), nullptr, FALSE);
    UpdateWindow(f.Handle());
  }
  static std::string Selected(TMainForm& f) { return f.Model().SelectedName(); }
  static std::vector<TRect> Boxes(TMainForm& f) {
    std::vector<TRect> out;
    for (int32_t k = 0; k < f.Model().ZOrder.Count(); ++k)
      out.push_back(*BoxOf(f.Model(), f.Model().ZOrder.Items(k)));
    return out;
  }
};

// Two rows of four boxes, 150 pixels apart.
const std::vector<Place> kGrid = {{kHQ, 100, 100},         {kEast, 250, 100},
                                  {"sh-branch", 400, 100}, {"quote-svr", 550, 100},
                                  {kGateway, 100, 200},    {"QUOTE-east", 250, 200},
                                  {kClearing, 400, 200},   {"sh-quote", 550, 200}};

TEST_F(DiagramNavigationTest, FindBoxWalksLatinAndChineseMatchesAndSaysWhenThereIsNone) {
  TMainForm& f = Open();
  Arrange(f, kGrid);
  HWND edit = f.Control(L"edFind");
  HWND panel = f.Control(L"pnFind");
  ASSERT_TRUE(edit && panel);
  EXPECT_EQ(ui::WindowText(f.Control(L"btnFind")), L"\x67E5\x627E");
  PressKey(f.Control(L"btnSaveDatum"), 'F', ui::ssCtrl);
  EXPECT_TRUE(IsWindowVisible(panel));
  EXPECT_EQ(GetFocus(), edit);

  const struct {
    const wchar_t* typed;  // null: a key instead
    WORD key;
    unsigned modifiers;
    const char* selected;
    const wchar_t* status;
  } steps[] = {
      {L"quote", 0, 0, "quote-svr", L"1/3"},  // reading order: top row first
      {nullptr, VK_RETURN, ui::ssNone, "QUOTE-east", L"2/3"},
      {nullptr, VK_RETURN, ui::ssNone, "sh-quote", L"3/3"},
      {nullptr, VK_RETURN, ui::ssNone, "quote-svr", L"1/3"},
      {nullptr, VK_RETURN, ui::ssShift, "sh-quote", L"3/3"},
      {L"\x534E\x4E1C", 0, 0, kEast, L"1/1"},  // 华东
      {L"ar", 0, 0, kEast, L"2/2"},            // typing on keeps the match
      {L"nothing", 0, 0, kEast, L"\x65E0\x5339\x914D"},
  };
  for (const auto& s : steps) {
    if (s.typed)
      SetWindowTextW(edit, s.typed);
    else
      PressKey(edit, s.key, s.modifiers);
    EXPECT_EQ(Selected(f), s.selected) << win32::Cp936FromWide(s.typed ? s.typed : L"key");
    EXPECT_EQ(ui::WindowText(f.Control(L"lbFindStatus")), s.status);
  }
  EXPECT_TRUE(f.KeyboardInUse());
  EXPECT_TRUE(IsWindowVisible(panel));
  PressKey(edit, VK_ESCAPE);
  EXPECT_FALSE(IsWindowVisible(panel));
  EXPECT_NE(GetFocus(), edit);
}

TEST_F(DiagramNavigationTest, ZoomFollowsTheWheelAndKeysHitTestingAndDraggingAndIsKeptPerUser) {
  TMainForm& f = Open();
  Arrange(f, kGrid);
  const POINT mouse{300, 220};
  POINT screen = mouse;
  ClientToScreen(f.Handle(), &screen);
  const auto wheel = [&](int notches, WORD keys) {
    SendMessageW(f.Handle(), WM_MOUSEWHEEL, MAKEWPARAM(keys, notches * WHEEL_DELTA),
                 MAKELPARAM(screen.x, screen.y));
  };
  const TPoint before = *f.View().ToDiagram({mouse.x, mouse.y});
  wheel(1, MK_CONTROL);
  EXPECT_EQ(f.View().Percent(), 125);
  const TPoint after = *f.View().ToDiagram({mouse.x, mouse.y});
  EXPECT_LE(std::abs(after.x - before.x), 1);
  EXPECT_LE(std::abs(after.y - before.y), 1);
  EXPECT_EQ(f.ScrollRange(SB_HORZ), f.View().Scaled(f.UpDownPosition(L"udWidth")));
  EXPECT_EQ(f.CanvasRect(),
            (TRect{0, 0, f.UpDownPosition(L"udWidth"), f.UpDownPosition(L"udHeight")}));
  wheel(-1, 0);  // without Ctrl the wheel scrolls
  EXPECT_EQ(f.View().Percent(), 125);

  // At 200% a click on a box's middle picks it, and a drag moves it by half
  // the pixels the mouse went.
  f.ZoomAbout(200, {0, 0});
  const ZOrderEntry quote = Entries(f).at("QUOTE-east");
  const TRect shown = f.View().ToClient(*BoxOf(f.Model(), quote));
  const int x = (shown.Left + shown.Right) / 2, y = (shown.Top + shown.Bottom) / 2;
  SendMessageW(f.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(x, y));
  SendMessageW(f.Handle(), WM_MOUSEMOVE, MK_LBUTTON, MAKELPARAM(x + 40, y + 20));
  SendMessageW(f.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(x + 40, y + 20));
  EXPECT_EQ(Selected(f), "QUOTE-east");
  EXPECT_EQ(*BoxOf(f.Model(), quote), (TRect{270, 210, 370, 227}));

  PressKey(f.Handle(), '0', ui::ssCtrl);
  RECT client;
  GetClientRect(f.Handle(), &client);
  for (const TRect& box : Boxes(f)) {
    const TRect s = f.View().ToClient(box);
    EXPECT_TRUE(s.Left >= 0 && s.Right <= client.right && s.Top >= 0 && s.Bottom <= client.bottom)
        << "fit leaves a box out at " << f.View().Percent() << "%";
  }
  EXPECT_GT(f.View().Percent(), 100);
  PressKey(f.Handle(), '1', ui::ssCtrl);
  EXPECT_EQ(f.View().Percent(), 100);

  // Kept per user: read back as a small integer; a stored value that is no
  // integer counts as none and stays unless the operator zooms.
  f.ZoomAbout(150, {0, 0});
  DestroyWindow(f.Handle());
  EXPECT_EQ(Stored(personal, L"Zoom").Get().vt, VT_I2);
  EXPECT_EQ(Stored(personal, L"Zoom").Get().iVal, 150);
  EXPECT_EQ(Open().View().Percent(), 150);
  Put(personal, L"Zoom", win32::Variant::String(L"big"));
  TMainForm& again = Open();
  EXPECT_EQ(again.View().Percent(), 100);
  DestroyWindow(again.Handle());
  EXPECT_EQ(Stored(personal, L"Zoom").Get().vt, VT_BSTR);
  EXPECT_TRUE(errors.empty());
}

TEST_F(DiagramNavigationTest, TidyAndReArrangeAreTakenBackByCtrlZ) {
  TMainForm& f = Open();
  Arrange(f, kGrid);
  const std::vector<TRect> grid = Boxes(f);
  EXPECT_EQ(ui::WindowText(f.Control(L"btnTidy")), L"\x6574\x7406");
  SendMessageW(f.Control(L"btnTidy"), BM_CLICK, 0, 0);
  const std::vector<TRect> tidy = Boxes(f);
  EXPECT_NE(tidy, grid);
  for (size_t i = 0; i < tidy.size(); ++i)
    for (size_t j = i + 1; j < tidy.size(); ++j) EXPECT_FALSE(Overlaps(tidy[i], tidy[j]));
  // The servers under their node, the nodes under theirs.
  const auto entries = Entries(f);
  const auto top = [&](const char* name) { return BoxOf(f.Model(), entries.at(name))->Top; };
  EXPECT_LT(top(kHQ), top(kEast));
  EXPECT_LT(top(kEast), top("QUOTE-east"));
  EXPECT_LT(top("sh-branch"), top("sh-quote"));

  PressKey(f.Control(L"btnSaveDatum"), 'Z', ui::ssCtrl);
  EXPECT_EQ(Boxes(f), grid);
  PressKey(f.Control(L"btnSaveDatum"), 'Z', ui::ssCtrl);  // nothing more to take back
  EXPECT_EQ(Boxes(f), grid);
  SendMessageW(f.Control(L"btnReLocate"), BM_CLICK, 0, 0);
  EXPECT_NE(Boxes(f), grid);
  PressKey(f.Handle(), 'Z', ui::ssCtrl);
  EXPECT_EQ(Boxes(f), grid);
  EXPECT_EQ(GetFileAttributesW(win32::WideFromCp936(f.DatumPath()).c_str()),
            INVALID_FILE_ATTRIBUTES)
      << "the baseline changed without the operator saving it";
}

// Counts the popup menus the thread shows and closes each at once.
struct MenuWatch {
  static void CALLBACK Tick(HWND, UINT, UINT_PTR, DWORD) {
    EnumThreadWindows(GetCurrentThreadId(), Close, 0);
  }
  static BOOL CALLBACK Close(HWND w, LPARAM) {
    wchar_t cls[16] = L"";
    GetClassNameW(w, cls, 16);
    if (IsWindowVisible(w) && lstrcmpW(cls, L"#32768") == 0) {
      GetWindowRect(w, &shownAt);
      ++shown;
      EndMenu();
    }
    return TRUE;
  }
  MenuWatch() : timer(SetTimer(nullptr, 0, 30, Tick)) { shown = 0; }
  ~MenuWatch() { KillTimer(nullptr, timer); }
  UINT_PTR timer;
  static inline int shown = 0;
  static inline RECT shownAt{};
};

TEST_F(DiagramNavigationTest, KeyboardSelectsMovesAndOpensTheNodeMenu) {
  TMainForm& f = Open();
  Arrange(f, kGrid);
  SelectBox(f.Model(), Entries(f).at(kHQ));
  HWND focus = f.Control(L"btnSaveDatum");
  const struct {
    WORD key;
    unsigned modifiers;
    const char* selected;
    TPoint corner;  // of the selected box afterwards
  } steps[] = {
      {VK_RIGHT, ui::ssCtrl, kEast, {250, 100}},
      {VK_RIGHT, ui::ssCtrl, "sh-branch", {400, 100}},
      {VK_DOWN, ui::ssCtrl, kClearing, {400, 200}},
      {VK_LEFT, ui::ssCtrl, "QUOTE-east", {250, 200}},
      {VK_UP, ui::ssCtrl, kEast, {250, 100}},
      {VK_UP, ui::ssCtrl, kEast, {250, 100}},  // nothing above
      {VK_DOWN, ui::ssCtrl | ui::ssShift, kEast, {250, 110}},
      {VK_LEFT, ui::ssCtrl | ui::ssShift | ui::ssAlt, kEast, {249, 110}},
      {VK_DOWN, ui::ssShift, kEast, {249, 110}},  // no Ctrl: not the diagram's
  };
  for (const auto& s : steps) {
    PressKey(focus, s.key, s.modifiers);
    EXPECT_EQ(Selected(f), s.selected) << s.key << "/" << s.modifiers;
    const TRect& box = *BoxOf(f.Model(), f.Model().ZOrder.Items(0));
    EXPECT_EQ((TPoint{box.Left, box.Top}), s.corner) << s.key << "/" << s.modifiers;
    focus = f.Control(L"btnSaveDatum");
  }
  EXPECT_TRUE(f.KeyboardInUse());

  // Shift+F10 and the menu key open the node menu at the selected box.
  MenuWatch watch;
  PressKey(f.Handle(), VK_F10, ui::ssShift);
  SendMessageW(f.Handle(), WM_CONTEXTMENU, reinterpret_cast<WPARAM>(f.Handle()), -1);
  EXPECT_EQ(MenuWatch::shown, 2);
  POINT corner{249 - f.View().Scroll().x, 127 - f.View().Scroll().y};
  ClientToScreen(f.Handle(), &corner);
  EXPECT_EQ(MenuWatch::shownAt.left, corner.x);
  EXPECT_EQ(MenuWatch::shownAt.top, corner.y);

  SendMessageW(f.Handle(), WM_LBUTTONDOWN, MK_LBUTTON, MAKELPARAM(5, 400));
  SendMessageW(f.Handle(), WM_LBUTTONUP, 0, MAKELPARAM(5, 400));
  EXPECT_FALSE(f.KeyboardInUse()) << "the mouse took over";
}

// 24-bit rows, three bytes a pixel, no padding.
std::vector<uint8_t> DecodePng(const std::wstring& path, UINT& width, UINT& height) {
  win32::ComPtr<IWICImagingFactory> factory;
  win32::ComPtr<IWICBitmapDecoder> decoder;
  win32::ComPtr<IWICBitmapFrameDecode> frame;
  win32::ComPtr<IWICFormatConverter> converter;
  width = height = 0;
  if (FAILED(CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER,
                              IID_IWICImagingFactory, factory.PutVoid())) ||
      FAILED(factory->CreateDecoderFromFilename(path.c_str(), nullptr, GENERIC_READ,
                                                WICDecodeMetadataCacheOnDemand, decoder.Put())) ||
      FAILED(decoder->GetFrame(0, frame.Put())) || FAILED(frame->GetSize(&width, &height)) ||
      FAILED(factory->CreateFormatConverter(converter.Put())) ||
      FAILED(converter->Initialize(frame.Get(), GUID_WICPixelFormat24bppBGR,
                                   WICBitmapDitherTypeNone, nullptr, 0,
                                   WICBitmapPaletteTypeCustom)))
    return {};
  std::vector<uint8_t> pixels(size_t{width} * height * 3);
  if (FAILED(converter->CopyPixels(nullptr, width * 3, static_cast<UINT>(pixels.size()),
                                   pixels.data())))
    return {};
  return pixels;
}

TEST_F(DiagramNavigationTest, PictureIsTheWholeCanvasAt100WhateverTheZoomAndScroll) {
  TMainForm& f = Open();
  Arrange(f, kGrid);
  SYSTEMTIME when{};
  when.wYear = 2024, when.wMonth = 1, when.wDay = 5, when.wHour = 9, when.wMinute = 8,
  when.wSecond = 7;
  EXPECT_EQ(f.DefaultPictureName(when), L"\x62D3\x6251\x56FE_20240105_090807.png");

  // What the window paints at 100%, unscrolled: its whole client area.
  RECT client;
  GetClientRect(f.Handle(), &client);
  BITMAPINFO info{};
  info.bmiHeader = {
      sizeof info.bmiHeader, client.right, -client.bottom, 1, 24, BI_RGB, 0, 0, 0, 0, 0};
  void* bits = nullptr;
  win32::Bitmap bitmap(CreateDIBSection(nullptr, &info, DIB_RGB_COLORS, &bits, nullptr, 0));
  win32::MemoryDc dc(nullptr);
  {
    win32::SelectedObject selected(dc.Get(), bitmap.Get());
    SendMessageW(f.Handle(), WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc.Get()), PRF_CLIENT);
    GdiFlush();
  }

  f.ZoomAbout(250, {200, 150});
  f.SetScrollPosition(SB_HORZ, 300);
  wchar_t dir[MAX_PATH];
  GetTempPathW(MAX_PATH, dir);
  const std::wstring path = std::wstring(dir) + L"topo-diagram-picture.png";
  DeleteFileW(path.c_str());
  f.SaveDiagramPicture(path);
  UINT width = 0, height = 0;
  const std::vector<uint8_t> png = DecodePng(path, width, height);
  ASSERT_FALSE(png.empty()) << "WIC could not read the picture back";
  EXPECT_EQ(static_cast<int>(width), f.UpDownPosition(L"udWidth"));
  EXPECT_EQ(static_cast<int>(height), f.UpDownPosition(L"udHeight"));
  const int stride = (client.right * 3 + 3) & ~3;
  int differing = 0;
  for (int y = 0; y < client.bottom && y < static_cast<int>(height); ++y)
    for (int x = 0; x < client.right && x < static_cast<int>(width); ++x)
      differing += std::memcmp(&png[(size_t(y) * width + size_t(x)) * 3],
                               static_cast<const uint8_t*>(bits) + y * stride + x * 3, 3) != 0;
  EXPECT_EQ(differing, 0);
  DeleteFileW(path.c_str());
}

}  // namespace
}  // namespace topo::test
