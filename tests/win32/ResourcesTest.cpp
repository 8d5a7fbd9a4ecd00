// What topo.dll carries as resources, read the way the plug-in reads them:
// the string table and its redirection to a resource file, every window
// layout parsed and built, the two sounds and pictures, the version; the
// English resource file against them; and the layout format's refusal of
// malformed text.
#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <cstdint>
#include <cstring>
#include <stdexcept>
#include <string>
#include <vector>

#include "DataModule.h"
#include "TopoVersion.h"
#include "bridge/ResourceLookup.h"
#include "host/FileVersion.h"
#include "ui/Form.h"
#include "ui/FormLayout.h"
#include "win32/Cp936.h"

namespace topo::test {
namespace {

using bridge::LoadLayoutText;
using bridge::LoadPluginString;

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
  DataModule dll_;
};

// Every text the windows use is in the table, the prompt takes the node's
// name, and a resource file answers with its own texts.
TEST_F(ResourcesTest, StringTableHoldsEveryTextAndAResourceFileReplacesThem) {
  ASSERT_NE(dll_.Get(), nullptr);
  DataModule other(L"topo_testres.dll");
  for (UINT id :
       {bridge::kStrOk, bridge::kStrCancel, bridge::kStrPleaseEnter, bridge::kStrStartupPassword,
        bridge::kStrPrompt, bridge::kStrTidy, bridge::kStrFind, bridge::kStrExportImage,
        bridge::kStrNoMatch, bridge::kStrMatchOf, bridge::kStrSavePictureTitle,
        bridge::kStrPngFilter, bridge::kStrPictureName, bridge::kStrPictureNotSaved}) {
    const std::wstring own = LoadPluginString(dll_.Get(), id);
    EXPECT_FALSE(own.empty()) << id;
    EXPECT_NE(own, LoadPluginString(other.Get(), id)) << id;
  }
  // The history's and the details' texts: the kinds' names and the labels.
  for (UINT id = bridge::kStrEventKinds; id <= bridge::kStrLastChange; ++id)
    EXPECT_FALSE(LoadPluginString(dll_.Get(), id).empty()) << id;
  // The progress of a command on all instances: the node and the count go in.
  for (UINT id : {bridge::kStrProgressStart, bridge::kStrProgressStop, bridge::kStrProgressRestart})
    EXPECT_NE(LoadPluginString(dll_.Get(), id).find(L"%s %d/%d"), std::wstring::npos) << id;
  EXPECT_FALSE(LoadPluginString(dll_.Get(), bridge::kStrProgress).empty());
  EXPECT_NE(LoadPluginString(dll_.Get(), bridge::kStrStartupPassword).find(L"%s"),
            std::wstring::npos);
  EXPECT_EQ(LoadPluginString(other.Get(), bridge::kStrOk), L"test ok");
  EXPECT_EQ(LoadPluginString(dll_.Get(), 65519), L"") << "a string that is not in the table";
}

BOOL CALLBACK AddName(HMODULE, LPCWSTR, LPWSTR name, LONG_PTR names) {
  if (!IS_INTRESOURCE(name)) reinterpret_cast<std::vector<std::wstring>*>(names)->push_back(name);
  return TRUE;
}

std::vector<std::wstring> LayoutNames(HMODULE module) {
  std::vector<std::wstring> names;
  EnumResourceNamesW(module, bridge::kLayoutResourceType, AddName,
                     reinterpret_cast<LONG_PTR>(&names));
  return names;
}

// Each layout of the plug-in and of the test resource file builds every
// control, picture and menu it names; those the windows look up are there.
TEST_F(ResourcesTest, EveryLayoutParsesAndBuilds) {
  const std::vector<std::wstring> shipped = LayoutNames(dll_.Get());
  for (const wchar_t* used :
       {bridge::kBizFormBaseLayout, bridge::kMainFormLayout, bridge::kFormStatusLayout,
        bridge::kHistoryFormLayout, bridge::kProgressFormLayout}) {
    EXPECT_NE(std::find(shipped.begin(), shipped.end(), used), shipped.end())
        << win32::Cp936FromWide(used);
  }
  EXPECT_THROW(LoadLayoutText(dll_.Get(), L"NO_SUCH_LAYOUT"), std::runtime_error);
  for (const wchar_t* file : {L"topo.dll", L"topo_testres.dll", L"topo_en.dll"}) {
    DataModule module(file);
    ASSERT_NE(module.Get(), nullptr) << win32::Cp936FromWide(file);
    for (const std::wstring& name : LayoutNames(module.Get())) {
      SCOPED_TRACE(win32::Cp936FromWide(file) + " " + win32::Cp936FromWide(name));
      const ui::FormLayout layout = bridge::LoadFormLayout(module.Get(), name.c_str());
      ui::Form form(layout, dll_.Get());
      ASSERT_TRUE(IsWindow(form.Handle()));
      for (const ui::ControlLayout& c : layout.controls) {
        const bool built = c.kind == L"image" ? form.Image(c.name) != nullptr
                                              : IsWindow(form.Control(c.name)) != FALSE;
        EXPECT_TRUE(built) << win32::Cp936FromWide(c.name);
      }
      for (const std::wstring& menu : layout.menus)
        EXPECT_NE(form.Menu(menu), nullptr) << win32::Cp936FromWide(menu);
    }
  }
}

// What a translation must keep of a layout: every control with all its
// properties but its text and place, every menu item but its caption.
std::vector<std::wstring> Shape(const ui::FormLayout& layout) {
  std::vector<std::wstring> shape{layout.name};
  for (const ui::ControlLayout& c : layout.controls) {
    std::wstring line = c.kind + L" " + c.name;
    for (const auto& [key, value] : c.properties)
      if (key != L"text") line += L" " + key + L"=" + value;
    shape.push_back(line);
  }
  for (const ui::MenuItemLayout& m : layout.menuItems)
    shape.push_back(m.parent + L" " + m.name + L" " + std::to_wstring(m.tag) +
                    (m.subMenu ? L" sub" : L""));
  return shape;
}

bool English(const std::wstring& text) {
  return std::all_of(text.begin(), text.end(), [](wchar_t c) { return c < 0x80; });
}

// A resource file replaces the whole set, so the English one must hold every
// string and layout of the plug-in's own, translated, with formats and
// controls kept.
TEST_F(ResourcesTest, EnglishFileTranslatesEveryTextOfTheOwn) {
  DataModule english(L"topo_en.dll");
  ASSERT_NE(english.Get(), nullptr);
  for (UINT id = 65520; id <= 65535; ++id) {
    SCOPED_TRACE(id);
    const std::wstring own = LoadPluginString(dll_.Get(), id);
    const std::wstring en = LoadPluginString(english.Get(), id);
    EXPECT_EQ(own.empty(), id > bridge::kStrErrorReturned) << "the plug-in's own";
    EXPECT_EQ(en.empty(), own.empty());
    EXPECT_TRUE(English(en)) << "not translated";
    EXPECT_EQ(std::count(en.begin(), en.end(), L'%'), std::count(own.begin(), own.end(), L'%'))
        << win32::Cp936FromWide(en);
  }
  for (const std::wstring& name : LayoutNames(dll_.Get())) {
    SCOPED_TRACE(win32::Cp936FromWide(name));
    const ui::FormLayout own = bridge::LoadFormLayout(dll_.Get(), name.c_str());
    const ui::FormLayout en = bridge::LoadFormLayout(english.Get(), name.c_str());
    EXPECT_EQ(Shape(en), Shape(own));
    EXPECT_TRUE(English(en.caption));
    for (const ui::ControlLayout& c : en.controls)
      EXPECT_TRUE(English(c.Text(L"text"))) << win32::Cp936FromWide(c.name);
    for (const ui::MenuItemLayout& m : en.menuItems)
      EXPECT_TRUE(English(m.caption)) << win32::Cp936FromWide(m.name);
  }
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

// The build's version, as Windows shows a file's properties: in the fixed
// numbers and the texts of the language the file names.
TEST(VersionResourceTest, EveryShippedFileCarriesTheBuildVersion) {
  struct Expected {
    const wchar_t* file;
    unsigned type, language;
  };
  const Expected files[] = {{L"topo.dll", VFT_DLL, 0x0804},
                            {L"topo_en.dll", VFT_DLL, 0x0409},
                            {L"arhost.exe", VFT_APP, 0x0409}};
  const std::array<unsigned, 4> numbers{TOPO_VERSION_MAJOR, TOPO_VERSION_MINOR, TOPO_VERSION_PATCH,
                                        0};
  const std::wstring text = L"" TOPO_VERSION_TEXT;
  for (const Expected& e : files) {
    SCOPED_TRACE(win32::Cp936FromWide(e.file));
    const std::optional<arhost::FileVersion> v = arhost::ReadFileVersion(e.file);
    ASSERT_TRUE(v) << "no version resource";
    EXPECT_EQ(v->fixedFile, numbers);
    EXPECT_EQ(v->fixedProduct, numbers);
    EXPECT_EQ(v->fileType, e.type);
    EXPECT_EQ(v->language, e.language);
    EXPECT_EQ(v->fileVersion, text);
    EXPECT_EQ(v->productVersion, text);
    EXPECT_EQ(v->originalFilename, e.file);
    EXPECT_FALSE(v->description.empty());
  }
  EXPECT_FALSE(arhost::ReadFileVersion(L"topo_testres.dll")) << "a file without one";
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
