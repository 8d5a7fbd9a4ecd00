// The enabled-server list: exact bytes, instance spans, escaping, and a file
// replacement that leaves the old file alone when it fails.
#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <system_error>

#include "model/FileStore.h"
#include "model/Nodes.h"
#include "posix/StdFileStore.h"

namespace topo {
namespace {

const std::string kARStart =
    "  <AR note=\"\xd2\xd1\xc6\xf4\xd3\xc3\xb5\xc4"
    "AR\xc1\xd0\xb1\xed\">\r\n";
const std::string kASStart =
    "  <AS note=\"\xd2\xd1\xc6\xf4\xd3\xc3\xb5\xc4"
    "AS\xc1\xd0\xb1\xed\">\r\n";

class MemoryStore : public FileStore {
 public:
  void ReplaceFile(const std::string& path, const std::string& bytes) override {
    files[path] = bytes;
  }
  std::map<std::string, std::string> files;
};

TEST(EnabledListTest, EmptyModelWritesFourLines) {
  TARNodeList list;
  MemoryStore store;
  list.ExportEnabledList("ARASList.xml", store);
  EXPECT_EQ(store.files["ARASList.xml"], kARStart + "  </AR>\r\n" + kASStart + "  </AS>\r\n");
}

TEST(EnabledListTest, ListsEveryNodeAndServerWithItsInstanceSpan) {
  TARNodeList list;
  list.AddOrUpdateAR("R1", 2, {1, 0, 0, 1}, 0);
  list.AddOrUpdateAR("\xd6\xd0", 0, {}, 0);  // no server, no instance
  list.AddOrUpdateAR("R3", 1, {1}, 0);
  list.AddOrUpdateSubAS(0, "S", 1, {0, 0, 0, 0, 0, 0, 0, 0, 0, 1}, 0);
  list.AddOrUpdateSubAS(2, "S", 0, {}, 0);
  list.AddOrUpdateSubAS(0, "T", 0, {}, 0);
  const std::string expected =
      kARStart +
      "    <item name=\"R1\" num=\"4\" tyep=\"1\" note=\"R1\" />\r\n"
      "    <item name=\"\xd6\xd0\" num=\"1\" tyep=\"1\" note=\"\xd6\xd0\" />\r\n"
      "    <item name=\"R3\" num=\"1\" tyep=\"1\" note=\"R3\" />\r\n"
      "  </AR>\r\n" +
      kASStart +
      "    <item name=\"S\" num=\"10\" ar=\"R1\" type=\"1\" note=\"S\" />\r\n"
      "    <item name=\"T\" num=\"1\" ar=\"R1\" type=\"1\" note=\"T\" />\r\n"
      "    <item name=\"S\" num=\"1\" ar=\"R3\" type=\"1\" note=\"S\" />\r\n"
      "  </AS>\r\n";
  EXPECT_EQ(list.EnabledListText(), expected);
}

TEST(EnabledListTest, MarkupCharactersInNamesBecomeCharacterReferences) {
  TARNodeList list;
  list.AddOrUpdateAR("a\"b&c<d>e'\x81\x40", 0, {}, 0);
  list.AddOrUpdateSubAS(0, "<s>", 0, {}, 0);
  const std::string text = list.EnabledListText();
  EXPECT_NE(text.find("name=\"a&#34;b&#38;c&#60;d&#62;e'\x81\x40\" num=\"1\" tyep=\"1\" "
                      "note=\"a&#34;b&#38;c&#60;d&#62;e'\x81\x40\" />"),
            std::string::npos);
  EXPECT_NE(text.find("name=\"&#60;s&#62;\" num=\"1\" ar=\"a&#34;b&#38;c&#60;d&#62;e'\x81\x40\""),
            std::string::npos);
}

class StdFileStoreTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir = std::filesystem::temp_directory_path() /
          ("topo-store-" + std::to_string(::getpid()) + "-" +
           ::testing::UnitTest::GetInstance()->current_test_info()->name());
    std::filesystem::remove_all(dir);
    std::filesystem::create_directories(dir);
  }
  void TearDown() override { std::filesystem::remove_all(dir); }
  static std::string Read(const std::filesystem::path& p) {
    std::ifstream in(p, std::ios::binary);
    std::ostringstream s;
    s << in.rdbuf();
    return s.str();
  }
  size_t Entries() const {
    return static_cast<size_t>(std::distance(std::filesystem::directory_iterator(dir),
                                             std::filesystem::directory_iterator()));
  }
  std::filesystem::path dir;
};

TEST_F(StdFileStoreTest, ReplacesExistingFileWithExactBytes) {
  const auto target = dir / "ARASList.xml";
  std::ofstream(target) << "old contents that are longer than the new ones";
  StdFileStore store;
  const std::string bytes("a\r\n\0\xff", 5);
  store.ReplaceFile(target.string(), bytes);
  EXPECT_EQ(Read(target), bytes);
  EXPECT_EQ(Entries(), 1u);  // no temporary left behind
}

TEST_F(StdFileStoreTest, FailureThrowsAndLeavesNothingBehind) {
  StdFileStore store;
  EXPECT_THROW(store.ReplaceFile((dir / "missing" / "x.xml").string(), "x"), std::system_error);
  // Renaming a file over a non-empty directory fails after the write.
  const auto blocked = dir / "blocked";
  std::filesystem::create_directories(blocked / "inside");
  EXPECT_THROW(store.ReplaceFile(blocked.string(), "x"), std::system_error);
  EXPECT_TRUE(std::filesystem::is_directory(blocked / "inside"));
  EXPECT_EQ(Entries(), 1u);
}

}  // namespace
}  // namespace topo
