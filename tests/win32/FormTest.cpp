// The generic form on real windows: images drawn over the form's painting
// with their transparent colour left out (by pixel), a failing paint that is
// reported once and leaves no invalid region behind, modal showing, and the
// dispatch of edit changes and up-down moves.
// commctrl.h needs windows.h first.
// clang-format off
#include <windows.h>
#include <commctrl.h>
// clang-format on
#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <stdexcept>
#include <string>
#include <vector>

#include "DataModule.h"
#include "FakeHost.h"
#include "ui/ExceptionBoundary.h"
#include "ui/Form.h"

namespace topo::test {
namespace {

constexpr COLORREF kFill = RGB(10, 200, 30);

constexpr const char* kLayout = R"(form T
caption "form test"
position 30 30
client 300 200
control button btnOk 200 160 75 21 text="OK"
control edit edN 10 10 40 21 text="1"
control updown udN 50 10 15 21 buddy=edN min=0 max=5 pos=1
control image img 20 60 105 65 bitmap=ERROR_BMP transparent
)";

class TestForm : public ui::Form {
 public:
  explicit TestForm(HMODULE pictures) : Form(ui::ParseFormLayout(kLayout), pictures) {}
  std::function<void()> onShow;
  std::function<void(HDC)> onPaint;
  int paints = 0;

 protected:
  void FormShow() override {
    if (onShow) onShow();
  }
  void FormPaint(HDC dc, const RECT&) override {
    ++paints;
    RECT client;
    GetClientRect(Handle(), &client);
    HBRUSH brush = CreateSolidBrush(kFill);
    FillRect(dc, &client, brush);
    DeleteObject(brush);
    if (onPaint) onPaint(dc);
  }
};

class FormTest : public testing::Test {
 protected:
  void SetUp() override {
    ASSERT_NE(pictures_.Get(), nullptr);
    oldReporter_ = ui::SetErrorReporter([this](HWND window, const std::wstring& text) {
      reports.push_back(text);
      reportWindow = window;
      if (duringReport) duringReport();
    });
    form = std::make_unique<TestForm>(pictures_.Get());
  }
  void TearDown() override {
    form.reset();
    PumpMessages();
    ui::SetErrorReporter(oldReporter_);
  }

  std::vector<std::wstring> reports;
  HWND reportWindow = nullptr;
  std::function<void()> duringReport;
  std::unique_ptr<TestForm> form;

 private:
  DataModule pictures_;
  ui::ErrorReporter oldReporter_;
};

// The form's client area as painted, read back from a 32-bit DIB.
class Printed {
 public:
  explicit Printed(HWND window) {
    RECT client;
    GetClientRect(window, &client);
    BITMAPINFO info{};
    info.bmiHeader = {
        sizeof(BITMAPINFOHEADER), client.right, -client.bottom, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
    dc_ = CreateCompatibleDC(nullptr);
    bitmap_ = CreateDIBSection(dc_, &info, DIB_RGB_COLORS, nullptr, nullptr, 0);
    old_ = SelectObject(dc_, bitmap_);
    SendMessageW(window, WM_PRINTCLIENT, reinterpret_cast<WPARAM>(dc_), PRF_CLIENT);
  }
  Printed(const Printed&) = delete;
  Printed& operator=(const Printed&) = delete;
  ~Printed() {
    SelectObject(dc_, old_);
    DeleteObject(bitmap_);
    DeleteDC(dc_);
  }
  COLORREF At(int x, int y) const { return GetPixel(dc_, x, y); }

 private:
  HDC dc_;
  HBITMAP bitmap_;
  HGDIOBJ old_;
};

TEST_F(FormTest, ImageIsDrawnOverThePaintingWithoutItsTransparentColour) {
  const ui::FormImage* image = form->Image(L"img");
  ASSERT_NE(image, nullptr);
  HDC source = CreateCompatibleDC(nullptr);
  HGDIOBJ old = SelectObject(source, image->Bitmap());
  const COLORREF key = image->TransparentColour();
  int transparent = 0, opaque = 0, wrong = 0;
  {
    Printed shown(form->Handle());
    for (int y = 0; y < 65; ++y) {
      for (int x = 0; x < 105; ++x) {
        const COLORREF pixel = GetPixel(source, x, y);
        const COLORREF expected = pixel == key ? kFill : pixel;
        (pixel == key ? transparent : opaque)++;
        const COLORREF got = shown.At(20 + x, 60 + y);
        if (got != expected && wrong++ < 3)
          ADD_FAILURE() << "at " << x << "," << y << " got " << std::hex << got << " expected "
                        << expected;
      }
    }
    EXPECT_EQ(shown.At(19, 60), kFill) << "drawn outside its bounds";
  }
  SelectObject(source, old);
  DeleteDC(source);
  EXPECT_GT(transparent, 0) << "the picture has no transparent pixel to test";
  EXPECT_GT(opaque, 0);

  form->ShowImage(L"img", false);
  Printed hidden(form->Handle());
  EXPECT_EQ(hidden.At(20 + 52, 60 + 32), kFill) << "a hidden image was drawn";
}

TEST_F(FormTest, FailingPaintIsReportedOnceValidatesAndEndsThePaint) {
  HDC paintDc = nullptr;
  form->onPaint = [&](HDC dc) {
    paintDc = dc;
    throw std::runtime_error("paint failed");
  };
  // A message box runs a message loop: the still failing window is painted
  // again while the report is shown.
  duringReport = [this] {
    InvalidateRect(form->Handle(), nullptr, TRUE);
    UpdateWindow(form->Handle());
  };
  const DWORD gdiBefore = GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS);
  form->Show();
  for (int i = 0; i < 3; ++i) {
    InvalidateRect(form->Handle(), nullptr, TRUE);
    UpdateWindow(form->Handle());
  }
  PumpMessages();
  EXPECT_GE(form->paints, 4);
  ASSERT_EQ(reports.size(), 1u) << "one report for a run of failing paints";
  EXPECT_EQ(reports[0], L"paint failed");
  EXPECT_EQ(reportWindow, form->Handle());
  EXPECT_FALSE(GetUpdateRect(form->Handle(), nullptr, FALSE)) << "the region stayed invalid";
  EXPECT_NE(paintDc, nullptr);
  EXPECT_EQ(GetGuiResources(GetCurrentProcess(), GR_GDIOBJECTS), gdiBefore) << "GDI objects leaked";
  // The paint DC was given back: the window's DC can be had and released.
  HDC dc = GetDC(form->Handle());
  EXPECT_NE(dc, nullptr);
  EXPECT_EQ(ReleaseDC(form->Handle(), dc), 1);

