#pragma once
// The framebuffer's 0x00RRGGBB pixels in the layout of a window system's
// TrueColor pixel: any channel masks, 16, 24 or 32 bits a pixel. No window
// system types in here, so it is tested on its own.

#include <cstddef>
#include <cstdint>

namespace zol {

struct PixelLayout {
  uint32_t red_mask = 0, green_mask = 0, blue_mask = 0;
  int bits_per_pixel = 32;

  // Each mask one run of bits, none overlapping, all within the pixel, and
  // whole bytes a pixel.
  bool valid() const;
  // The framebuffer's own layout in a native 32-bit unit: no conversion.
  bool is_xrgb32() const {
    return red_mask == 0xFF0000 && green_mask == 0x00FF00 && blue_mask == 0x0000FF &&
           bits_per_pixel == 32;
  }
};

// 8-bit channels go to narrower ones by dropping their low bits and to
// wider ones by repeating their top bits, so white stays white.
class PixelConverter {
 public:
  // The layout must be valid().
  explicit PixelConverter(const PixelLayout& layout);

  uint32_t pixel(uint32_t rgb) const {
    return red_[rgb >> 16 & 0xFF] | green_[rgb >> 8 & 0xFF] | blue_[rgb & 0xFF];
  }
  int bytes_per_pixel() const { return bytes_; }

  // The w x h block at (x, y) of `pixels` (`width` a row) into `out`, rows
  // `stride` bytes apart, each pixel's bytes least significant first.
  void convert(const uint32_t* pixels, int width, int x, int y, int w, int h, uint8_t* out,
               size_t stride) const;

 private:
  uint32_t red_[256], green_[256], blue_[256];
  int bytes_;
};

}  // namespace zol
