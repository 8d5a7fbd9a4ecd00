// PNG for the host's screenshots: 8-bit RGB, compressed by the system's
// imaging component, with tEXt chunks that record where the frame and the
// plug-in window lie. The reader accepts RGB files such as the writer makes,
// which is all the end-to-end checks need, and verifies every checksum.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <utility>
#include <vector>

namespace arhost {

struct Image {
  int width = 0;
  int height = 0;
  std::vector<uint8_t> rgb;  // top row first, 3 bytes a pixel

  uint32_t Pixel(int x, int y) const {  // 0xRRGGBB
    size_t i = (static_cast<size_t>(y) * static_cast<size_t>(width) + static_cast<size_t>(x)) * 3;
    return uint32_t(rgb[i]) << 16 | uint32_t(rgb[i + 1]) << 8 | rgb[i + 2];
  }
};

using TextChunks = std::vector<std::pair<std::string, std::string>>;

uint32_t Crc32(const uint8_t* data, size_t size, uint32_t crc = 0);

// Empty when the imaging component cannot write the image.
std::vector<uint8_t> EncodePng(const Image& image, const TextChunks& text = {});
// Empty unless the bytes are a PNG of the kind EncodePng writes.
std::optional<Image> DecodePng(const std::vector<uint8_t>& png, TextChunks* text = nullptr);

}  // namespace arhost
