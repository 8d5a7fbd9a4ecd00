// How much DrawDiagram costs over the GDI work it cannot avoid, and how much a
// repaint of a tenth of the window saves by culling. The floor replays the very
// GDI calls that DrawDiagram makes through GdiCanvas (recorded once, with labels
// already in UTF-16 and pens already created), so the first ratio is the price
// of the model walk, the label formatting and the port; the pixels of the two
// are compared before anything is timed.
#include <benchmark/benchmark.h>
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <map>
#include <memory>
#include <string>
#include <type_traits>
#include <utility>
#include <vector>

#include "BenchSupport.h"
#include "model/Nodes.h"
#include "win32/Cp936.h"
#include "win32/GdiCanvas.h"
#include "win32/GdiHandles.h"

namespace {

using topo::Canvas;
using topo::PenStyle;
using topo::TColor;
using topo::TPoint;
using topo::TRect;

constexpr int kWidth = 2600;
constexpr int kHeight = 8400;
constexpr int kARNodes = 1000;
constexpr int kServersPerAR = 10;
constexpr int kColumns = 25;  // 104 pixels apart, rows 19 apart

using OwnedObject = topo::win32::GdiObject<HGDIOBJ>;
struct DcDeleter {
  void operator()(HDC dc) const { DeleteDC(dc); }
};
using OwnedDc = std::unique_ptr<std::remove_pointer_t<HDC>, DcDeleter>;

topo::TActiveFlags Flags(int running) {
  topo::TActiveFlags flags{};
  for (int i = 0; i < running; ++i) flags[static_cast<size_t>(i)] = 1;
  return flags;
}

// 11,000 boxes in a grid in creation order, each AR node followed by its ten
// servers, each AR node the child of the one before; a few nodes are down and
// a fifth are not in the baseline, so every kind of stroke occurs.
void BuildModel(topo::TARNodeList& list) {
  int slot = 0;
  auto place = [&slot]() {
    const int32_t x = (slot % kColumns) * 104 + 2;
    const int32_t y = (slot / kColumns) * 19 + 2;
    ++slot;
    return TRect{x, y, x + 100, y + 17};
  };
  for (int i = 0; i < kARNodes; ++i) {
    const std::string name = "ar" + std::to_string(i);
    const int active = i % 97 == 5 ? 0 : 2;
    const int32_t ar =
        list.AddOrUpdateAR(name, active, Flags(active), static_cast<uint8_t>(i % 5 == 0));
    list.Items(ar).Rect = place();
    if (i > 0) {
      const std::string parent = "ar" + std::to_string(i - 1);
      list.AddOrUpdateParentAR(ar, parent, 1, Flags(1), 0);
      list.AddOrUpdateSubAR(list.IndexOf(parent), name, 1, Flags(1), 0);
    }
    for (int s = 0; s < kServersPerAR; ++s) {
      const int running = (i * kServersPerAR + s) % 13 == 0 ? 0 : 1;
      const int32_t k = list.AddOrUpdateSubAS(ar, "as" + std::to_string(s), running, Flags(running),
                                              static_cast<uint8_t>(s % 5 == 1));
      list.Items(ar).SubASs.Items(k).Rect = place();
    }
  }
  list.ResolveLinks();
}

// A memory DC over a top-down 32-bit DIB, set up as the window's paint is.
class Surface {
 public:
  Surface() {
    dc_.reset(CreateCompatibleDC(nullptr));
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = kWidth;
    info.bmiHeader.biHeight = -kHeight;
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 32;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    bitmap_.Reset(CreateDIBSection(dc_.get(), &info, DIB_RGB_COLORS, &bits, nullptr, 0));
    bits_ = static_cast<uint32_t*>(bits);
    brush_.Reset(CreateSolidBrush(GetSysColor(COLOR_BTNFACE)));
    font_.Reset(CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                            OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY, DEFAULT_PITCH,
                            L"MS Sans Serif"));
    if (!Ready()) return;
    oldBitmap_ = SelectObject(dc_.get(), bitmap_.Get());
    oldBrush_ = SelectObject(dc_.get(), brush_.Get());
    oldFont_ = SelectObject(dc_.get(), font_.Get());
    SetTextColor(dc_.get(), GetSysColor(COLOR_WINDOWTEXT));
    SetBkColor(dc_.get(), GetSysColor(COLOR_BTNFACE));  // as GdiCanvas sets it for the brush
  }
  ~Surface() {
    if (!Ready()) return;
    SelectObject(dc_.get(), oldFont_);
    SelectObject(dc_.get(), oldBrush_);
    SelectObject(dc_.get(), oldBitmap_);
  }
  Surface(const Surface&) = delete;
  Surface& operator=(const Surface&) = delete;

