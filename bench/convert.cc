// What presenting to a visual other than 0x00RRGGBB in 32 bits costs: the
// conversion of the menu's areas into each layout, in microseconds (median
// and min-max of many runs). It prints figures; it asserts nothing.
//
// Usage: zol_convert_bench

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <vector>

#include "host/x11/pixel_format.h"

namespace {

struct Layout {
  const char* name;
  zol::PixelLayout layout;
};
constexpr Layout kLayouts[] = {
    {"16 bit (5-6-5)", {0xF800, 0x07E0, 0x001F, 16}},
    {"24 bit in 24 bpp", {0xFF0000, 0x00FF00, 0x0000FF, 24}},
    {"30 bit (10-10-10)", {0x3FF00000, 0x000FFC00, 0x000003FF, 32}},
};

struct Area {
  const char* name;
  int x, y, w, h;
};
// The whole window (the first frame, an expose) and one lit button (a hover).
constexpr Area kAreas[] = {{"whole window 640x480", 0, 0, 640, 480},
                           {"one button 119x26", 59, 408, 119, 26}};

}  // namespace

int main() {
  std::vector<uint32_t> frame(640 * 480);
  for (size_t i = 0; i < frame.size(); ++i) frame[i] = static_cast<uint32_t>(i * 2654435761u) & 0xFFFFFF;
  std::vector<uint8_t> out(640 * 480 * 4);
  std::printf("| layout | area | median us | min-max us |\n|---|---|---|---|\n");
  for (const Layout& l : kLayouts) {
    const zol::PixelConverter converter(l.layout);
    for (const Area& a : kAreas) {
      std::vector<double> runs;
      const size_t stride = (static_cast<size_t>(a.w) * converter.bytes_per_pixel() + 3) / 4 * 4;
      for (int i = 0; i < 201; ++i) {
        const auto start = std::chrono::steady_clock::now();
        converter.convert(frame.data(), 640, a.x, a.y, a.w, a.h, out.data(), stride);
        runs.push_back(std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
      }
      std::sort(runs.begin(), runs.end());
      std::printf("| %s | %s | %.1f | %.1f-%.1f |\n", l.name, a.name, runs[runs.size() / 2], runs.front(),
                  runs.back());
    }
  }
  return 0;
}
