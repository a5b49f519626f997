#include "host/x11/pixel_format.h"

#include <bit>

namespace zol {
namespace {

bool one_run(uint32_t mask) {
  return mask && std::has_single_bit((mask >> std::countr_zero(mask)) + 1ull);
}

// `v` (8 bits) as a channel of `bits` bits.
uint32_t resized(uint32_t v, int bits) {
  if (bits <= 8) return v >> (8 - bits);
  uint32_t out = 0;
  for (int filled = 0; filled < bits; filled += 8) {
    const int shift = bits - filled - 8;
    out |= shift >= 0 ? v << shift : v >> -shift;
  }
  return out;
}

void fill(uint32_t (&table)[256], uint32_t mask) {
  const int shift = std::countr_zero(mask), bits = std::popcount(mask);
  for (uint32_t v = 0; v < 256; ++v) table[v] = resized(v, bits) << shift;
}

}  // namespace

bool PixelLayout::valid() const {
  if (bits_per_pixel != 16 && bits_per_pixel != 24 && bits_per_pixel != 32) return false;
  const uint64_t room = (1ull << bits_per_pixel) - 1;
  return one_run(red_mask) && one_run(green_mask) && one_run(blue_mask) &&
         !(red_mask & green_mask) && !(red_mask & blue_mask) && !(green_mask & blue_mask) &&
         (red_mask | green_mask | blue_mask) <= room;
}

PixelConverter::PixelConverter(const PixelLayout& layout) : bytes_(layout.bits_per_pixel / 8) {
  fill(red_, layout.red_mask);
  fill(green_, layout.green_mask);
  fill(blue_, layout.blue_mask);
}

// One loop per pixel size, so that the compiler knows the size.
template <int kBytes>
void convert_rows(const PixelConverter& c, const uint32_t* pixels, int width, int x, int y, int w,
                  int h, uint8_t* out, size_t stride) {
  for (int row = 0; row < h; ++row) {
    const uint32_t* from = pixels + static_cast<size_t>(y + row) * width + x;
    uint8_t* to = out + static_cast<size_t>(row) * stride;
    for (int col = 0; col < w; ++col, to += kBytes) {
      const uint32_t p = c.pixel(from[col]);
      for (int b = 0; b < kBytes; ++b) to[b] = static_cast<uint8_t>(p >> (8 * b));
    }
  }
}

void PixelConverter::convert(const uint32_t* pixels, int width, int x, int y, int w, int h,
                             uint8_t* out, size_t stride) const {
  switch (bytes_) {
    case 2:
      return convert_rows<2>(*this, pixels, width, x, y, w, h, out, stride);
    case 3:
      return convert_rows<3>(*this, pixels, width, x, y, w, h, out, stride);
    default:
      return convert_rows<4>(*this, pixels, width, x, y, w, h, out, stride);
  }
}

}  // namespace zol
