// Checks a screenshot written by arhost.exe: the right size, the host's own
// background visible around the plug-in window, and the plug-in window itself
// on screen and painted in its button-face background. The host records the
// window rectangles it measured in the PNG's text chunks; the pixels decide.
// Runs under the same Wine prefix as the host, so system colours agree.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <sstream>
#include <string>

#include "host/Png.h"

namespace {

int failures = 0;

void Expect(bool ok, const std::string& what) {
  std::printf("%s %s\n", ok ? "ok  " : "FAIL", what.c_str());
  if (!ok) ++failures;
}

bool ReadRect(const arhost::TextChunks& text, const std::string& key, RECT* r,
              std::string* rest = nullptr) {
  for (const auto& [k, v] : text)
    if (k == key) {
      std::istringstream in(v);
      if (!(in >> r->left >> r->top >> r->right >> r->bottom)) return false;
      if (rest) in >> *rest;
      return true;
    }
  return false;
}

std::string Text(const arhost::TextChunks& text, const std::string& key) {
  for (const auto& [k, v] : text)
    if (k == key) return v;
  return {};
}

uint32_t Rgb(COLORREF c) { return uint32_t(GetRValue(c)) << 16 | GetGValue(c) << 8 | GetBValue(c); }

// Share of the pixels of r (clipped to the image) that have colour c.
double Share(const arhost::Image& image, RECT r, uint32_t c) {
  r.left = std::max(0L, r.left);
  r.top = std::max(0L, r.top);
  r.right = std::min(static_cast<LONG>(image.width), r.right);
  r.bottom = std::min(static_cast<LONG>(image.height), r.bottom);
  long total = 0, hits = 0;
  for (LONG y = r.top; y < r.bottom; ++y)
    for (LONG x = r.left; x < r.right; ++x, ++total) hits += image.Pixel(x, y) == c;
  return total ? double(hits) / double(total) : 0;
}

std::string Percent(double share) { return std::to_string(static_cast<int>(share * 100)) + "%"; }

}  // namespace

// shotcheck FILE.png WIDTHxHEIGHT [--log REQUESTS.log --expect-function N]
int main(int argc, char** argv) {
  if (argc < 3) {
    std::fprintf(stderr, "usage: shotcheck FILE.png WxH [--log FILE --expect-function N]\n");
    return 2;
  }
  std::ifstream file(argv[1], std::ios::binary);
  std::vector<uint8_t> bytes((std::istreambuf_iterator<char>(file)), {});
  arhost::TextChunks text;
  auto image = arhost::DecodePng(bytes, &text);
  Expect(image.has_value(), std::string("readable PNG ") + argv[1]);
  if (!image) return 1;
  int w = 0, h = 0;
  std::sscanf(argv[2], "%dx%d", &w, &h);
  Expect(image->width == w && image->height == h, "size " + std::to_string(image->width) + "x" +
                                                      std::to_string(image->height) +
                                                      ", expected " + argv[2]);

  RECT client, plugin;
  std::string state;
  bool rects =
      ReadRect(text, "arhost:client", &client) && ReadRect(text, "arhost:plugin", &plugin, &state);
  Expect(rects, "window rectangles recorded");
  if (!rects) return 1;
  Expect(state == "visible", "plug-in window visible (" + state + ")");
  long clientArea = (client.right - client.left) * (client.bottom - client.top);
  long pluginArea =
      std::max(0L, plugin.right - plugin.left) * std::max(0L, plugin.bottom - plugin.top);
  Expect(pluginArea * 10 >= clientArea * 7, "plug-in window fills the host's client area");

  uint32_t background = std::strtoul(Text(text, "arhost:background").c_str(), nullptr, 16);
  // The margin strips between the host's client edge and the plug-in window.
  RECT strips[] = {{client.left, client.top, client.right, plugin.top},
                   {client.left, plugin.bottom, client.right, client.bottom},
                   {client.left, plugin.top, plugin.left, plugin.bottom},
                   {plugin.right, plugin.top, client.right, plugin.bottom}};
  for (const RECT& s : strips) {
    double share = Share(*image, s, background);
    Expect(share >= 0.95, "host background around the plug-in window: " + Percent(share));
  }
  RECT inside = {plugin.left + 4, plugin.top + 4, plugin.right - 4, plugin.bottom - 4};
  double face = Share(*image, inside, Rgb(GetSysColor(COLOR_BTNFACE)));
  Expect(face >= 0.4, "plug-in window painted in button face: " + Percent(face));
  double hostInside = Share(*image, inside, background);
  Expect(hostInside < 0.05, "host background not showing through: " + Percent(hostInside));

  // Pixel counts of one colour inside the plug-in window: status bars,
  // markers and the alarm pictures each have a colour of their own.
  const auto count = [&](uint32_t colour) {
    long hits = 0;
    for (LONG y = std::max(0L, inside.top); y < std::min<LONG>(image->height, inside.bottom); ++y)
      for (LONG x = std::max(0L, inside.left); x < std::min<LONG>(image->width, inside.right); ++x)
        hits += image->Pixel(x, y) == colour;
    return hits;
  };
  std::string log, function;
  for (int i = 3; i + 1 < argc; i += 2) {
    std::string key = argv[i];
    if (key == "--log") log = argv[i + 1];
    if (key == "--expect-function") function = argv[i + 1];
    if ((key == "--at-least" || key == "--at-most") && i + 2 < argc) {
      const uint32_t colour = std::strtoul(argv[i + 1], nullptr, 16);
      const long limit = std::strtol(argv[i + 2], nullptr, 10);
      const long hits = count(colour);
      Expect(key == "--at-least" ? hits >= limit : hits <= limit,
             std::to_string(hits) + " pixels of " + argv[i + 1] + ", " + key.substr(2) + " " +
                 argv[i + 2]);
      ++i;
    }
  }
  if (!log.empty() && !function.empty()) {
    std::ifstream in(log);
    std::string content((std::istreambuf_iterator<char>(in)), {});
    std::string wanted = "fn=" + function + " ";
    Expect(content.find(wanted) != std::string::npos, "request log has " + wanted);
  }
  return failures ? 1 : 0;
}
