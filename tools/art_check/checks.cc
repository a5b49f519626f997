#include "tools/art_check/checks.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <cstdlib>
#include <utility>

namespace zol::art_check {
namespace {

int channel(uint32_t rgb, int c) { return static_cast<int>(rgb >> (8 * c) & 0xFF); }
int brightness(uint32_t rgb) { return channel(rgb, 0) + channel(rgb, 1) + channel(rgb, 2); }

// The worst channel's mean of |a(x, y) - b(x, y)| over width x height.
template <typename PixelA, typename PixelB>
double worst_mean(int width, int height, PixelA a, PixelB b) {
  std::array<uint64_t, 3> sum{};
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const uint32_t p = a(x, y), q = b(x, y);
      for (int c = 0; c < 3; ++c) sum[c] += std::abs(channel(p, c) - channel(q, c));
    }
  const double pixels = static_cast<double>(width) * height;
  return static_cast<double>(*std::max_element(sum.begin(), sum.end())) / pixels;
}

std::string levels(double value) {
  char text[32];
  std::snprintf(text, sizeof text, "%.1f", value);
  return text;
}

}  // namespace

Named decode(std::span<const uint8_t> bytes, std::string shown, const PictureSpec& spec, int scale) {
  Image image = decode_bmp(bytes, shown, spec.width * scale, spec.height * scale);
  return {std::move(shown), std::move(image)};
}

void check_lit(const Named& lit, const Named& background, const PictureSpec& spec, int scale) {
  const int w = lit.image.width, h = lit.image.height;
  const auto under = [&](int x, int y) {
    return background.image.at(spec.left * scale + x, spec.top * scale + y);
  };
  const std::pair<int, int> corners[] = {{0, 0}, {w - 1, 0}, {0, h - 1}, {w - 1, h - 1}};
  for (const auto& [x, y] : corners)
    if (lit.image.at(x, y) != under(x, y))
      throw ArtError(lit.shown + ": its corner (" + std::to_string(x) + ", " + std::to_string(y) +
                     ") differs from " + background.shown +
                     " there; cut the lit button from the background (see art/README.md)");

  // Most of the face, the label aside, must look clearly different.
  int changed = 0, area = 0;
  for (int y = 6 * scale; y < h - 6 * scale; ++y)
    for (int x = 8 * scale; x < w - 8 * scale; ++x, ++area)
      changed += std::abs(brightness(lit.image.at(x, y)) - brightness(under(x, y))) > 60;
  if (changed <= area / 2)
    throw ArtError(lit.shown + ": its face looks much like " + background.shown +
                   " there; a lit button must look lit");
}

double halved_difference(const Image& twice, const Image& once) {
  const auto halved = [&](int x, int y) {
    uint32_t mean = 0;
    for (int c = 0; c < 3; ++c) {
      const int sum = channel(twice.at(2 * x, 2 * y), c) + channel(twice.at(2 * x + 1, 2 * y), c) +
                      channel(twice.at(2 * x, 2 * y + 1), c) +
                      channel(twice.at(2 * x + 1, 2 * y + 1), c);
      mean |= static_cast<uint32_t>((sum + 2) / 4) << (8 * c);
    }
    return mean;
  };
  return worst_mean(once.width, once.height, halved, [&](int x, int y) { return once.at(x, y); });
}

void check_belongs(const Named& twice, const Named& once, double bound, std::string_view folder) {
  const double off = halved_difference(twice.image, once.image);
  if (off > bound)
    throw ArtError(twice.shown + " does not match " + once.shown + ": replace both, or delete " +
                   std::string(folder) + " to have the 1\u00d7 pictures scaled\n(halved, it lies " +
                   levels(off) + " levels per channel from it on average; at most " +
                   levels(bound) + " may)");
}

double doubled_difference(const Image& twice, const Image& once) {
  return worst_mean(
      twice.width, twice.height, [&](int x, int y) { return twice.at(x, y); },
      [&](int x, int y) { return once.at(x / 2, y / 2); });
}

void check_drawn_at_size(const Named& twice, const Named& once, std::string_view folder) {
  if (doubled_difference(twice.image, once.image) < kDoubledBound)
    throw ArtError(twice.shown + " is " + once.shown + " with its pixels doubled: delete " +
                   std::string(folder) +
                   " to have the 1\u00d7 pictures scaled, which shows the same");
}

}  // namespace zol::art_check
