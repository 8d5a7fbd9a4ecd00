// The baseline file through the DOM component under Wine: the exact tree read
// back by a second, whitespace-keeping parse, the round trip, damaged files,
// and the cross-check with the files the native libxml2 build wrote (run by
// the interop test chain, which names their folder in TOPO_INTEROP_DIR).
#include <gtest/gtest.h>
#include <windows.h>

#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>

#include "../interop/SampleBaseline.h"
#include "model/Nodes.h"
#include "win32/BStr.h"
#include "win32/ComPtr.h"
#include "win32/Cp936.h"
#include "win32/MsxmlDocument.h"
#include "win32/Variant.h"

namespace topo::win32 {
namespace {

struct ParsedFile {
  bool wellFormed = false;
  bool declaresUtf16 = false;
  sample::Tree nodes;
};

void Walk(IXMLDOMNode* first, sample::Tree& out, bool& declaresUtf16) {
  ComPtr<IXMLDOMNode> node = ComPtr<IXMLDOMNode>::Borrow(first);
  while (node) {
    DOMNodeType type = NODE_INVALID;
    node->get_nodeType(&type);
    BStr name;
    node->get_nodeName(name.Put());
    ComPtr<IXMLDOMNode> child;
    if (type == NODE_ELEMENT) {
      out.push_back("<" + Cp936FromWide(name.Str()) + ">");
      node->get_firstChild(child.Put());
      Walk(child.Get(), out, declaresUtf16);
      out.push_back("</" + Cp936FromWide(name.Str()) + ">");
    } else if (type == NODE_TEXT) {
      Variant value;
      node->get_nodeValue(value.Put());
      const std::wstring text =
          value.Type() == VT_BSTR ? std::wstring(value.Get().bstrVal) : std::wstring();
      out.push_back("\"" + sample::Visible(Cp936FromWide(text)) + "\"");
    } else if (type == NODE_PROCESSING_INSTRUCTION && name.Str() == L"xml") {
      // The component keeps the declaration as a processing instruction.
      BStr data;
      node->get_text(data.Put());
      declaresUtf16 = data.Str().find(L"UTF-16") != std::wstring::npos;
    } else {
      out.push_back("other node " + std::to_string(type));
    }
    ComPtr<IXMLDOMNode> next;
    node->get_nextSibling(next.Put());
    node = std::move(next);
  }
}

// Parsed by the component directly, not through the document port, keeping
// every whitespace text node.
ParsedFile ParseKeepingWhitespace(const std::string& path) {
  ParsedFile result;
  ComPtr<IXMLDOMDocument> doc;
  if (FAILED(CoCreateInstance(kDomDocumentClass, nullptr, CLSCTX_INPROC_SERVER, IID_IXMLDOMDocument,
                              doc.PutVoid()))) {
    return result;
  }
  doc->put_async(VARIANT_FALSE);
  doc->put_preserveWhiteSpace(VARIANT_TRUE);
  VARIANT_BOOL ok = VARIANT_FALSE;
  if (doc->load(Variant::String(WideFromCp936(path)).Get(), &ok) != S_OK || !ok) return result;
  result.wellFormed = true;
  ComPtr<IXMLDOMNode> first;
  doc->get_firstChild(first.Put());
  Walk(first.Get(), result.nodes, result.declaresUtf16);
  return result;
}

std::string ReadBytes(const std::string& path) {
  std::ifstream in(WideFromCp936(path).c_str(), std::ios::binary);
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

class ComThread : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
  }
  void TearDown() override { CoUninitialize(); }
};

class BaselineWin32Test : public ComThread {
 protected:
  void SetUp() override {
    ComThread::SetUp();
    wchar_t temp[MAX_PATH];
    ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    prefix_ = Cp936FromWide(temp) + "topo-baseline-" + info->name() + "-" +
              std::to_string(GetCurrentProcessId()) + "-";
  }
  void TearDown() override {
    for (const std::string& path : made_) DeleteFileW(WideFromCp936(path).c_str());
    ComThread::TearDown();
  }
  std::string Path(const char* name) {
    made_.push_back(prefix_ + name);
    return made_.back();
  }
  std::string WriteFile(const char* name, const std::string& bytes) {
    const std::string path = Path(name);
    std::ofstream(WideFromCp936(path).c_str(), std::ios::binary) << bytes;
    return path;
  }

