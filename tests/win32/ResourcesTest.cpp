// What topo.dll carries as resources, read the way the plug-in reads them:
// the string table, the three layouts, the two sounds and pictures; and the
// layout format's refusal of malformed text.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>

#include "bridge/ResourceLookup.h"
#include "ui/FormLayout.h"

namespace topo::test {
namespace {

using bridge::LoadLayoutText;
using bridge::LoadPluginString;

class DataModule {
 public:
  explicit DataModule(const wchar_t* path)
      : module_(LoadLibraryExW(path, nullptr, LOAD_LIBRARY_AS_DATAFILE)) {}
  DataModule(const DataModule&) = delete;
  DataModule& operator=(const DataModule&) = delete;
  ~DataModule() {
    if (module_) FreeLibrary(module_);
  }
  HMODULE Get() const { return module_; }

 private:
  HMODULE module_;
};

std::string Bytes(HMODULE module, const wchar_t* name, const wchar_t* type) {
  HRSRC found = FindResourceW(module, name, type);
  HGLOBAL loaded = found ? LoadResource(module, found) : nullptr;
  const char* data = loaded ? static_cast<const char*>(LockResource(loaded)) : nullptr;
  return data ? std::string(data, SizeofResource(module, found)) : std::string();
}

uint32_t U32(const std::string& b, size_t at) {
  uint32_t v = 0;
  std::memcpy(&v, b.data() + at, 4);
  return v;
}
uint16_t U16(const std::string& b, size_t at) {
  uint16_t v = 0;
  std::memcpy(&v, b.data() + at, 2);
  return v;
}

class ResourcesTest : public testing::Test {
 protected:
  DataModule dll_{L"topo.dll"};
};

TEST_F(ResourcesTest, StringTableHoldsTheFiveTexts) {
  ASSERT_NE(dll_.Get(), nullptr);
  EXPECT_EQ(LoadPluginString(dll_.Get(), 65520), L"\x786E\x5B9A");
  EXPECT_EQ(LoadPluginString(dll_.Get(), 65521), L"\x53D6\x6D88");
  EXPECT_EQ(LoadPluginString(dll_.Get(), 65522), L"\x8BF7\x8F93\x5165");
  EXPECT_EQ(LoadPluginString(dll_.Get(), 65523), L"%s \x7684\x542F\x52A8\x5BC6\x7801:");
  EXPECT_FALSE(LoadPluginString(dll_.Get(), 65524).empty());
  EXPECT_EQ(LoadPluginString(dll_.Get(), 65519), L"") << "a string that is not in the table";

  DataModule other(L"topo_testres.dll");
  EXPECT_EQ(LoadPluginString(other.Get(), 65520), L"test ok");
}

TEST_F(ResourcesTest, TheThreeLayoutsParse) {
  struct Expected {
    const wchar_t* resource;
    const wchar_t* caption;
    int left, top, width, height;
    bool outer;
    size_t controls;
  };
  const Expected all[] = {
      {bridge::kBizFormBaseLayout, L"BizFormBase", 235, 188, 459, 310, false, 0},
      {bridge::kMainFormLayout, L"\x62D3\x6251\x56FE", 221, 154, 786, 480, true, 22},
      {bridge::kFormStatusLayout, L"\x72B6\x6001", 240, 229, 689, 268, true, 5},
  };
  for (const Expected& e : all) {
    ui::FormLayout layout = ui::ParseFormLayout(LoadLayoutText(dll_.Get(), e.resource));
    EXPECT_EQ(layout.caption, e.caption);
    EXPECT_EQ(layout.left, e.left);
    EXPECT_EQ(layout.top, e.top);
    EXPECT_EQ(layout.width, e.width);
    EXPECT_EQ(layout.height, e.height);
    EXPECT_EQ(layout.outerSize, e.outer);
    EXPECT_EQ(layout.fontFace, L"MS Sans Serif");
    EXPECT_EQ(layout.fontHeight, -11);
    EXPECT_EQ(layout.controls.size(), e.controls);
  }
  ui::FormLayout main = ui::ParseFormLayout(LoadLayoutText(dll_.Get(), bridge::kMainFormLayout));
  const ui::ControlLayout* ud = main.Find(L"udWidth");
  ASSERT_NE(ud, nullptr);
  EXPECT_EQ(ud->Text(L"buddy"), L"edWidth");
  EXPECT_EQ(ud->Int(L"increment", 0), 50);
  EXPECT_EQ(ud->left, 384);
  EXPECT_THROW(LoadLayoutText(dll_.Get(), L"NO_SUCH_LAYOUT"), std::runtime_error);
}

TEST_F(ResourcesTest, SoundsAreMono8BitPcmWaves) {
  for (const wchar_t* name : {L"ERROR_WAV", L"WARN_WAV"}) {
    std::string wav = Bytes(dll_.Get(), name, MAKEINTRESOURCEW(10));
    ASSERT_GT(wav.size(), 44u) << "resource missing";
    EXPECT_EQ(wav.substr(0, 4), "RIFF");
    EXPECT_EQ(U32(wav, 4), 36 + U32(wav, 40)) << "RIFF size against data size";
    EXPECT_LE(44 + U32(wav, 40), wav.size()) << "data runs past the resource";
    EXPECT_EQ(wav.substr(8, 8), "WAVEfmt ");
    EXPECT_EQ(U16(wav, 20), 1) << "not PCM";
    EXPECT_EQ(U16(wav, 22), 1) << "not mono";
    EXPECT_EQ(U32(wav, 24), 22050u);
    EXPECT_EQ(U16(wav, 34), 8) << "bits per sample";
    EXPECT_EQ(wav.substr(36, 4), "data");
  }
}

TEST_F(ResourcesTest, AlarmPicturesAre105By65With256Colours) {
  for (const wchar_t* name : {L"ERROR_BMP", L"WARN_BMP"}) {
    std::string bmp = Bytes(dll_.Get(), name, MAKEINTRESOURCEW(2));  // RT_BITMAP
    ASSERT_GE(bmp.size(), 40u) << "resource missing";
    EXPECT_EQ(U32(bmp, 4), 105u);
    EXPECT_EQ(U32(bmp, 8), 65u);
    EXPECT_EQ(U16(bmp, 14), 8) << "bits per pixel";
  }
}

TEST(FormLayoutTest, ParsesTextsPropertiesAndFlags) {
  ui::FormLayout layout = ui::ParseFormLayout(
      "\xEF\xBB\xBF# comment\nform F\ncaption \"a \\\"b\\\" c\"\nclient 10 20\n"
      "control panel p 1 2 3 4\ncontrol edit e 5 6 7 8 parent=p text=\"x y\" readonly\n");
  EXPECT_EQ(layout.name, L"F");
  EXPECT_EQ(layout.caption, L"a \"b\" c");
  ASSERT_EQ(layout.controls.size(), 2u);
  const ui::ControlLayout& e = layout.controls[1];
  EXPECT_EQ(e.Text(L"parent"), L"p");
  EXPECT_EQ(e.Text(L"text"), L"x y");
  EXPECT_TRUE(e.Has(L"readonly"));
  EXPECT_EQ(e.height, 8);
}

TEST(FormLayoutTest, RefusesMalformedTextNamingTheLine) {
  const char* bad[] = {
      "form F\nclient 10\n",                                      // too few values
      "form F\nclient 10 20\ncontrol edit e 1 2 3\n",             // too few numbers
      "form F\nclient 10 20\ncontrol gadget g 1 2 3 4\n",         // unknown kind
      "form F\nclient 10 20\ncontrol edit e 1 2 3 4 parent=q\n",  // parent not declared
      "form F\nclient 10 20\ncaption \"open\n",                   // unterminated text
      "form F\nclient 10 2x\n",                                   // not a number
      "form F\n",                                                 // no size
      "client 10 20\n",                                           // no form
  };
  for (const char* text : bad) {
    EXPECT_THROW(ui::ParseFormLayout(text), std::runtime_error) << text;
  }
  try {
    ui::ParseFormLayout("form F\nclient 10 20\n\nbogus 1\n");
    ADD_FAILURE() << "accepted an unknown statement";
  } catch (const std::runtime_error& e) {
    EXPECT_NE(std::string(e.what()).find("line 4"), std::string::npos) << e.what();
  }
}

}  // namespace
}  // namespace topo::test
