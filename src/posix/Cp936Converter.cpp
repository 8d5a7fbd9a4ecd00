// The conversions run iconv over the whole text and reset its state after a
// bad sequence, so one bad byte costs one "?" and not the rest of the text.
#include "posix/Cp936Converter.h"

#include <iconv.h>

#include <cerrno>
#include <stdexcept>

namespace topo {

namespace {

iconv_t Open(const char* to, const char* from) {
  iconv_t cd = iconv_open(to, from);
  if (cd == reinterpret_cast<iconv_t>(-1)) {
    throw std::runtime_error(std::string("no converter from ") + from + " to " + to);
  }
  return cd;
}

// Runs the whole text through cd; on a sequence it cannot convert it writes
// "?" and skips what skip() says.
template <typename Skip>
std::string Convert(void* handle, const std::string& text, Skip skip) {
  iconv_t cd = static_cast<iconv_t>(handle);
  iconv(cd, nullptr, nullptr, nullptr, nullptr);
  std::string out;
  out.resize(text.size() * 2 + 16);
  char* in = const_cast<char*>(text.data());
  size_t inLeft = text.size();
  size_t used = 0;
  while (inLeft > 0) {
    char* dest = out.data() + used;
    size_t destLeft = out.size() - used;
    const size_t result = iconv(cd, &in, &inLeft, &dest, &destLeft);
    used = out.size() - destLeft;
    if (result != static_cast<size_t>(-1)) break;
    if (errno == E2BIG) {
      out.resize(out.size() * 2);
      continue;
    }
    // EILSEQ, or EINVAL for a sequence cut off at the end.
    const size_t n = errno == EINVAL ? inLeft : skip(in, inLeft);
    in += n;
    inLeft -= n;
    if (used == out.size()) out.resize(out.size() * 2);
    out[used++] = '?';
    iconv(cd, nullptr, nullptr, nullptr, nullptr);
  }
  out.resize(used);
  return out;
}

}  // namespace

Cp936Converter::Cp936Converter() : toUtf8_(Open("UTF-8", "CP936")) {
  try {
    fromUtf8_ = Open("CP936", "UTF-8");
  } catch (...) {
    iconv_close(static_cast<iconv_t>(toUtf8_));
    throw;
  }
}

Cp936Converter::~Cp936Converter() {
  iconv_close(static_cast<iconv_t>(toUtf8_));
  iconv_close(static_cast<iconv_t>(fromUtf8_));
}

std::string Cp936Converter::Utf8FromCp936(const std::string& text) const {
  // A lead byte whose trail is invalid: only the lead byte is lost, the next
  // byte may start a character of its own.
  return Convert(toUtf8_, text, [](const char*, size_t) { return size_t{1}; });
}

std::string Cp936Converter::Cp936FromUtf8(const std::string& text) const {
  // Skip one whole UTF-8 character: the byte and its continuation bytes.
  return Convert(fromUtf8_, text, [](const char* at, size_t left) {
    size_t n = 1;
    while (n < left && (static_cast<unsigned char>(at[n]) & 0xC0) == 0x80) ++n;
    return n;
  });
}

}  // namespace topo
