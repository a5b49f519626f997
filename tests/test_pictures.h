#pragma once
// Small pictures made in the test, so each case shows its own fault, and
// pictures written out for the developer to look at.

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

#include "host/image.h"

namespace zol::test {

void put32(std::vector<uint8_t>& out, size_t at, uint32_t v);
void put16(std::vector<uint8_t>& out, size_t at, uint16_t v);

// How a paint program may lay out an uncompressed 24-bit BMP.
struct BmpLayout {
  uint32_t header = 40;  // BITMAPINFOHEADER; 108 and 124 are the V4 and V5 headers
  int32_t pixels_per_metre = 2834;
  bool top_down = false;
};

// A 24-bit BMP whose pixel (x, y) is colour(x, y) as 0xRRGGBB.
std::vector<uint8_t> make_bmp(int width, int height, const std::function<uint32_t(int, int)>& colour,
                              const BmpLayout& layout = {});
std::vector<uint8_t> solid_bmp(int width, int height, uint32_t colour);

// `image` as a BMP file.
void write_bmp(const Image& image, const std::string& file, const BmpLayout& layout = {});

}  // namespace zol::test
