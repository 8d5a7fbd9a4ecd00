// The native half of the cross-check between the two XML implementations: it
// writes the sample baselines with libxml2 for the Windows build to load, and
// checks the ones the Windows build wrote. Exit status 0 means every check held.
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>

#include "LibXmlTree.h"
#include "SampleBaseline.h"
#include "posix/LibXmlDocument.h"

namespace {

using namespace topo;

int Write(const std::string& dir) {
  std::filesystem::create_directories(dir);
  TARNodeList sampleList;
  sample::Build(sampleList, true);
  sampleList.SaveToFile(dir + "/native-sample.xml", LibXmlDocument::Factory());
  TARNodeList small;
  sample::BuildSmall(small);
  small.SaveToFile(dir + "/native-small.xml", LibXmlDocument::Factory());
  std::printf("wrote %s/native-sample.xml and native-small.xml\n", dir.c_str());
  return 0;
}

std::string Lines(const sample::Tree& tree) {
  std::string out;
  for (const std::string& line : tree) out += "  " + line + "\n";
  return out;
}

int Check(const std::string& dir) {
  int failures = 0;
  const std::string samplePath = dir + "/msxml-sample.xml";
  TARNodeList loaded;
  loaded.LoadFromFile(samplePath, LibXmlDocument::Factory());
  const std::string got = sample::Describe(loaded);
  const std::string expected = sample::Expected();
  if (got != expected) {
    std::printf("%s loads as\n%s\nexpected\n%s\n", samplePath.c_str(), got.c_str(),
                expected.c_str());
    ++failures;
  }

  const std::string smallPath = dir + "/msxml-small.xml";
  const sample::ParsedFile file = sample::ParseKeepingWhitespace(smallPath);
  std::ifstream in(smallPath, std::ios::binary);
  const std::string bytes{std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
  if (!file.wellFormed || file.encoding != "UTF-16" || bytes.compare(0, 2, "\xff\xfe") != 0 ||
      !sample::TreeMatches(file.nodes, bytes, sample::SmallTree())) {
    std::printf("%s: well formed %d, byte-order mark %d, encoding '%s', tree\n%sexpected\n%s",
                smallPath.c_str(), file.wellFormed ? 1 : 0,
                bytes.compare(0, 2, "\xff\xfe") == 0 ? 1 : 0, file.encoding.c_str(),
                Lines(file.nodes).c_str(), Lines(sample::SmallTree()).c_str());
    ++failures;
  }
  if (failures == 0) std::printf("the files the Windows build wrote load and match\n");
  return failures == 0 ? 0 : 1;
}

}  // namespace

int main(int argc, char** argv) {
  const std::string command = argc == 3 ? argv[1] : "";
  try {
    if (command == "write") return Write(argv[2]);
    if (command == "check") return Check(argv[2]);
  } catch (const std::exception& e) {
    std::fprintf(stderr, "baseline_interop %s: %s\n", command.c_str(), e.what());
    return 1;
  }
  std::fprintf(stderr, "usage: baseline_interop write|check DIR\n");
  return 2;
}
