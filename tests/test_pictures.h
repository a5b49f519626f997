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

// A 24-bit bottom-up BMP whose pixel (x, y) is colour(x, y) as 0xRRGGBB.
std::vector<uint8_t> make_bmp(int width, int height, const std::function<uint32_t(int, int)>& colour);
std::vector<uint8_t> solid_bmp(int width, int height, uint32_t colour);

// `image` as a BMP file.
void write_bmp(const Image& image, const std::string& file);

}  // namespace zol::test
