// The scenes every pixel-reading canvas must draw alike, and the rows of
// pixels each must give: run on the native raster canvas and on GDI in a
// memory DC under Wine, so the raster stand-in cannot drift from what GDI
// really draws. A surface is set up with the raster canvas's paper, brush and
// ink, and a row reads as one letter a pixel (PixelCode).
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <ostream>
#include <string>
#include <vector>

#include "DiagramBuilders.h"
#include "RasterCanvas.h"
#include "model/Nodes.h"

namespace topo::test {

inline constexpr int32_t kSceneWidth = 400;
inline constexpr int32_t kSceneHeight = 300;

inline char PixelCode(TColor color) {
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
    case RasterCanvas::kPaper:
      return '.';
    case RasterCanvas::kBrush:
      return '_';
    case RasterCanvas::kInk:
      return 't';
    default:
      return '?';
  }
}

// What a scene expects of one stretch of pixels: exact letters; a dotted line
// (pen and brush both, nothing else); or, for text, whose glyphs differ
// between fonts, ink somewhere in an area or none at all.
struct PixelProbe {
  enum Kind { Row, Column, DottedRow, Ink, NoInk } kind;
  int32_t at, from, to;  // Ink, NoInk: x from..to, rows at..to2
  std::string expected;
  int32_t to2 = 0;
};

inline PixelProbe Row(int32_t y, int32_t x0, int32_t x1, std::string expected) {
  return {PixelProbe::Row, y, x0, x1, std::move(expected)};
}
inline PixelProbe Column(int32_t x, int32_t y0, int32_t y1, std::string expected) {
  return {PixelProbe::Column, x, y0, y1, std::move(expected)};
}
inline PixelProbe Dotted(int32_t y, int32_t x0, int32_t x1) {
  return {PixelProbe::DottedRow, y, x0, x1, {}};
}
inline PixelProbe Ink(bool any, const TRect& area) {
  return {
      any ? PixelProbe::Ink : PixelProbe::NoInk, area.Top, area.Left, area.Right, {}, area.Bottom};
}

struct DrawingScene {
  const char* name;
  void (*build)(TARNodeList&);
  bool displayLinks;
  uint8_t result;  // what DrawDiagram answers
  std::vector<PixelProbe> probes;
};

inline void PrintTo(const DrawingScene& scene, std::ostream* out) { *out << scene.name; }

inline const std::vector<DrawingScene>& DrawingScenes() {
  static const std::vector<DrawingScene> scenes = {
      {"ARBoxOutlineSeparatorStatusBarAndYellowEdge",
       [](TARNodeList& list) {
         AddAR(list, "a", 2, {20, 30, 120, 47}, 1);
       },
       true,
       0,
       {Row(30, 19, 121, "." + std::string(98, 'k') + "yy."), Row(31, 19, 22, ".k_"),
        Row(42, 19, 121, "." + std::string(98, 'b') + "yy."),
        Row(45, 19, 121, ".k" + std::string(97, '_') + "yy."),
        Row(46, 19, 121, "." + std::string(100, 'g') + "."),
        Row(47, 19, 121, "." + std::string(100, 'g') + "."),
        Row(48, 19, 121, std::string(102, '.')), Column(119, 29, 49, ".yyyyyyyyyyyyyyyygg."),
        Column(118, 29, 49, ".yyyyyyyyyyyyyyyygg."), Column(117, 29, 49, ".k___________b___gg."),
        Column(20, 29, 49, ".kkkkkkkkkkkkbkkkgg."), Column(21, 29, 49, ".k___________b___gg.")}},
      {"ASBoxDownHasARedBarAndNoSeparator",
       [](TARNodeList& list) {
         const int32_t ar = AddAR(list, "a", 1, {300, 200, 400, 217});
         AddAS(list, ar, "s", 0, {20, 30, 120, 47});
       },
       false,
       0,
       {Row(42, 19, 121, ".k" + std::string(98, '_') + "k."),
        Row(46, 19, 121, "." + std::string(100, 'r') + "."),
        Row(47, 19, 121, "." + std::string(100, 'r') + "."),
        Column(119, 29, 49, ".kkkkkkkkkkkkkkkkrr.")}},
      // A short label sits in the middle; a long one starts at the left edge
      // and is cut at the right one.
      {"LabelIsCentredOrCutAtTheBoxEdge",
       [](TARNodeList& list) {
         AddAR(list, "a", 1, {20, 30, 120, 47});
         AddAR(list, std::string(60, 'W'), 1, {20, 100, 120, 117});
       },
       false,
       0,
       {Ink(false, {21, 31, 50, 42}), Ink(true, {50, 31, 90, 42}), Ink(false, {90, 31, 119, 42}),
        Ink(true, {21, 101, 30, 112}), Ink(true, {105, 101, 119, 112}),
        Ink(false, {119, 95, 200, 125}), Column(120, 100, 118, std::string(18, '.'))}},
      {"TheFrontBoxHidesTheOneBehind",
       [](TARNodeList& list) {
         AddAR(list, "b", 1, {20, 30, 120, 47});
         AddAR(list, "f", 1, {100, 35, 200, 52});
         list.ZOrder.BringToFront(1);
       },
       false,
       0,
       {Column(119, 34, 37, "kk_"), Row(46, 98, 102, "ggk_")}},
      // A below B, solid: 2 pixels left of the centres; C beside D, which is
      // down, dotted: 7 pixels beside the centres and 7 below the bottoms.
      // Arrowheads are solid and filled, their tips under the status bar.
      {"SolidAndDottedLinesWithSolidArrowheads",
       [](TARNodeList& list) {
         const int32_t a = AddAR(list, "a", 1, {100, 200, 200, 217});
         AddAR(list, "b", 1, {300, 40, 400, 57});
         AddParent(list, a, "b", 1);
         const int32_t c = AddAR(list, "c", 1, {0, 40, 100, 57});
         AddAR(list, "d", 0, {130, 40, 230, 57});
         AddParent(list, c, "d", 1);
       },
       true,
       1,
       {Column(148, 128, 201, std::string(73, 'k')), Row(128, 148, 349, std::string(201, 'k')),
        Column(348, 56, 66, "ggk____kkk"), Row(63, 345, 352, ".kkkkk."), Row(60, 346, 351, ".k_k."),
        Row(64, 345, 352, "...k..."), Dotted(64, 57, 174), Row(63, 170, 177, ".kkkkk."),
        Row(65, 50, 180, std::string(130, '.'))}},
  };
  return scenes;
}

