// The DOM component behind the XML document port, and the file replacement it
// saves through, under Wine: byte-order mark and declaration, whitespace kept
// on save and dropped on load, selection in document order, handles that stay
// valid, and failures that throw without touching the previous file.
#include <gtest/gtest.h>
#include <windows.h>

#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "win32/CheckedCall.h"
#include "win32/Cp936.h"
#include "win32/MsxmlDocument.h"
#include "win32/Win32FileStore.h"

namespace topo::win32 {
namespace {

// COM for the test's thread and a fresh folder under the temporary directory.
class MsxmlTest : public ::testing::Test {
 protected:
  void SetUp() override {
    ASSERT_TRUE(SUCCEEDED(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)));
    wchar_t temp[MAX_PATH];
    ASSERT_GT(GetTempPathW(MAX_PATH, temp), 0u);
    const auto* info = ::testing::UnitTest::GetInstance()->current_test_info();
    dir_ = std::wstring(temp) + L"topo-msxml-" + WideFromCp936(info->name()) + L"-" +
           std::to_wstring(GetCurrentProcessId());
    RemoveFolder();
    ASSERT_TRUE(CreateDirectoryW(dir_.c_str(), nullptr)) << GetLastError();
  }
  void TearDown() override {
    RemoveFolder();
    CoUninitialize();
  }

  void RemoveFolder() {
    for (const std::wstring& name : Entries()) DeleteFileW((dir_ + L"\\" + name).c_str());
    RemoveDirectoryW(dir_.c_str());
  }

