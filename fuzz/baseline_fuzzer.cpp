// The baseline reader on arbitrary bytes as the file. Besides not crashing,
// whatever a file loads as must survive a save and a second load unchanged:
// a baseline that changes each time it is saved would slowly corrupt itself.
#include <unistd.h>

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>

#include "../tests/interop/SampleBaseline.h"
#include "model/Nodes.h"
#include "posix/LibXmlDocument.h"

namespace {

std::string TempPath(const char* suffix) {
  return "/tmp/baseline_fuzzer-" + std::to_string(::getpid()) + suffix;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  static const std::string input = TempPath(".in.xml");
  static const std::string output = TempPath(".out.xml");
  FILE* file = std::fopen(input.c_str(), "wb");
  if (!file) return 0;
  std::fwrite(data, 1, size, file);
  std::fclose(file);

  const topo::XmlDocumentFactory factory = topo::LibXmlDocument::Factory();
  topo::TARNodeList first;
  first.LoadFromFile(input, factory);
  first.SaveToFile(output, factory);
  topo::TARNodeList second;
  second.LoadFromFile(output, factory);
  const std::string a = topo::sample::Describe(first);
  const std::string b = topo::sample::Describe(second);
  if (a != b) {
    std::fprintf(stderr, "first load:\n%s\nafter saving and loading again:\n%s\n", a.c_str(),
                 b.c_str());
    std::abort();
  }
  return 0;
}
