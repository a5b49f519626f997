// Checks the committed pictures of art/ as they are on disk: the exact file
// layout the build embeds, and that each lit button fits the background.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

#include "host/image.h"

namespace zol {
namespace {

std::vector<uint8_t> read_art(const std::string& name) {
  std::ifstream in(ZOL_SOURCE_DIR "/art/" + name, std::ios::binary);
  EXPECT_TRUE(in) << "can't open art/" << name;
  return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

uint32_t u32(const std::vector<uint8_t>& b, size_t at) {
  return b[at] | b[at + 1] << 8 | b[at + 2] << 16 | static_cast<uint32_t>(b[at + 3]) << 24;
}
int32_t i32(const std::vector<uint8_t>& b, size_t at) { return static_cast<int32_t>(u32(b, at)); }
uint16_t u16(const std::vector<uint8_t>& b, size_t at) {
  return static_cast<uint16_t>(b[at] | b[at + 1] << 8);
}

constexpr int kButtonTop = 408, kButtonWidth = 119, kButtonHeight = 26;

struct Highlight {
  const char* file;
  int left;
};
constexpr Highlight kHighlights[] = {
    {"lit_vollbildmodus.bmp", 59},
    {"lit_fenstermodus.bmp", 193},
    {"lit_website.bmp", 328},
    {"lit_raus_hier.bmp", 464},
};

TEST(ArtTest, BitmapsAreUncompressedBottomUp24Bit) {
  struct Bmp {
    std::string file;
    int width, height;
  };
  std::vector<Bmp> bmps = {{"background.bmp", 640, 480}};
  for (const auto& h : kHighlights) bmps.push_back({h.file, kButtonWidth, kButtonHeight});

  for (const auto& bmp : bmps) {
    SCOPED_TRACE(bmp.file);
    const auto b = read_art(bmp.file);
    const size_t pixels = (static_cast<size_t>(bmp.width) * 3 + 3) / 4 * 4 * bmp.height;
    ASSERT_GE(b.size(), 54u + pixels);
    EXPECT_EQ(b[0], 'B');
    EXPECT_EQ(b[1], 'M');
    EXPECT_EQ(u32(b, 2), b.size());
    EXPECT_EQ(u32(b, 10), 54u);  // no palette between header and pixels
    EXPECT_EQ(u32(b, 14), 40u);
    EXPECT_EQ(i32(b, 18), bmp.width);
    EXPECT_EQ(i32(b, 22), bmp.height);  // positive: rows bottom-up
    EXPECT_EQ(u16(b, 26), 1);
    EXPECT_EQ(u16(b, 28), 24);
    EXPECT_EQ(u32(b, 30), 0u);  // BI_RGB
    EXPECT_EQ(u32(b, 34), pixels);
    EXPECT_EQ(i32(b, 38), 2834);
    EXPECT_EQ(i32(b, 42), 2834);
    EXPECT_NO_THROW(decode_bmp(b, bmp.file, bmp.width, bmp.height));
  }
}

TEST(ArtTest, IconHoldsFourPalettedSizesWithMasks) {
  const auto b = read_art("zol.ico");
  const int sizes[] = {48, 32, 24, 16};
  ASSERT_GE(b.size(), 6u + 16 * std::size(sizes));
  EXPECT_EQ(u16(b, 0), 0);
  EXPECT_EQ(u16(b, 2), 1);  // icon, not cursor
  ASSERT_EQ(u16(b, 4), std::size(sizes));

  for (size_t i = 0; i < std::size(sizes); ++i) {
    const int n = sizes[i];
    SCOPED_TRACE(n);
    const size_t entry = 6 + 16 * i;
    EXPECT_EQ(b[entry], n);
    EXPECT_EQ(b[entry + 1], n);
    EXPECT_EQ(u16(b, entry + 4), 1);
    EXPECT_EQ(u16(b, entry + 6), 8);
    const size_t length = u32(b, entry + 8), offset = u32(b, entry + 12);
    ASSERT_LE(offset + length, b.size());
    // Header, 256 palette entries, 8-bit rows, then 1-bit mask rows.
    EXPECT_EQ(length, 40 + 1024 + (n + 3) / 4 * 4 * n + (n + 31) / 32 * 4 * n);
    EXPECT_EQ(u32(b, offset), 40u);
    EXPECT_EQ(i32(b, offset + 4), n);
    EXPECT_EQ(i32(b, offset + 8), 2 * n);
    EXPECT_EQ(u16(b, offset + 14), 8);
  }

  const auto images = decode_ico(b, "zol.ico");
  ASSERT_EQ(images.size(), std::size(sizes));
  for (size_t i = 0; i < images.size(); ++i) {
    SCOPED_TRACE(sizes[i]);
    EXPECT_EQ(images[i].size, sizes[i]);
    int clear = 0, solid = 0;
    for (uint32_t p : images[i].argb) (p >> 24 == 0 ? clear : solid)++;
    EXPECT_GT(clear, 0) << "the emblem should have a shape, not fill the square";
    EXPECT_GT(solid, images[i].size * images[i].size / 4);
  }
}

int brightness(uint32_t rgb) { return (rgb >> 16 & 0xff) + (rgb >> 8 & 0xff) + (rgb & 0xff); }

TEST(ArtTest, HighlightsChangeOnlyTheButtonFace) {
  const Image background = decode_bmp(read_art("background.bmp"), "background.bmp", 640, 480);
  for (const auto& h : kHighlights) {
    SCOPED_TRACE(h.file);
    const Image lit = decode_bmp(read_art(h.file), h.file, kButtonWidth, kButtonHeight);
    const auto under = [&](int x, int y) { return background.at(h.left + x, kButtonTop + y); };

    // The corners lie outside the rounded face: drawn there, the highlight
    // must leave the title artwork as it was.
    const std::pair<int, int> corners[] = {
        {0, 0}, {kButtonWidth - 1, 0}, {0, kButtonHeight - 1}, {kButtonWidth - 1, kButtonHeight - 1}};
    for (const auto& [x, y] : corners) EXPECT_EQ(lit.at(x, y), under(x, y)) << x << "," << y;

    // Most of the face, the label aside, must look clearly different.
    int changed = 0, area = 0;
    for (int y = 6; y < kButtonHeight - 6; ++y) {
      for (int x = 8; x < kButtonWidth - 8; ++x, ++area)
        if (std::abs(brightness(lit.at(x, y)) - brightness(under(x, y))) > 60) ++changed;
    }
    EXPECT_GT(changed, area / 2);
  }
}

}  // namespace
}  // namespace zol