  // A paint that succeeds ends the run; the next failure is reported again.
  form->onPaint = nullptr;
  InvalidateRect(form->Handle(), nullptr, TRUE);
  UpdateWindow(form->Handle());
  form->onPaint = [](HDC) { throw std::runtime_error("again"); };
  duringReport = nullptr;
  InvalidateRect(form->Handle(), nullptr, TRUE);
  UpdateWindow(form->Handle());
  EXPECT_EQ(reports.size(), 2u);
}

TEST_F(FormTest, ModalShowingReturnsTheResultAndEnablesTheOwnerAgain) {
  TestWindow owner(true, L"modal owner");
  const struct {
    const char* how;
    std::function<void()> end;
    int expected;
  } cases[] = {
      {"a handler's result", [&] { PostMessageW(form->Control(L"btnOk"), BM_CLICK, 0, 0); }, 7},
      {"closing the window", [&] { PostMessageW(form->Handle(), WM_CLOSE, 0, 0); }, ui::mrCancel},
  };
  bool ownerDisabled = false;
  form->SetClickHandler(form->Control(L"btnOk"), [&](HWND) {
    ownerDisabled = !IsWindowEnabled(owner.Handle());
    form->SetModalResult(7);
  });
  for (const auto& c : cases) {
    ownerDisabled = false;
    int shows = 0;
    form->onShow = [&] {
      ++shows;
      c.end();
    };
    EXPECT_EQ(form->ShowModal(owner.Handle()), c.expected) << c.how;
    EXPECT_EQ(shows, 1) << c.how;
    EXPECT_TRUE(IsWindowEnabled(owner.Handle())) << c.how << ": the owner stayed disabled";
    EXPECT_FALSE(IsWindowVisible(form->Handle())) << c.how << ": the window stayed shown";
    EXPECT_TRUE(IsWindow(form->Handle())) << c.how << ": closing a modal form destroyed it";
    EXPECT_EQ(GetWindow(form->Handle(), GW_OWNER), owner.Handle());
    if (c.expected == 7) {
      EXPECT_TRUE(ownerDisabled) << "the owner was enabled while modal";
    }
  }
}

TEST_F(FormTest, EditChangesAndUpDownMovesReachTheirHandlers) {
  std::vector<std::wstring> seen;
  form->SetChangeHandler(form->Control(L"edN"), [&](HWND sender) {
    wchar_t text[16] = L"";
    GetWindowTextW(sender, text, 16);
    seen.push_back(L"change " + std::wstring(text));
  });
  form->SetUpDownHandler(form->Control(L"udN"), [&](HWND, int position) {
    seen.push_back(L"updown " + std::to_wstring(position));
  });
  form->Show();
  SetFocus(form->Control(L"edN"));
  SendMessageW(form->Control(L"udN"), WM_KEYDOWN, VK_UP, 0);  // as the arrow keys do
  SendMessageW(form->Control(L"udN"), WM_KEYUP, VK_UP, 0);
  PumpMessages();
  const std::vector<std::wstring> expected = {L"change 2", L"updown 2"};
  EXPECT_EQ(seen, expected);
}

}  // namespace
}  // namespace topo::test
