// The iconv conversion behind the native tests' codec.
#include "MemoryFiles.h"

#include <iconv.h>

#include <memory>

namespace topo::test {
namespace {

std::string Convert(const char* to, const char* from, const std::string& text) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) throw std::runtime_error("iconv_open");
  std::unique_ptr<void, int (*)(iconv_t)> owner(cd, iconv_close);
  std::string out(text.size() * 4 + 4, '\0');
  char* in = const_cast<char*>(text.data());
  size_t inLeft = text.size();
  char* outPtr = out.data();
  size_t outLeft = out.size();
  if (iconv(cd, &in, &inLeft, &outPtr, &outLeft) == static_cast<size_t>(-1))
    throw std::runtime_error("iconv");
  out.resize(out.size() - outLeft);
  return out;
}

}  // namespace

std::string IconvCodec::Utf8FromCp936(const std::string& text) const {
  return Convert("UTF-8", "CP936", text);
}

std::string IconvCodec::Cp936FromUtf8(const std::string& text) const {
  return Convert("CP936", "UTF-8", text);
}

}  // namespace topo::test
