#pragma once
// Strict decoding of the built-in pictures: uncompressed 24-bit BMP and the
// ICO icon set. Every field is checked before it is used; a bad file throws
// ImageError naming the file and what is wrong, and nothing is read out of
// bounds, whatever the input.

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string_view>
#include <vector>


namespace zol {

class ImageError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// 0x00RRGGBB, rows top-down.
struct Image {
  int width = 0, height = 0;
  std::vector<uint32_t> pixels;
  uint32_t at(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
};

// Accepts what paint programs export as an uncompressed 24-bit BMP: a
// BITMAPINFOHEADER or the V4/V5 header that extends it, any pixels per metre,
// rows bottom-up or top-down (negative height) padded to 4 bytes, no palette,
// of exactly want_width x want_height. `file` names the picture in messages
// ("background.bmp: ...").
Image decode_bmp(std::span<const uint8_t> bytes, std::string_view file, int want_width,
                 int want_height);

// A BMP that decode_bmp accepts, left where it lies and read on demand, so
// that a picture drawn again and again needs no decoded copy. The bytes must
// outlive it, as the built-in artwork does.
class BmpView {
 public:
  BmpView() = default;
  // Checks the bytes exactly as decode_bmp does.
  BmpView(std::span<const uint8_t> bytes, std::string_view file, int want_width, int want_height);
  int width() const { return width_; }
  int height() const { return height_; }
  // `count` pixels of row `y` (top-down) from column `x` on, as 0x00RRGGBB;
  // the stretch must lie within the picture.
  void read_row(int x, int y, int count, uint32_t* out) const;
  // The file's bytes, and those that hold rows [y0, y1) (top-down).
  std::span<const uint8_t> bytes() const { return bytes_; }
  std::span<const uint8_t> rows(int y0, int y1) const;

 private:
  std::span<const uint8_t> bytes_;
  const uint8_t* pixels_ = nullptr;
  size_t stride_ = 0;
  int width_ = 0, height_ = 0;
  bool top_down_ = false;
};

// One icon image as the desktop wants it: 0xAARRGGBB, rows top-down.
struct IconImage {
  int size = 0;
  std::vector<uint32_t> argb;
};

// Accepts an ICO (type 1) whose images are BITMAPINFOHEADER DIBs of 8 bits
// per pixel with a palette and a 1-bit AND mask; returns them in file order,
// each as ARGB with the mask turned into alpha 0 or 255.
std::vector<IconImage> decode_ico(std::span<const uint8_t> bytes, std::string_view file);

}  // namespace zol
