// The baseline file through the libxml2 document: the exact tree a save writes
// (read back by a separate parse that keeps every whitespace text node), the
// reading rules for damaged or hand-edited files, and saving that replaces the
// previous file in one step or leaves it alone.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <initializer_list>
#include <iterator>
#include <memory>
#include <string>
#include <vector>

#include "../interop/LibXmlTree.h"
#include "../interop/SampleBaseline.h"
#include "model/Nodes.h"
#include "posix/LibXmlDocument.h"

namespace topo {
namespace {

namespace fs = std::filesystem;

const TActiveFlags kNone{};

// A fresh folder per test, removed afterwards.
class BaselineTest : public ::testing::Test {
 protected:
  void SetUp() override {
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = fs::temp_directory_path() /
           (std::string("topo-baseline-") + info->name() + "-" + std::to_string(::getpid()));
    fs::remove_all(dir_);
    fs::create_directories(dir_);
  }
  void TearDown() override { fs::remove_all(dir_); }

  std::string Path(const char* name) const { return (dir_ / name).string(); }

  std::string WriteFile(const char* name, const std::string& bytes) const {
    std::ofstream(dir_ / name, std::ios::binary) << bytes;
    return Path(name);
  }

  static std::string ReadBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }

  std::vector<std::string> FolderEntries() const {
    std::vector<std::string> names;
    for (const auto& entry : fs::directory_iterator(dir_)) {
      names.push_back(entry.path().filename().string());
    }
    return names;
  }

