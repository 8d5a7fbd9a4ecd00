// PNG chunks, zlib framing and stored deflate blocks (at most 65535 bytes each).
#include "Png.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace arhost {

namespace {

constexpr uint8_t kSignature[8] = {0x89, 'P', 'N', 'G', '\r', '\n', 0x1A, '\n'};

const std::array<uint32_t, 256>& CrcTable() {
  static const std::array<uint32_t, 256> table = [] {
    std::array<uint32_t, 256> t{};
    for (uint32_t n = 0; n < 256; ++n) {
      uint32_t c = n;
      for (int k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320u ^ (c >> 1) : c >> 1;
      t[n] = c;
    }
    return t;
  }();
  return table;
}

void Be32(std::vector<uint8_t>& out, uint32_t v) {
  for (int i = 3; i >= 0; --i) out.push_back(static_cast<uint8_t>(v >> (8 * i)));
}

uint32_t ReadBe32(const uint8_t* p) {
  return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

void Chunk(std::vector<uint8_t>& out, const char* type, const std::vector<uint8_t>& data) {
  Be32(out, static_cast<uint32_t>(data.size()));
  size_t start = out.size();
  out.insert(out.end(), type, type + 4);
  out.insert(out.end(), data.begin(), data.end());
  Be32(out, Crc32(out.data() + start, out.size() - start));
}

}  // namespace

uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc) {
  crc = ~crc;
  for (size_t i = 0; i < size; ++i) crc = CrcTable()[(crc ^ data[i]) & 0xFF] ^ (crc >> 8);
  return ~crc;
}

uint32_t Adler32(const uint8_t* data, size_t size) {
  uint32_t a = 1, b = 0;
  for (size_t i = 0; i < size; ++i) {
    a = (a + data[i]) % 65521;
    b = (b + a) % 65521;
  }
  return b << 16 | a;
}

std::vector<uint8_t> EncodePng(const Image& image, const TextChunks& text) {
  std::vector<uint8_t> out(kSignature, kSignature + 8);
  std::vector<uint8_t> header;
  Be32(header, static_cast<uint32_t>(image.width));
  Be32(header, static_cast<uint32_t>(image.height));
  header.insert(header.end(), {8, 2, 0, 0, 0});  // 8 bits, RGB, deflate, filter set 0, no interlace
  Chunk(out, "IHDR", header);
  for (const auto& [key, value] : text) {
    std::vector<uint8_t> data(key.begin(), key.end());
    data.push_back(0);
    data.insert(data.end(), value.begin(), value.end());
    Chunk(out, "tEXt", data);
  }

  // Each row: filter type 0, then the pixels unchanged.
  size_t stride = static_cast<size_t>(image.width) * 3;
  std::vector<uint8_t> raw;
  raw.reserve((stride + 1) * static_cast<size_t>(image.height));
  for (int y = 0; y < image.height; ++y) {
    raw.push_back(0);
    auto row = image.rgb.begin() + static_cast<std::ptrdiff_t>(stride * static_cast<size_t>(y));
    raw.insert(raw.end(), row, row + static_cast<std::ptrdiff_t>(stride));
  }
  std::vector<uint8_t> z = {0x78, 0x01};
  size_t pos = 0;
  do {
    size_t n = std::min<size_t>(65535, raw.size() - pos);
    bool last = pos + n == raw.size();
    z.push_back(last ? 1 : 0);
    z.push_back(static_cast<uint8_t>(n & 0xFF));
    z.push_back(static_cast<uint8_t>(n >> 8));
    z.push_back(static_cast<uint8_t>(~n & 0xFF));
    z.push_back(static_cast<uint8_t>((~n >> 8) & 0xFF));
    z.insert(z.end(), raw.begin() + static_cast<std::ptrdiff_t>(pos),
             raw.begin() + static_cast<std::ptrdiff_t>(pos + n));
    pos += n;
  } while (pos < raw.size());
  Be32(z, Adler32(raw.data(), raw.size()));
  Chunk(out, "IDAT", z);
  Chunk(out, "IEND", {});
  return out;
}

std::optional<Image> DecodePng(const std::vector<uint8_t>& png, TextChunks* text) {
  if (png.size() < 8 || std::memcmp(png.data(), kSignature, 8) != 0) return std::nullopt;
  Image image;
  std::vector<uint8_t> z;
  bool header = false, end = false;
  size_t pos = 8;
  while (!end) {
    if (png.size() - pos < 12) return std::nullopt;
    uint32_t length = ReadBe32(&png[pos]);
    if (length > png.size() - pos - 12) return std::nullopt;
    const uint8_t* type = &png[pos + 4];
    const uint8_t* data = type + 4;
    if (Crc32(type, length + 4) != ReadBe32(data + length)) return std::nullopt;
    std::string name(reinterpret_cast<const char*>(type), 4);
    if (name == "IHDR") {
      if (length != 13 || data[8] != 8 || data[9] != 2 || data[10] || data[11] || data[12])
        return std::nullopt;
      image.width = static_cast<int>(ReadBe32(data));
      image.height = static_cast<int>(ReadBe32(data + 4));
      if (image.width <= 0 || image.height <= 0 || image.width > 16384 || image.height > 16384)
        return std::nullopt;
      header = true;
    } else if (name == "IDAT") {
      z.insert(z.end(), data, data + length);
    } else if (name == "tEXt" && text) {
      const uint8_t* zero = std::find(data, data + length, uint8_t{0});
      if (zero == data + length) return std::nullopt;
      text->emplace_back(std::string(data, zero), std::string(zero + 1, data + length));
    } else if (name == "IEND") {
      end = true;
    }
    pos += 12 + length;
  }
  if (!header || z.size() < 6 || (z[0] & 0x0F) != 8 || ((z[0] << 8) | z[1]) % 31)
    return std::nullopt;

  std::vector<uint8_t> raw;
  size_t at = 2;
  for (bool last = false; !last;) {
    if (z.size() - at < 5 || (z[at] & 0x06) != 0) return std::nullopt;  // stored blocks only
    last = z[at] & 1;
    size_t n = z[at + 1] | size_t(z[at + 2]) << 8;
    size_t check = z[at + 3] | size_t(z[at + 4]) << 8;
    if ((n ^ 0xFFFF) != check || z.size() - at - 5 < n) return std::nullopt;
    raw.insert(raw.end(), z.begin() + static_cast<std::ptrdiff_t>(at + 5),
               z.begin() + static_cast<std::ptrdiff_t>(at + 5 + n));
    at += 5 + n;
  }
  if (z.size() - at != 4 || ReadBe32(&z[at]) != Adler32(raw.data(), raw.size()))
    return std::nullopt;

  size_t stride = static_cast<size_t>(image.width) * 3;
  if (raw.size() != (stride + 1) * static_cast<size_t>(image.height)) return std::nullopt;
  image.rgb.reserve(stride * static_cast<size_t>(image.height));
  for (int y = 0; y < image.height; ++y) {
    const uint8_t* row = &raw[(stride + 1) * static_cast<size_t>(y)];
    if (row[0] != 0) return std::nullopt;
    image.rgb.insert(image.rgb.end(), row + 1, row + 1 + stride);
  }
  return image;
}

}  // namespace arhost
