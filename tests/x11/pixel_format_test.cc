#include "host/x11/pixel_format.h"

#include <gtest/gtest.h>

#include <vector>

namespace zol {
namespace {

constexpr PixelLayout k565{0xF800, 0x07E0, 0x001F, 16};
constexpr PixelLayout k555{0x7C00, 0x03E0, 0x001F, 16};
constexpr PixelLayout k101010{0x3FF00000, 0x000FFC00, 0x000003FF, 32};
constexpr PixelLayout kBgr32{0x0000FF, 0x00FF00, 0xFF0000, 32};
constexpr PixelLayout kRgb24{0xFF0000, 0x00FF00, 0x0000FF, 24};

TEST(PixelConverterTest, NarrowsByCuttingAndWidensByRepeatingTopBits) {
  struct Case {
    const char* name;
    PixelLayout layout;
    uint32_t rgb, pixel;
  };
  const Case cases[] = {
      {"565 white", k565, 0xFFFFFF, 0xFFFF},
      {"565 cut", k565, 0x123456, 2 << 11 | 13 << 5 | 10},
      {"565 low bits dropped", k565, 0x070307, 0x0000},
      {"555 grey", k555, 0x808080, 16 << 10 | 16 << 5 | 16},
      {"10-bit white", k101010, 0xFFFFFF, 0x3FFFFFFF},
      {"10-bit red", k101010, 0xFF0000, 0x3FF00000},
      {"10-bit widened", k101010, 0x123456, 0x048u << 20 | 0x0D0u << 10 | 0x159u},
      {"blue first", kBgr32, 0x123456, 0x563412},
      {"24 bpp as it stands", kRgb24, 0x123456, 0x123456},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    ASSERT_TRUE(c.layout.valid());
    EXPECT_EQ(PixelConverter(c.layout).pixel(c.rgb), c.pixel);
  }
}

// Only the block, least significant byte first, each row at its stride;
// the padding after a row is left alone.
TEST(PixelConverterTest, ConvertsOneBlockIntoRowsOfItsStride) {
  const std::vector<uint32_t> frame = {0x000000, 0x111111, 0x222222,  //
                                       0x333333, 0xFF0000, 0x0000FF,  //
                                       0x444444, 0x00FF00, 0xFFFFFF};
  struct Case {
    const char* name;
    PixelLayout layout;
    size_t stride;
    std::vector<uint8_t> bytes;
  };
  const Case cases[] = {
      {"16 bpp", k565, 4, {0x00, 0xF8, 0x1F, 0x00, 0xE0, 0x07, 0xFF, 0xFF}},
      {"24 bpp", kRgb24, 8, {0x00, 0x00, 0xFF, 0xFF, 0x00, 0x00, 0xAA, 0xAA,  //
                             0x00, 0xFF, 0x00, 0xFF, 0xFF, 0xFF, 0xAA, 0xAA}},
      {"32 bpp", kBgr32, 8, {0xFF, 0x00, 0x00, 0x00, 0x00, 0x00, 0xFF, 0x00,  //
                             0x00, 0xFF, 0x00, 0x00, 0xFF, 0xFF, 0xFF, 0x00}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    std::vector<uint8_t> out(c.bytes.size(), 0xAA);
    PixelConverter(c.layout).convert(frame.data(), 3, 1, 1, 2, 2, out.data(), c.stride);
    EXPECT_EQ(out, c.bytes);
  }
}

TEST(PixelLayoutTest, TakesOnlyRunsOfBitsThatFitThePixel) {
  struct Case {
    const char* name;
    PixelLayout layout;
    bool valid;
  };
  const Case cases[] = {
      {"565", k565, true},
      {"10-bit", k101010, true},
      {"24 bpp", kRgb24, true},
      {"overlapping", {0xFF00, 0x0FF0, 0x000F, 16}, false},
      {"split mask", {0xF00F, 0x0F00, 0x00F0, 16}, false},
      {"no blue", {0xF800, 0x07E0, 0, 16}, false},
      {"beyond the pixel", {0xFF0000, 0x00FF00, 0x0000FF, 16}, false},
      {"8 bpp", {0xE0, 0x1C, 0x03, 8}, false},
  };
  for (const Case& c : cases) EXPECT_EQ(c.layout.valid(), c.valid) << c.name;
}

}  // namespace
}  // namespace zol
