// PNG through the system's imaging component: it compresses and expands the
// pixels; the chunks around them (the text, every checksum) are checked here.
#include "host/Png.h"

#include <wincodec.h>
#include <windows.h>

#include <algorithm>
#include <array>
#include <cstring>

#include "win32/ComPtr.h"

namespace arhost {

namespace {

using topo::win32::ComPtr;

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

namespace {

// COM for the imaging component, on whatever apartment the thread has.
class ComScope {
 public:
  ComScope() : result_(CoInitializeEx(nullptr, COINIT_APARTMENTTHREADED)) {}
  ComScope(const ComScope&) = delete;
  ComScope& operator=(const ComScope&) = delete;
  ~ComScope() {
    if (SUCCEEDED(result_)) CoUninitialize();
  }

 private:
  HRESULT result_;
};

ComPtr<IWICImagingFactory> ImagingFactory() {
  ComPtr<IWICImagingFactory> factory;
  CoCreateInstance(CLSID_WICImagingFactory, nullptr, CLSCTX_INPROC_SERVER, IID_IWICImagingFactory,
                   factory.PutVoid());
  return factory;
}

// The PNG of the pixels alone, as the imaging component writes it.
std::vector<uint8_t> EncodePixels(const Image& image) {
  ComScope com;
  auto factory = ImagingFactory();
  ComPtr<IStream> stream;
  ComPtr<IWICBitmapEncoder> encoder;
  ComPtr<IWICBitmapFrameEncode> frame;
  ComPtr<IPropertyBag2> options;
  if (!factory || FAILED(CreateStreamOnHGlobal(nullptr, TRUE, stream.Put())) ||
      FAILED(factory->CreateEncoder(GUID_ContainerFormatPng, nullptr, encoder.Put())) ||
      FAILED(encoder->Initialize(stream.Get(), WICBitmapEncoderNoCache)) ||
      FAILED(encoder->CreateNewFrame(frame.Put(), options.Put())) ||
      FAILED(frame->Initialize(options.Get())) ||
      FAILED(frame->SetSize(static_cast<UINT>(image.width), static_cast<UINT>(image.height))))
    return {};
  WICPixelFormatGUID format = GUID_WICPixelFormat24bppBGR;
  if (FAILED(frame->SetPixelFormat(&format)) || !IsEqualGUID(format, GUID_WICPixelFormat24bppBGR))
    return {};
  std::vector<uint8_t> bgr(image.rgb.size());
  for (size_t i = 0; i + 2 < bgr.size(); i += 3) {
    bgr[i] = image.rgb[i + 2];
    bgr[i + 1] = image.rgb[i + 1];
    bgr[i + 2] = image.rgb[i];
  }
  const UINT stride = static_cast<UINT>(image.width) * 3;
  HGLOBAL memory = nullptr;
  STATSTG stat = {};
  if (FAILED(frame->WritePixels(static_cast<UINT>(image.height), stride,
                                static_cast<UINT>(bgr.size()), bgr.data())) ||
      FAILED(frame->Commit()) || FAILED(encoder->Commit()) ||
      FAILED(stream->Stat(&stat, STATFLAG_NONAME)) ||
      FAILED(GetHGlobalFromStream(stream.Get(), &memory)))
    return {};
  const auto* bytes = static_cast<const uint8_t*>(GlobalLock(memory));
  if (!bytes) return {};
  std::vector<uint8_t> out(bytes, bytes + stat.cbSize.QuadPart);
  GlobalUnlock(memory);
  return out;
}

// The pixels of a PNG, read by the imaging component; empty when it cannot.
std::vector<uint8_t> DecodePixels(const std::vector<uint8_t>& png, int width, int height) {
  ComScope com;
  auto factory = ImagingFactory();
  ComPtr<IWICStream> stream;
  ComPtr<IWICBitmapDecoder> decoder;
  ComPtr<IWICBitmapFrameDecode> frame;
  ComPtr<IWICBitmapSource> bgr;
  UINT w = 0, h = 0;
  if (!factory || FAILED(factory->CreateStream(stream.Put())) ||
      FAILED(stream->InitializeFromMemory(const_cast<BYTE*>(png.data()),
                                          static_cast<DWORD>(png.size()))) ||
      FAILED(factory->CreateDecoderFromStream(stream.Get(), nullptr, WICDecodeMetadataCacheOnDemand,
                                              decoder.Put())) ||
      FAILED(decoder->GetFrame(0, frame.Put())) || FAILED(frame->GetSize(&w, &h)) ||
      w != static_cast<UINT>(width) || h != static_cast<UINT>(height) ||
      FAILED(WICConvertBitmapSource(GUID_WICPixelFormat24bppBGR, frame.Get(), bgr.Put())))
    return {};
  std::vector<uint8_t> pixels(static_cast<size_t>(w) * h * 3);
  if (FAILED(bgr->CopyPixels(nullptr, w * 3, static_cast<UINT>(pixels.size()), pixels.data())))
    return {};
  for (size_t i = 0; i + 2 < pixels.size(); i += 3) std::swap(pixels[i], pixels[i + 2]);
  return pixels;
}

}  // namespace

std::vector<uint8_t> EncodePng(const Image& image, const TextChunks& text) {
  std::vector<uint8_t> out = EncodePixels(image);
  // The text goes right behind the header, which a PNG always starts with.
  constexpr size_t kAfterHeader = 8 + 12 + 13;
  if (out.size() < kAfterHeader || std::memcmp(&out[12], "IHDR", 4) != 0) return {};
  std::vector<uint8_t> chunks;
  for (const auto& [key, value] : text) {
    std::vector<uint8_t> data(key.begin(), key.end());
    data.push_back(0);
    data.insert(data.end(), value.begin(), value.end());
    Chunk(chunks, "tEXt", data);
  }
  out.insert(out.begin() + kAfterHeader, chunks.begin(), chunks.end());
  return out;
}

std::optional<Image> DecodePng(const std::vector<uint8_t>& png, TextChunks* text) {
  if (png.size() < 8 || std::memcmp(png.data(), kSignature, 8) != 0) return std::nullopt;
  Image image;
  bool header = false, end = false, data = false;
  size_t pos = 8;
  while (!end) {
    if (png.size() - pos < 12) return std::nullopt;
    uint32_t length = ReadBe32(&png[pos]);
    if (length > png.size() - pos - 12) return std::nullopt;
    const uint8_t* type = &png[pos + 4];
    const uint8_t* body = type + 4;
    if (Crc32(type, length + 4) != ReadBe32(body + length)) return std::nullopt;
    std::string name(reinterpret_cast<const char*>(type), 4);
    if (name == "IHDR") {
      if (length != 13 || body[8] != 8 || body[9] != 2 || body[10] || body[11] || body[12])
        return std::nullopt;
      image.width = static_cast<int>(ReadBe32(body));
      image.height = static_cast<int>(ReadBe32(body + 4));
      if (image.width <= 0 || image.height <= 0 || image.width > 16384 || image.height > 16384)
        return std::nullopt;
      header = true;
    } else if (name == "IDAT") {
      data = true;
    } else if (name == "tEXt" && text) {
      const uint8_t* zero = std::find(body, body + length, uint8_t{0});
      if (zero == body + length) return std::nullopt;
      text->emplace_back(std::string(body, zero), std::string(zero + 1, body + length));
    } else if (name == "IEND") {
      end = true;
    }
    pos += 12 + length;
  }
  if (!header || !data) return std::nullopt;
  image.rgb = DecodePixels(png, image.width, image.height);
  if (image.rgb.empty()) return std::nullopt;
  return image;
}

}  // namespace arhost
