#include "tests/test_pictures.h"

#include <fstream>

namespace zol::test {

void put32(std::vector<uint8_t>& out, size_t at, uint32_t v) {
  for (int i = 0; i < 4; ++i) out[at + i] = static_cast<uint8_t>(v >> (8 * i));
}

void put16(std::vector<uint8_t>& out, size_t at, uint16_t v) {
  out[at] = static_cast<uint8_t>(v);
  out[at + 1] = static_cast<uint8_t>(v >> 8);
}

std::vector<uint8_t> make_bmp(int width, int height, const std::function<uint32_t(int, int)>& colour,
                              const BmpLayout& layout) {
  const size_t stride = (static_cast<size_t>(width) * 3 + 3) / 4 * 4;
  const size_t offset = 14 + layout.header;
  std::vector<uint8_t> out(offset + stride * height);
  out[0] = 'B';
  out[1] = 'M';
  put32(out, 2, static_cast<uint32_t>(out.size()));
  put32(out, 10, static_cast<uint32_t>(offset));
  put32(out, 14, layout.header);
  put32(out, 18, static_cast<uint32_t>(width));
  put32(out, 22, static_cast<uint32_t>(layout.top_down ? -height : height));
  put16(out, 26, 1);
  put16(out, 28, 24);
  put32(out, 34, static_cast<uint32_t>(stride * height));
  put32(out, 38, static_cast<uint32_t>(layout.pixels_per_metre));
  put32(out, 42, static_cast<uint32_t>(layout.pixels_per_metre));
  if (layout.header >= 108) put32(out, 14 + 56, 0x73524742);  // 'sRGB' colour space
  for (int y = 0; y < height; ++y)
    for (int x = 0; x < width; ++x) {
      const uint32_t c = colour(x, y);
      const int row = layout.top_down ? y : height - 1 - y;
      uint8_t* p = &out[offset + stride * row + 3 * x];
      p[0] = static_cast<uint8_t>(c), p[1] = static_cast<uint8_t>(c >> 8),
      p[2] = static_cast<uint8_t>(c >> 16);
    }
  return out;
}

std::vector<uint8_t> solid_bmp(int width, int height, uint32_t colour) {
  return make_bmp(width, height, [=](int, int) { return colour; });
}

void write_bmp(const Image& image, const std::string& file, const BmpLayout& layout) {
  const auto bytes =
      make_bmp(image.width, image.height, [&](int x, int y) { return image.at(x, y); }, layout);
  std::ofstream(file, std::ios::binary)
      .write(reinterpret_cast<const char*>(bytes.data()), static_cast<std::streamsize>(bytes.size()));
}

}  // namespace zol::test