  std::vector<std::wstring> Entries() const {
    std::vector<std::wstring> names;
    WIN32_FIND_DATAW found;
    HANDLE search = FindFirstFileW((dir_ + L"\\*").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return names;
    do {
      const std::wstring name = found.cFileName;
      if (name != L"." && name != L"..") names.push_back(name);
    } while (FindNextFileW(search, &found));
    FindClose(search);
    return names;
  }

  std::string Path(const char* name) const { return Cp936FromWide(dir_) + "\\" + name; }

  static std::string ReadBytes(const std::string& path) {
    std::ifstream in(WideFromCp936(path).c_str(), std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  }
  std::string WriteFile(const char* name, const std::string& bytes) const {
    std::ofstream(WideFromCp936(Path(name)).c_str(), std::ios::binary) << bytes;
    return Path(name);
  }

  std::wstring dir_;
};

TEST_F(MsxmlTest, SavesUtf16WithByteOrderMarkAndReplacesTheOldFile) {
  const std::string path = WriteFile("out.xml", std::string(3000, 'x'));
  MsxmlDocument doc;
  const XmlNode root = doc.Root();
  const XmlNode top = doc.CreateElement("Top");
  doc.AppendChild(root, top);
  doc.InsertBefore(root, doc.CreateProcessingInstruction("xml", "version='1.0' encoding='UTF-16'"),
                   doc.FirstChild(root));
  const XmlNode name = doc.CreateElement("Name");
  doc.SetText(name, "\xd6\xd0\xd0\xc4");  // two Chinese characters in code page 936
  doc.AppendChild(top, doc.CreateTextNode("\r\t"));
  doc.AppendChild(top, name);
  doc.Save(path);

  const std::string bytes = ReadBytes(path);
  ASSERT_GE(bytes.size(), 4u);
  EXPECT_EQ(bytes.substr(0, 4), std::string("\xff\xfe<\0", 4));
  const std::string centre("\x2d\x4e\xc3\x5f", 4);  // U+4E2D U+5FC3, little-endian
  EXPECT_NE(bytes.find(centre), std::string::npos);
  EXPECT_EQ(Entries(), std::vector<std::wstring>{L"out.xml"}) << "no temporary left";

  MsxmlDocument back;
  ASSERT_TRUE(back.Load(path));
  const XmlNode loadedTop = back.DocumentElement();
  // The whitespace text before Name is not a child after loading: the first
  // child is the element, whose text is the name, and nothing follows it.
  const XmlNode first = back.FirstChild(loadedTop);
  ASSERT_TRUE(first);
  EXPECT_EQ(back.Text(first), "\xd6\xd0\xd0\xc4");
  EXPECT_FALSE(back.FirstChild(first) && back.Text(back.FirstChild(first)).empty());
  EXPECT_EQ(back.Text(loadedTop), "\xd6\xd0\xd0\xc4");
}

TEST_F(MsxmlTest, FailedSaveThrowsAndKeepsThePreviousFile) {
  MsxmlDocument doc;
  doc.AppendChild(doc.Root(), doc.CreateElement("Top"));
  EXPECT_THROW(doc.Save(Path("missing\\out.xml")), EHostCallError);

  // A target open without sharing cannot be replaced.
  const std::string path = WriteFile("locked.xml", "previous");
  HANDLE lock = CreateFileW(WideFromCp936(path).c_str(), GENERIC_READ, 0, nullptr, OPEN_EXISTING,
                            FILE_ATTRIBUTE_NORMAL, nullptr);
  ASSERT_NE(lock, INVALID_HANDLE_VALUE);
  EXPECT_THROW(doc.Save(path), EHostCallError);
  CloseHandle(lock);
  EXPECT_EQ(ReadBytes(path), "previous");
  EXPECT_EQ(Entries(), std::vector<std::wstring>{L"locked.xml"}) << "no temporary left";
}

TEST_F(MsxmlTest, LoadReportsMissingAndBrokenFilesWithoutThrowing) {
  MsxmlDocument doc;
  EXPECT_FALSE(doc.Load(Path("absent.xml")));
  EXPECT_FALSE(doc.Load(WriteFile("broken.xml", "<a><b></a>")));
  EXPECT_FALSE(doc.Load(WriteFile("empty.xml", "")));
  EXPECT_TRUE(doc.Load(WriteFile("good.xml", "<a/>")));
}

TEST_F(MsxmlTest, NavigationSkipsNonElementsAndSelectsInDocumentOrder) {
  MsxmlDocument doc;
  ASSERT_TRUE(doc.Load(WriteFile("nav.xml",
                                 "<r>\r\n\t<!-- note --><x><Name> n1 </Name></x>text"
                                 "<?pi data?><y><L/><L><I>first</I></L><I>not this</I></y></r>")));
  const XmlNode r = doc.DocumentElement();
  const XmlNode x = doc.FirstChildElement(r);
  ASSERT_TRUE(x);
  EXPECT_EQ(doc.Text(doc.SelectFirst(x, "Name")), "n1")
      << "the component trims the text of a loaded element";
  const XmlNode y = doc.NextSiblingElement(x);
  ASSERT_TRUE(y);
  EXPECT_FALSE(doc.NextSiblingElement(y));
  EXPECT_EQ(doc.Text(doc.SelectFirst(y, "L/I")), "first");
  EXPECT_FALSE(doc.SelectFirst(y, "Missing/I"));
  EXPECT_FALSE(doc.FirstChildElement(doc.SelectFirst(y, "L")));
}

TEST_F(MsxmlTest, ForeignHandlesAreRefused) {
  MsxmlDocument doc;
  EXPECT_THROW(doc.Text(XmlNode()), std::invalid_argument);
  EXPECT_THROW(doc.AppendChild(doc.Root(), XmlNode(9999)), std::invalid_argument);
}

TEST_F(MsxmlTest, FileStoreReplacesWholeFilesOrNothing) {
  Win32FileStore files;
  const std::string path = WriteFile("list.xml", "old content that is longer");
  const std::string bytes("new\r\n\0\xff", 7);
  files.ReplaceFile(path, bytes);
  EXPECT_EQ(ReadBytes(path), bytes);
  EXPECT_THROW(files.ReplaceFile(Path("missing\\list.xml"), bytes), EHostCallError);
  EXPECT_EQ(Entries(), std::vector<std::wstring>{L"list.xml"});
}

}  // namespace
}  // namespace topo::win32