inline std::string SceneName(const testing::TestParamInfo<DrawingScene>& info) {
  return info.param.name;
}

// Draws scene on a fresh Surface (made from width and height; Draw(list,
// displayLinks) answers what DrawDiagram answers; At(x, y) reads a pixel) and
// reads every probe back.
template <class Surface>
void ExpectScene(const DrawingScene& scene) {
  TARNodeList list;
  scene.build(list);
  Surface surface(kSceneWidth, kSceneHeight);
  EXPECT_EQ(surface.Draw(list, scene.displayLinks), scene.result);
  for (const PixelProbe& p : scene.probes) {
    if (p.kind == PixelProbe::Ink || p.kind == PixelProbe::NoInk) {
      int ink = 0;
      for (int32_t y = p.at; y < p.to2; ++y)
        for (int32_t x = p.from; x < p.to; ++x) ink += surface.At(x, y) == RasterCanvas::kInk;
      EXPECT_EQ(p.kind == PixelProbe::Ink, ink > 0)
          << ink << " ink pixels in " << p.from << ".." << p.to << " x " << p.at << ".." << p.to2;
      continue;
    }
    std::string got;
    for (int32_t i = p.from; i < p.to; ++i)
      got += PixelCode(p.kind == PixelProbe::Column ? surface.At(p.at, i) : surface.At(i, p.at));
    const char* what = p.kind == PixelProbe::Column ? "column " : "row ";
    if (p.kind == PixelProbe::DottedRow) {
      EXPECT_TRUE(got.find('k') != std::string::npos && got.find('_') != std::string::npos &&
                  got.find_first_not_of("k_") == std::string::npos)
          << what << p.at << " is not dotted: " << got;
    } else {
      EXPECT_EQ(got, p.expected) << what << p.at << " from " << p.from;
    }
  }
}

// A diagram with every kind of stroke, drawn whole and then once for each of
// a few clip boxes on a fresh Surface (with Clip(box)): inside the box every
// pixel is as drawn whole, outside it is still paper.
inline void BuildMixedDiagram(TARNodeList& list) {
  RandomDiagram(list, 12345, 12, 3, kSceneWidth, kSceneHeight);
}

template <class Surface>
void ExpectClippedRepaintsMatch() {
  TARNodeList list;
  BuildMixedDiagram(list);
  Surface full(kSceneWidth, kSceneHeight);
  const uint8_t result = full.Draw(list, true);
  EXPECT_EQ(result, 1);
  for (const TRect& clip : {TRect{0, 0, 40, 300}, TRect{150, 120, 230, 150},
                            TRect{0, 270, 400, 300}, TRect{390, 0, 400, 40}}) {
    Surface part(kSceneWidth, kSceneHeight);
    part.Clip(clip);
    EXPECT_EQ(part.Draw(list, true), result);
    int differences = 0;
    for (int32_t y = 0; y < kSceneHeight; ++y) {
      for (int32_t x = 0; x < kSceneWidth; ++x) {
        const TColor expected = clip.Contains(x, y) ? full.At(x, y) : RasterCanvas::kPaper;
        if (part.At(x, y) != expected && differences++ < 5) {
          ADD_FAILURE() << "pixel (" << x << ", " << y << "): got " << std::hex << part.At(x, y)
                        << ", expected " << expected << std::dec;
        }
      }
    }
    EXPECT_EQ(differences, 0) << "clip " << clip.Left << "," << clip.Top;
  }
}

}  // namespace topo::test
