// The screenshot writer: the end-to-end checks read its files back, so the
// reader must catch a damaged file and the writer must follow the format
// other viewers expect (checked by the published checksum values).
#include <gtest/gtest.h>
#include <windows.h>

#include "host/Options.h"
#include "host/Png.h"

namespace {

TEST(HostPng, ChecksumMatchesItsReferenceValue) {
  const char* digits = "123456789";
  EXPECT_EQ(0xCBF43926u, arhost::Crc32(reinterpret_cast<const uint8_t*>(digits), 9));
}

TEST(HostPng, ImagesLargerThanOneStoredBlockRoundTrip) {
  arhost::Image image;
  image.width = 301;
  image.height = 223;  // 904 bytes a row: the data spans four stored blocks
  for (int y = 0; y < image.height; ++y)
    for (int x = 0; x < image.width; ++x)
      image.rgb.insert(image.rgb.end(), {uint8_t(x), uint8_t(y), uint8_t(x ^ y)});
  arhost::TextChunks text = {{"arhost:plugin", "8 34 992 610 visible"}};
  std::vector<uint8_t> png = arhost::EncodePng(image, text);
  const uint8_t iend[] = {'I', 'E', 'N', 'D', 0xAE, 0x42, 0x60, 0x82};
  ASSERT_TRUE(std::equal(iend, iend + 8, png.end() - 8));

  arhost::TextChunks read;
  auto back = arhost::DecodePng(png, &read);
  ASSERT_TRUE(back);
  EXPECT_EQ(301, back->width);
  EXPECT_EQ(223, back->height);
  EXPECT_EQ(image.rgb, back->rgb);
  EXPECT_EQ(text, read);
  EXPECT_EQ(0x2A1B31u, back->Pixel(42, 27));

  for (size_t at : {size_t(20), png.size() / 2, png.size() - 10}) {
    auto damaged = png;
    damaged[at] ^= 0x01;
    EXPECT_FALSE(arhost::DecodePng(damaged)) << "flipped byte " << at;
  }
  png.resize(png.size() - 12);
  EXPECT_FALSE(arhost::DecodePng(png)) << "no IEND";
}

TEST(HostPng, ScreenshotsAreCompressed) {
  arhost::Image image;
  image.width = 640;
  image.height = 480;
  image.rgb.assign(640 * 480 * 3, 0x2E);
  std::vector<uint8_t> png = arhost::EncodePng(image, {{"arhost:requests", "3"}});
  EXPECT_LT(png.size(), image.rgb.size() / 50);
  arhost::TextChunks read;
  auto back = arhost::DecodePng(png, &read);
  ASSERT_TRUE(back);
  EXPECT_EQ(image.rgb, back->rgb);
  EXPECT_EQ((arhost::TextChunks{{"arhost:requests", "3"}}), read);
}

TEST(HostOptions, CommandLineNeedsAPluginAndWellFormedValues) {
  std::wstring error;
  auto o =
      arhost::ParseOptions({L"topo.dll", L"--screenshot", L"a.png", L"--after", L"2.5", L"--click",
                            L"10,20@1", L"--rclick", L"5,-3@0.5", L"--size", L"800x600",
                            L"--without", L"ARCom", L"--status", L"188,-48.3:12548@1.5"},
                           &error);
  ASSERT_TRUE(o) << std::string(error.begin(), error.end());
  EXPECT_EQ(L"topo.dll", o->plugin);
  EXPECT_DOUBLE_EQ(2.5, o->after);
  ASSERT_EQ(2u, o->clicks.size());
  EXPECT_FALSE(o->clicks[0].right);
  EXPECT_EQ(20, o->clicks[0].y);
  EXPECT_TRUE(o->clicks[1].right);
  EXPECT_EQ(-3, o->clicks[1].y);
  EXPECT_EQ(800, o->width);
  EXPECT_EQ(std::vector<std::wstring>{L"ARCom"}, o->without);
  ASSERT_TRUE(o->status);
  EXPECT_EQ(188, o->status->x);
  EXPECT_EQ(-48, o->status->y);
  EXPECT_EQ(3, o->status->instance);
  EXPECT_EQ(12548, o->status->function);
  EXPECT_DOUBLE_EQ(1.5, o->status->at);
  o = arhost::ParseOptions({L"topo.dll", L"--status", L"1,2.0@2", L"--keys", L"down,pw,enter@3.5"},
                           &error);
  ASSERT_TRUE(o && o->status);
  ASSERT_EQ(1u, o->keys.size());
  EXPECT_EQ((std::vector<std::wstring>{L"down", L"pw", L"enter"}), o->keys[0].keys);
  EXPECT_DOUBLE_EQ(3.5, o->keys[0].at);
  EXPECT_EQ(0, o->status->instance);
  EXPECT_EQ(0, o->status->function);

  for (auto bad : std::vector<std::vector<std::wstring>>{
           {},
           {L"a.dll", L"b.dll"},
           {L"a.dll", L"--after"},
           {L"a.dll", L"--after", L"-1"},
           {L"a.dll", L"--after", L"soon"},
           {L"a.dll", L"--click", L"10@1"},
           {L"a.dll", L"--click", L"1,2"},
           {L"a.dll", L"--size", L"100x100"},
           {L"a.dll", L"--colour", L"red"},
           {L"a.dll", L"--status", L"1,2.0"},
           {L"a.dll", L"--status", L"1,2@1"},
           {L"a.dll", L"--status", L"R1.0@1"},
           {L"a.dll", L"--status", L"1.2,0@1"},
           {L"a.dll", L"--status", L"1,2.10@1"},
           {L"a.dll", L"--status", L"1,2.0:fn@1"},
           {L"a.dll", L"--keys", L"down"},
           {L"a.dll", L"--keys", L"down,,enter@1"},
       })
    EXPECT_FALSE(arhost::ParseOptions(bad, &error)) << bad.size();
}

}  // namespace