  std::string prefix_;
  std::vector<std::string> made_;
};

TEST_F(BaselineWin32Test, SaveWritesTheExactTreeInUtf16WithByteOrderMark) {
  TARNodeList list;
  sample::BuildSmall(list);
  const std::string path = Path("DatumNode.xml");
  list.SaveToFile(path, MsxmlDocument::Factory());
  const std::string bytes = ReadBytes(path);
  EXPECT_EQ(bytes.substr(0, 2), "\xff\xfe");
  const ParsedFile file = ParseKeepingWhitespace(path);
  ASSERT_TRUE(file.wellFormed);
  EXPECT_TRUE(file.declaresUtf16);
  EXPECT_TRUE(sample::TreeMatches(file.nodes, bytes, sample::SmallTree()))
      << ::testing::PrintToString(file.nodes);
}

TEST_F(BaselineWin32Test, EmptyModelSavesOnlyACarriageReturnAndLoadsNothing) {
  TARNodeList list;
  const std::string path = Path("empty.xml");
  list.SaveToFile(path, MsxmlDocument::Factory());
  const sample::Tree expected = sample::E("ARNodes", {sample::T("\r")});
  const ParsedFile file = ParseKeepingWhitespace(path);
  EXPECT_TRUE(file.declaresUtf16);
  EXPECT_TRUE(sample::TreeMatches(file.nodes, ReadBytes(path), expected))
      << ::testing::PrintToString(file.nodes);
  TARNodeList loaded;
  loaded.LoadFromFile(path, MsxmlDocument::Factory());
  EXPECT_EQ(loaded.Count(), 0);
}

TEST_F(BaselineWin32Test, RoundTripKeepsTheModelButClearsStatus) {
  TARNodeList list;
  sample::Build(list, true);
  const std::string path = Path("DatumNode.xml");
  list.SaveToFile(path, MsxmlDocument::Factory());
  TARNodeList loaded;
  loaded.LoadFromFile(path, MsxmlDocument::Factory());
  EXPECT_EQ(sample::Describe(loaded), sample::Expected());
}

TEST_F(BaselineWin32Test, ReadingRulesMatchTheNativeReader) {
  const std::string path = WriteFile(
      "rules.xml",
      "<?xml version='1.0' encoding='UTF-8'?><ARNodes>"
      "<ARNode><Name> a </Name><Rect> 7 ,8,9</Rect>"
      "<SubASs><SubAS><Name>s</Name><Rect>15</Rect></SubAS><X/></SubASs></ARNode>"
      "<ARNode><Name>b</Name><Rect>x,y</Rect></ARNode>"
      "<ARNode><Name>a</Name><SubASs><SubAS><Name>s</Name><Rect>1,1</Rect></SubAS></SubASs>"
      "</ARNode></ARNodes>");
  TARNodeList list;
  list.LoadFromFile(path, MsxmlDocument::Factory());
  ASSERT_EQ(list.Count(), 2);
  const TARNode& a = list.Items(0);
  EXPECT_EQ(a.Name(), "a");
  EXPECT_EQ(a.Rect, sample::Box(-500, -400)) << "the second element with the name wins";
  ASSERT_EQ(a.SubASs.Count(), 2);
  EXPECT_EQ(a.SubASs.Items(0).Rect, sample::Box(1, 1));
  EXPECT_EQ(a.SubASs.Items(1).Name(), "");
  EXPECT_EQ(list.Items(1).Rect, sample::Box(-500, -400));
}

TEST_F(BaselineWin32Test, MissingOrBrokenFileLeavesTheModelAsItWas) {
  TARNodeList saved;
  sample::Build(saved, true);
  const std::string good = Path("good.xml");
  saved.SaveToFile(good, MsxmlDocument::Factory());
  const std::string bytes = ReadBytes(good);
  for (const std::string& path :
       {Path("absent.xml"), WriteFile("truncated.xml", bytes.substr(0, bytes.size() / 2)),
        WriteFile("garbage.xml", "\x01\x02 not xml")}) {
    TARNodeList list;
    list.AddOrUpdateAR("kept", 1, TActiveFlags{}, 1);
    const std::string before = sample::Describe(list);
    list.LoadFromFile(path, MsxmlDocument::Factory());
    EXPECT_EQ(sample::Describe(list), before) << path;
  }
}

// Run by the interop chain: the native build wrote the files before, and
// checks the ones written here afterwards.
class BaselineInterop : public ComThread {};

TEST_F(BaselineInterop, LoadsTheNativeFilesAndWritesItsOwn) {
  const char* dir = std::getenv("TOPO_INTEROP_DIR");
  if (!dir || !*dir) GTEST_SKIP() << "TOPO_INTEROP_DIR is not set";
  const std::string folder = dir;

  TARNodeList loaded;
  loaded.LoadFromFile(folder + "\\native-sample.xml", MsxmlDocument::Factory());
  EXPECT_EQ(sample::Describe(loaded), sample::Expected());
  const std::string smallPath = folder + "\\native-small.xml";
  const ParsedFile small = ParseKeepingWhitespace(smallPath);
  ASSERT_TRUE(small.wellFormed);
  EXPECT_TRUE(small.declaresUtf16);
  EXPECT_TRUE(sample::TreeMatches(small.nodes, ReadBytes(smallPath), sample::SmallTree()))
      << ::testing::PrintToString(small.nodes);

  TARNodeList list;
  sample::Build(list, true);
  list.SaveToFile(folder + "\\msxml-sample.xml", MsxmlDocument::Factory());
  TARNodeList smallList;
  sample::BuildSmall(smallList);
  smallList.SaveToFile(folder + "\\msxml-small.xml", MsxmlDocument::Factory());
}

}  // namespace
}  // namespace topo::win32