  bool Ready() const { return dc_ && bitmap_ && bits_ && brush_ && font_; }
  HDC Dc() const { return dc_.get(); }
  void Clear() {
    GdiFlush();
    std::memset(bits_, 0xFF, static_cast<size_t>(kWidth) * kHeight * sizeof(uint32_t));
  }
  void Clip(const RECT* rect) {
    if (!rect) {
      SelectClipRgn(dc_.get(), nullptr);
      return;
    }
    OwnedObject region(CreateRectRgn(rect->left, rect->top, rect->right, rect->bottom));
    SelectClipRgn(dc_.get(), static_cast<HRGN>(region.Get()));
  }
  std::vector<uint32_t> Pixels() const {
    GdiFlush();
    return {bits_, bits_ + static_cast<size_t>(kWidth) * kHeight};
  }

 private:
  OwnedDc dc_;
  OwnedObject bitmap_;
  OwnedObject brush_;
  OwnedObject font_;
  uint32_t* bits_ = nullptr;
  HGDIOBJ oldBitmap_ = nullptr;
  HGDIOBJ oldBrush_ = nullptr;
  HGDIOBJ oldFont_ = nullptr;
};

// The GDI calls of one diagram, in order, ready to be replayed with nothing
// left to compute.
class GdiScript : public Canvas {
 public:
  explicit GdiScript(HDC dc) : dc_(dc), pen_(GetCurrentObject(dc, OBJ_PEN)) {}

  int32_t TextWidth(const std::string& text) override {
    ops_.push_back({Op::Extent, Text(text)});
    return MeasureNow(text);
  }
  void TextRect(const TRect& clip, int32_t x, int32_t y, const std::string& text) override {
    Step step{Op::Text, Text(text)};
    step.rect = {clip.Left, clip.Top, clip.Right, clip.Bottom};
    step.points[0] = {x, y};
    ops_.push_back(step);
  }
  void MoveTo(int32_t x, int32_t y) override { ops_.push_back(PointStep(Op::Move, x, y)); }
  void LineTo(int32_t x, int32_t y) override { ops_.push_back(PointStep(Op::Line, x, y)); }
  TColor PenColor() const override { return color_; }
  void SetPenColor(TColor color) override {
    if (color == color_) return;
    color_ = color;
    SelectPen();
  }
  void SetPenStyle(PenStyle style) override {
    if (style == style_) return;
    style_ = style;
    SelectPen();
  }
  void Polyline(const TPoint* points, size_t count) override {
    Points(Op::Polyline, points, count);
  }
  void Polygon(const TPoint* points, size_t count) override { Points(Op::Polygon, points, count); }
  TRect ClipBox() const override { return {0, 0, kWidth, kHeight}; }

  void Replay() const {
    SIZE size;
    for (const Step& step : ops_) {
      switch (step.op) {
        case Op::Extent: {
          const std::wstring& text = texts_[step.text];
          GetTextExtentPoint32W(dc_, text.c_str(), static_cast<int>(text.size()), &size);
          break;
        }
        case Op::Text: {
          const std::wstring& text = texts_[step.text];
          ExtTextOutW(dc_, step.points[0].x, step.points[0].y, ETO_CLIPPED | ETO_OPAQUE, &step.rect,
                      text.c_str(), static_cast<UINT>(text.size()), nullptr);
          break;
        }
        case Op::Move:
          MoveToEx(dc_, step.points[0].x, step.points[0].y, nullptr);
          break;
        case Op::Line:
          ::LineTo(dc_, step.points[0].x, step.points[0].y);
          break;
        case Op::Pen:
          SelectObject(dc_, step.pen);
          break;
        case Op::Polyline:
          ::Polyline(dc_, step.points, step.count);
          break;
        case Op::Polygon:
          ::Polygon(dc_, step.points, step.count);
          break;
      }
    }
  }
  size_t Calls() const { return ops_.size(); }

 private:
  enum class Op { Extent, Text, Move, Line, Pen, Polyline, Polygon };
  struct Step {
    Op op;
    size_t text = 0;
    RECT rect{};
    POINT points[4]{};
    int count = 0;
    HGDIOBJ pen = nullptr;
  };
  Step PointStep(Op op, int32_t x, int32_t y) {
    Step step{op};
    step.points[0] = {x, y};
    return step;
  }
  void Points(Op op, const TPoint* points, size_t count) {
    Step step{op};
    step.count = static_cast<int>(count);
    for (size_t i = 0; i < count && i < 4; ++i) step.points[i] = {points[i].x, points[i].y};
    ops_.push_back(step);
  }
  size_t Text(const std::string& text) {
    texts_.push_back(topo::win32::WideFromCp936(text));
    return texts_.size() - 1;
  }
  int32_t MeasureNow(const std::string& text) {
    const std::wstring wide = topo::win32::WideFromCp936(text);
    SIZE size{};
    GetTextExtentPoint32W(dc_, wide.c_str(), static_cast<int>(wide.size()), &size);
    return size.cx;
  }
  void SelectPen() {
    Step step{Op::Pen};
    if (color_ == topo::kBlack && style_ == PenStyle::Solid) {
      step.pen = pen_;
    } else {
      OwnedObject& pen = pens_[{color_, style_ == PenStyle::Dotted}];
      if (!pen) pen.Reset(CreatePen(style_ == PenStyle::Dotted ? PS_DOT : PS_SOLID, 1, color_));
      step.pen = pen.Get();
    }
    ops_.push_back(step);
  }