  fs::path dir_;
};

using sample::E;
using sample::ParsedFile;
using sample::ParseKeepingWhitespace;
using sample::T;

TEST_F(BaselineTest, SaveWritesTheExactTreeInUtf16WithByteOrderMark) {
  TARNodeList list;
  sample::BuildSmall(list);
  const std::string path = Path("DatumNode.xml");
  list.SaveToFile(path, LibXmlDocument::Factory());

  const std::string bytes = ReadBytes(path);
  ASSERT_GE(bytes.size(), 2u);
  EXPECT_EQ(bytes.substr(0, 2), "\xff\xfe") << "little-endian byte-order mark";

  const ParsedFile file = ParseKeepingWhitespace(path);
  ASSERT_TRUE(file.wellFormed);
  EXPECT_EQ(file.encoding, "UTF-16");
  EXPECT_EQ(file.nodes, sample::SmallTree());
}

TEST_F(BaselineTest, EmptyModelSavesOnlyTheDeclarationAndACarriageReturn) {
  TARNodeList list;
  const std::string path = Path("empty.xml");
  list.SaveToFile(path, LibXmlDocument::Factory());
  const ParsedFile file = ParseKeepingWhitespace(path);
  ASSERT_TRUE(file.wellFormed);
  EXPECT_EQ(file.encoding, "UTF-16");
  EXPECT_EQ(file.nodes, E("ARNodes", {T("\r")}));

  TARNodeList loaded;
  loaded.LoadFromFile(path, LibXmlDocument::Factory());
  EXPECT_EQ(loaded.Count(), 0);
  EXPECT_EQ(loaded.ZOrder.Count(), 0);
}

TEST_F(BaselineTest, RoundTripKeepsNamesBoxesLinksAndOrderButClearsStatus) {
  TARNodeList list;
  sample::Build(list, true);
  const std::string path = Path("DatumNode.xml");
  list.SaveToFile(path, LibXmlDocument::Factory());

  TARNodeList loaded;
  loaded.LoadFromFile(path, LibXmlDocument::Factory());
  EXPECT_EQ(sample::Describe(loaded), sample::Expected());

  // The Chinese names are stored as Unicode, not as code page 936 bytes.
  const std::string text = ReadBytes(path);
  const std::string centreUtf16("\x2d\x4e\xc3\x5f", 4);  // U+4E2D U+5FC3
  EXPECT_NE(text.find(centreUtf16), std::string::npos);
}

TEST_F(BaselineTest, SavingReplacesAnOlderFile) {
  const std::string path = WriteFile("DatumNode.xml", std::string(5000, 'x'));
  TARNodeList list;
  list.AddOrUpdateAR("only", 0, kNone, 0);
  list.SaveToFile(path, LibXmlDocument::Factory());
  TARNodeList loaded;
  loaded.LoadFromFile(path, LibXmlDocument::Factory());
  ASSERT_EQ(loaded.Count(), 1);
  EXPECT_EQ(loaded.Items(0).Name(), "only");
  EXPECT_EQ(FolderEntries(), std::vector<std::string>{"DatumNode.xml"}) << "no temporary left";
}

TEST_F(BaselineTest, FailedSaveThrowsAndLeavesNeitherTemporaryNorChange) {
  TARNodeList list;
  list.AddOrUpdateAR("a", 0, kNone, 0);
  EXPECT_THROW(list.SaveToFile(Path("missing/DatumNode.xml"), LibXmlDocument::Factory()),
               std::exception);

  // A target that cannot be replaced: the new file is written beside it,
  // and the failing rename must remove it again.
  fs::create_directories(dir_ / "DatumNode.xml" / "inside");
  EXPECT_THROW(list.SaveToFile(Path("DatumNode.xml"), LibXmlDocument::Factory()), std::exception);
  EXPECT_EQ(FolderEntries(), std::vector<std::string>{"DatumNode.xml"});
  EXPECT_TRUE(fs::is_directory(dir_ / "DatumNode.xml" / "inside"));
}

TEST_F(BaselineTest, MissingOrBrokenFileLeavesTheModelAsItWas) {
  TARNodeList saved;
  sample::Build(saved, true);
  const std::string good = Path("good.xml");
  saved.SaveToFile(good, LibXmlDocument::Factory());
  const std::string bytes = ReadBytes(good);

  const std::vector<std::string> broken = {
      Path("absent.xml"),
      WriteFile("truncated.xml", bytes.substr(0, bytes.size() / 2)),
      WriteFile("garbage.xml", "\x01\x02 not xml at all"),
      WriteFile("empty.xml", ""),
  };
  for (const std::string& path : broken) {
    TARNodeList list;
    list.AddOrUpdateAR("kept", 1, kNone, 1);
    const std::string before = sample::Describe(list);
    list.LoadFromFile(path, LibXmlDocument::Factory());
    EXPECT_EQ(sample::Describe(list), before) << path;
  }
}

// Loads a hand-written UTF-8 file: files in other encodings are accepted.
std::unique_ptr<TARNodeList> LoadText(const std::string& path) {
  auto list = std::make_unique<TARNodeList>();
  list->LoadFromFile(path, LibXmlDocument::Factory());
  return list;
}

TEST_F(BaselineTest, RectIsLeftCommaTopWithDefaultsForWhatIsNotANumber) {
  const std::string path = WriteFile("rects.xml",
                                     "<?xml version='1.0'?><ARNodes>"
                                     "<ARNode><Name>plain</Name><Rect>120,-35</Rect></ARNode>"
                                     "<ARNode><Name>one</Name><Rect>15</Rect></ARNode>"
                                     "<ARNode><Name>words</Name><Rect>a,b</Rect></ARNode>"
                                     "<ARNode><Name>empty</Name><Rect></Rect></ARNode>"
                                     "<ARNode><Name>none</Name></ARNode>"
                                     "<ARNode><Name>blanks</Name><Rect> 7 ,\t8 </Rect></ARNode>"
                                     "<ARNode><Name>three</Name><Rect>1,2,3</Rect></ARNode>"
                                     "<ARNode><Name>huge</Name><Rect>99999999999,5</Rect></ARNode>"
                                     "<ARNode><Name>edge</Name><Rect>2147483647,0</Rect></ARNode>"
                                     "</ARNodes>");
  const auto owner = LoadText(path);
  const TARNodeList& list = *owner;
  ASSERT_EQ(list.Count(), 9);
  const std::vector<std::pair<int32_t, int32_t>> expected = {
      {120, -35}, {15, -400}, {-500, -400}, {-500, -400},  {-500, -400},
      {7, 8},     {1, 2},     {-500, 5},    {INT32_MAX, 0}};
  for (int32_t i = 0; i < list.Count(); ++i) {
    const TRect& box = list.Items(i).Rect;
    EXPECT_EQ(box.Left, expected[static_cast<size_t>(i)].first) << list.Items(i).Name();
    EXPECT_EQ(box.Top, expected[static_cast<size_t>(i)].second) << list.Items(i).Name();
    EXPECT_EQ(box.Right, WrapAdd(box.Left, 100)) << list.Items(i).Name();
    EXPECT_EQ(box.Bottom, WrapAdd(box.Top, 17)) << list.Items(i).Name();
  }
}

TEST_F(BaselineTest, ReadingTrimsNamesIgnoresActiveAndTakesEveryChildElement) {
  const std::string path = WriteFile(
      "names.xml",
      "<?xml version='1.0' encoding='UTF-8'?>\n<Anything>"
      "<ARNode><Name>  \t padded \r\n</Name><Active>1,1,1,1,1,1,1,1,1,1,</Active></ARNode>"
      "<!-- a comment is not a node --><Other><Rect>3,4</Rect></Other>"
      "<ARNode><Name>\xe4\xb8\xad\xe5\xbf\x83</Name>"
      "<SubASs><SubAS><Name> s1 </Name><Active>1,</Active><Rect>1,1</Rect></SubAS>"
      "<Stray><Rect>2,2</Rect></Stray></SubASs>"
      "<ParentARs/><ParentARs><ParentAR><Name>p</Name><Rect>9,9</Rect></ParentAR></ParentARs>"
      "</ARNode></Anything>");
  const auto owner = LoadText(path);
  const TARNodeList& list = *owner;
  ASSERT_EQ(list.Count(), 3);
  EXPECT_EQ(list.Items(0).Name(), "padded");
  EXPECT_EQ(list.Items(0).ActiveCount, 0);
  EXPECT_EQ(list.Items(0).ActiveFlags, kNone);
  EXPECT_EQ(list.Items(1).Name(), "") << "an element without Name is a node with an empty name";
  EXPECT_EQ(list.Items(1).Rect.Left, 3);
  const TARNode& centre = list.Items(2);
  EXPECT_EQ(centre.Name(), sample::kCentre) << "UTF-8 in the file, code page 936 in the model";
  ASSERT_EQ(centre.SubASs.Count(), 2) << "siblings after the first entry count whatever their name";
  EXPECT_EQ(centre.SubASs.Items(0).Name(), "s1");
  EXPECT_EQ(centre.SubASs.Items(0).ActiveFlags, kNone);
  EXPECT_EQ(centre.SubASs.Items(1).Name(), "");
  EXPECT_EQ(centre.SubASs.Items(1).Rect.Left, 2);
  // The first ParentAR in document order, although the first ParentARs is empty.
  ASSERT_EQ(centre.ParentARs.Count(), 1);
  EXPECT_EQ(centre.ParentARs.Items(0).Name(), "p");
  EXPECT_EQ(centre.ParentARs.Items(0).Rect.Left, 9);
}

TEST_F(BaselineTest, SecondElementWithTheSameNameUpdatesTheFirst) {
  const std::string path =
      WriteFile("twice.xml",
                "<ARNodes>"
                "<ARNode><Name>a</Name><Rect>1,1</Rect>"
                "<ParentARs><ParentAR><Name>p1</Name></ParentAR></ParentARs>"
                "<SubARs><SubAR><Name>c1</Name></SubAR></SubARs>"
                "<SubASs><SubAS><Name>x</Name><Rect>10,10</Rect></SubAS>"
                "<SubAS><Name>y</Name><Rect>20,20</Rect></SubAS></SubASs></ARNode>"
                "<ARNode><Name>b</Name></ARNode>"
                "<ARNode><Name> a </Name><Rect>2,2</Rect>"
                "<SubARs><SubAR><Name>c2</Name></SubAR></SubARs>"
                "<SubASs><SubAS><Name>y</Name><Rect>30,30</Rect></SubAS>"
                "<SubAS><Name>z</Name><Rect>40,40</Rect></SubAS></SubASs></ARNode>"
                "</ARNodes>");
  const auto owner = LoadText(path);
  const TARNodeList& list = *owner;
  ASSERT_EQ(list.Count(), 2);
  const TARNode& a = list.Items(0);
  EXPECT_EQ(a.Rect.Left, 2);
  EXPECT_EQ(a.ParentARs.Count(), 0);
  ASSERT_EQ(a.SubARs.Count(), 1);
  EXPECT_EQ(a.SubARs.Items(0).Name(), "c2");
  ASSERT_EQ(a.SubASs.Count(), 3);
  EXPECT_EQ(a.SubASs.Items(0).Name(), "x");
  EXPECT_EQ(a.SubASs.Items(0).Rect.Left, 10);
  EXPECT_EQ(a.SubASs.Items(1).Name(), "y");
  EXPECT_EQ(a.SubASs.Items(1).Rect.Left, 30);
  EXPECT_EQ(a.SubASs.Items(2).Name(), "z");
  // One box per record: a, x, y, b, z.
  const std::vector<std::pair<int32_t, int32_t>> order = {{0, -1}, {0, 0}, {0, 1}, {1, -1}, {0, 2}};
  ASSERT_EQ(list.ZOrder.Count(), 5);
  for (int32_t i = 0; i < 5; ++i) {
    EXPECT_EQ(list.ZOrder.Items(i).ARIndex, order[static_cast<size_t>(i)].first) << i;
    EXPECT_EQ(list.ZOrder.Items(i).ASIndex, order[static_cast<size_t>(i)].second) << i;
  }
}

TEST_F(BaselineTest, NamesWithControlCharactersStillGiveALoadableFile) {
  TARNodeList list;
  list.AddOrUpdateAR(std::string("bad\x01na\x1fme\0x", 12), 0, kNone, 0);
  list.AddOrUpdateAR("tab\tinside", 0, kNone, 0);
  list.AddOrUpdateAR("\x80\xff", 0, kNone, 0);  // not code page 936
  const std::string path = Path("DatumNode.xml");
  list.SaveToFile(path, LibXmlDocument::Factory());
  TARNodeList loaded;
  loaded.LoadFromFile(path, LibXmlDocument::Factory());
  ASSERT_EQ(loaded.Count(), 3);
  EXPECT_EQ(loaded.Items(0).Name(), "badnamex");
  EXPECT_EQ(loaded.Items(1).Name(), "tab\tinside");
  EXPECT_FALSE(loaded.Items(2).Name().empty());
}

TEST_F(BaselineTest, EntitiesAreNeitherFetchedNorExpanded) {
  const std::string secret = WriteFile("secret.txt", "leaked");
  const std::string path =
      WriteFile("entities.xml",
                "<?xml version='1.0'?><!DOCTYPE ARNodes [<!ENTITY ext SYSTEM 'secret.txt'>"
                "<!ENTITY a 'aaaaaaaaaa'><!ENTITY b '&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;'>]>"
                "<ARNodes><ARNode><Name>n&ext;&b;&amp;</Name></ARNode></ARNodes>");
  const auto owner = LoadText(path);
  const TARNodeList& list = *owner;
  ASSERT_EQ(list.Count(), 1);
  EXPECT_EQ(list.Items(0).Name(), "n&");
}

}  // namespace
}  // namespace topo
