// Writes the alarm sounds (RIFF WAVE, PCM, mono, 22050 Hz, 8 bits) and the
// alarm pictures (105 x 65, 256-colour BMP) into a folder. Built and run on
// the build machine, so the repository keeps only this program.
// Usage: make_alarm_media OUTPUT_DIR
#include <cmath>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr int kRate = 22050;
constexpr double kPi = 3.14159265358979323846;

void Put16(std::vector<uint8_t>& b, uint32_t v) {
  b.push_back(v & 0xFF);
  b.push_back((v >> 8) & 0xFF);
}
void Put32(std::vector<uint8_t>& b, uint32_t v) {
  Put16(b, v & 0xFFFF);
  Put16(b, v >> 16);
}
void PutTag(std::vector<uint8_t>& b, const char* tag) { b.insert(b.end(), tag, tag + 4); }

bool Write(const std::string& path, const std::vector<uint8_t>& bytes) {
  FILE* f = std::fopen(path.c_str(), "wb");
  if (!f) return false;
  bool ok = std::fwrite(bytes.data(), 1, bytes.size(), f) == bytes.size();
  return std::fclose(f) == 0 && ok;
}

struct Tone {
  double hertz;
  double seconds;  // a tone of 0 Hz is silence
};

std::vector<uint8_t> Wave(const std::vector<Tone>& tones) {
  std::vector<uint8_t> samples;
  for (const Tone& t : tones) {
    int n = static_cast<int>(t.seconds * kRate);
    for (int i = 0; i < n; ++i) {
      // A short fade at both ends keeps the tone from clicking.
      double edge = std::fmin(1.0, std::fmin(i, n - 1 - i) / (0.005 * kRate));
      double s = t.hertz > 0 ? std::sin(2 * kPi * t.hertz * i / kRate) * 0.6 * edge : 0.0;
      samples.push_back(static_cast<uint8_t>(std::lround(128 + 127 * s)));
    }
  }
  std::vector<uint8_t> b;
  PutTag(b, "RIFF");
  Put32(b, static_cast<uint32_t>(36 + samples.size()));
  PutTag(b, "WAVE");
  PutTag(b, "fmt ");
  Put32(b, 16);
  Put16(b, 1);      // PCM
  Put16(b, 1);      // mono
  Put32(b, kRate);  // samples per second
  Put32(b, kRate);  // bytes per second
  Put16(b, 1);      // block align
  Put16(b, 8);      // bits per sample
  PutTag(b, "data");
  Put32(b, static_cast<uint32_t>(samples.size()));
  b.insert(b.end(), samples.begin(), samples.end());
  if (samples.size() % 2) b.push_back(0);  // chunks are padded to even sizes
  return b;
}

constexpr int kWidth = 105, kHeight = 65;
enum : uint8_t { kBack, kRed, kWhite, kYellow, kBlack, kDark };

struct Picture {
  std::vector<uint8_t> px = std::vector<uint8_t>(kWidth * kHeight, kBack);
  void Set(int x, int y, uint8_t c) {
    if (x >= 0 && x < kWidth && y >= 0 && y < kHeight) px[y * kWidth + x] = c;
  }
};

std::vector<uint8_t> Bitmap(const Picture& p) {
  const uint8_t palette[][3] = {{212, 208, 200}, {220, 30, 30}, {255, 255, 255},
                                {250, 200, 0},   {0, 0, 0},     {128, 0, 0}};
  const int stride = (kWidth + 3) / 4 * 4;
  const uint32_t offset = 14 + 40 + 256 * 4;
  std::vector<uint8_t> b;
  b.push_back('B');
  b.push_back('M');
  Put32(b, offset + stride * kHeight);
  Put32(b, 0);
  Put32(b, offset);
  Put32(b, 40);
  Put32(b, kWidth);
  Put32(b, kHeight);  // positive: rows bottom-up
  Put16(b, 1);
  Put16(b, 8);
  Put32(b, 0);  // BI_RGB
  Put32(b, stride * kHeight);
  Put32(b, 2835);
  Put32(b, 2835);
  Put32(b, 256);
  Put32(b, 0);
  for (int i = 0; i < 256; ++i) {
    const uint8_t* c = i < 6 ? palette[i] : palette[0];
    b.push_back(c[2]);
    b.push_back(c[1]);
    b.push_back(c[0]);
    b.push_back(0);
  }
  for (int y = kHeight - 1; y >= 0; --y) {
    for (int x = 0; x < kWidth; ++x) b.push_back(p.px[y * kWidth + x]);
    for (int x = kWidth; x < stride; ++x) b.push_back(0);
  }
  return b;
}

// A red disc with a white cross: the request failed.
Picture ErrorPicture() {
  Picture p;
  const double cx = kWidth / 2.0, cy = kHeight / 2.0;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      double dx = x + 0.5 - cx, dy = y + 0.5 - cy, r = std::sqrt(dx * dx + dy * dy);
      if (r <= 30) p.Set(x, y, r > 28 ? kDark : kRed);
      if (r <= 20 && (std::fabs(dx - dy) < 3.5 || std::fabs(dx + dy) < 3.5)) p.Set(x, y, kWhite);
    }
  return p;
}

// A yellow triangle with a black exclamation mark: a link is broken.
Picture WarnPicture() {
  Picture p;
  const double cx = kWidth / 2.0, top = 3, bottom = kHeight - 3;
  for (int y = 0; y < kHeight; ++y)
    for (int x = 0; x < kWidth; ++x) {
      double fy = y + 0.5;
      if (fy < top || fy > bottom) continue;
      double half = (fy - top) / (bottom - top) * 34;
      double dx = std::fabs(x + 0.5 - cx);
      if (dx <= half) p.Set(x, y, dx > half - 2 || fy > bottom - 2 ? kBlack : kYellow);
      if (dx < 3 && ((fy > 20 && fy < 44) || (fy > 48 && fy < 54))) p.Set(x, y, kBlack);
    }
  return p;
}

}  // namespace

int main(int argc, char** argv) {
  if (argc != 2) {
    std::fprintf(stderr, "usage: %s OUTPUT_DIR\n", argv[0]);
    return 2;
  }
  const std::string dir = std::string(argv[1]) + "/";
  bool ok = Write(dir + "error.wav", Wave({{880, 0.18}, {0, 0.04}, {440, 0.30}})) &&
            Write(dir + "warn.wav", Wave({{660, 0.12}, {0, 0.06}, {660, 0.12}})) &&
            Write(dir + "error.bmp", Bitmap(ErrorPicture())) &&
            Write(dir + "warn.bmp", Bitmap(WarnPicture()));
  if (!ok) std::perror("make_alarm_media");
  return ok ? 0 : 1;
}