  HDC dc_;
  HGDIOBJ pen_;
  TColor color_ = topo::kBlack;
  PenStyle style_ = PenStyle::Solid;
  std::vector<Step> ops_;
  std::vector<std::wstring> texts_;
  std::map<std::pair<TColor, bool>, OwnedObject> pens_;
};

struct World {
  topo::TARNodeList list;
  Surface surface;
  std::unique_ptr<GdiScript> script;
  RECT tenth{0, kHeight * 9 / 20, kWidth, kHeight * 11 / 20};
};

World* world = nullptr;

void Floor(benchmark::State& state) {
  for (auto _ : state) {
    world->script->Replay();
    GdiFlush();
  }
}

void Draw(benchmark::State& state) {
  uint8_t result = 0;
  for (auto _ : state) {
    topo::win32::GdiCanvas canvas(world->surface.Dc());
    result |= world->list.DrawDiagram(canvas, {0, 0}, true);
    GdiFlush();
  }
  benchmark::DoNotOptimize(result);
}

void DrawClipTenth(benchmark::State& state) {
  world->surface.Clip(&world->tenth);
  uint8_t result = 0;
  for (auto _ : state) {
    topo::win32::GdiCanvas canvas(world->surface.Dc());
    result |= world->list.DrawDiagram(canvas, {0, 0}, true);
    GdiFlush();
  }
  benchmark::DoNotOptimize(result);
  world->surface.Clip(nullptr);
}

bool SamePixels(World& w) {
  w.surface.Clear();
  w.script->Replay();
  const std::vector<uint32_t> floor = w.surface.Pixels();
  w.surface.Clear();
  {
    topo::win32::GdiCanvas canvas(w.surface.Dc());
    w.list.DrawDiagram(canvas, {0, 0}, true);
  }
  if (w.surface.Pixels() != floor) return false;
  // The culled repaint leaves the band exactly as the full drawing does.
  w.surface.Clear();
  w.surface.Clip(&w.tenth);
  {
    topo::win32::GdiCanvas canvas(w.surface.Dc());
    w.list.DrawDiagram(canvas, {0, 0}, true);
  }
  w.surface.Clip(nullptr);
  const std::vector<uint32_t> band = w.surface.Pixels();
  const size_t from = static_cast<size_t>(w.tenth.top) * kWidth;
  const size_t to = static_cast<size_t>(w.tenth.bottom) * kWidth;
  return std::equal(band.begin() + from, band.begin() + to, floor.begin() + from);
}

}  // namespace

int main(int argc, char** argv) {
  std::setvbuf(stdout, nullptr, _IONBF, 0);  // Wine's pipes would hold the progress lines back
  benchmark::Initialize(&argc, argv);
  auto owned = std::make_unique<World>();
  world = owned.get();
  if (!world->surface.Ready()) {
    std::fprintf(stderr, "bench_draw: cannot create a %d x %d memory DC\n", kWidth, kHeight);
    return 1;
  }
  BuildModel(world->list);
  world->script = std::make_unique<GdiScript>(world->surface.Dc());
  const uint8_t inactive = world->list.DrawDiagram(*world->script, {0, 0}, true);
  std::printf("bench_draw: %d boxes and links, %zu GDI calls per diagram, inactive link drawn %d\n",
              world->list.ZOrder.Count(), world->script->Calls(), inactive);
  if (!SamePixels(*world)) {
    std::fprintf(stderr, "bench_draw: the floor and DrawDiagram drew different pixels\n");
    return 1;
  }
  std::printf("bench_draw: floor, full and clipped drawings agree pixel for pixel\n");

  for (auto* b : {benchmark::RegisterBenchmark("floor_gdi_calls", Floor),
                  benchmark::RegisterBenchmark("draw_diagram", Draw),
                  benchmark::RegisterBenchmark("draw_diagram_clip_tenth", DrawClipTenth)}) {
    // CPU time: the machine is shared, and Wine draws into a DIB in-process.
    b->Unit(benchmark::kMillisecond)->Repetitions(5)->ReportAggregatesOnly(true);
  }
  topo::bench::MedianCollector collector;
  benchmark::RunSpecifiedBenchmarks(&collector);
  benchmark::Shutdown();

  const double floor = collector.medians["floor_gdi_calls"];
  const double draw = collector.medians["draw_diagram"];
  const double clip = collector.medians["draw_diagram_clip_tenth"];
  if (floor <= 0 || draw <= 0 || clip <= 0) {
    std::fprintf(stderr, "bench_draw: a benchmark did not run\n");
    return 1;
  }
  std::printf("ratio draw_vs_floor %.2f 1.2\n", draw / floor);
  std::printf("ratio clip_tenth_vs_full %.2f 0.2\n", clip / draw);
  return 0;
}
