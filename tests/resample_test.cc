// Area averaging against what it must be at whole ratios and against a plain
// two-dimensional reference at others.

#include "host/resample.h"

#include <gtest/gtest.h>

#include <numeric>

namespace zol {
namespace {

Image pattern(int w, int h) {
  Image image{w, h, std::vector<uint32_t>(static_cast<size_t>(w) * h)};
  uint32_t seed = 12345;
  for (uint32_t& p : image.pixels) {
    seed = seed * 1103515245 + 12345;
    p = seed >> 8 & 0xFFFFFF;
  }
  return image;
}

RowReader rows_of(const Image& image) {
  return [&image](int x, int y, int n, uint32_t* out) {
    ASSERT_TRUE(x >= 0 && y >= 0 && y < image.height && x + n <= image.width)
        << "read outside the source: " << x << "," << y << " +" << n;
    std::copy_n(&image.pixels[static_cast<size_t>(y) * image.width + x], n, out);
  };
}

Image scale(const Image& source, int w, int h, DeviceRect part) {
  return area_average(rows_of(source), {source.width, source.height}, {w, h}, part);
}

// Each device pixel's mean over the source, from every source pixel's
// overlap with it in both directions at once, in exact integers.
uint32_t reference_pixel(const Image& src, int w, int h, int dx, int dy) {
  auto overlap = [](int64_t lo, int64_t hi, int64_t a, int64_t b) {
    return std::max<int64_t>(0, std::min(hi, b) - std::max(lo, a));
  };
  // Coordinates in units of 1/(w*h) source pixel cover both axes exactly.
  uint64_t sum[3] = {0, 0, 0}, area = 0;
  for (int sy = 0; sy < src.height; ++sy)
    for (int sx = 0; sx < src.width; ++sx) {
      const int64_t ox = overlap(int64_t{dx} * src.width, int64_t{dx + 1} * src.width,
                                 int64_t{sx} * w, int64_t{sx + 1} * w);
      const int64_t oy = overlap(int64_t{dy} * src.height, int64_t{dy + 1} * src.height,
                                 int64_t{sy} * h, int64_t{sy + 1} * h);
      const uint64_t a = static_cast<uint64_t>(ox * oy);
      const uint32_t p = src.at(sx, sy);
      sum[0] += (p >> 16 & 0xFF) * a;
      sum[1] += (p >> 8 & 0xFF) * a;
      sum[2] += (p & 0xFF) * a;
      area += a;
    }
  uint32_t out = 0;
  for (uint64_t s : sum) out = out << 8 | static_cast<uint32_t>((s + area / 2) / area);
  return out;
}

TEST(AreaAverageTest, ATwiceAsLargePictureRepeatsEachPixel) {
  const Image src = pattern(7, 5);
  const Image out = scale(src, 14, 10, {0, 0, 14, 10});
  for (int y = 0; y < 10; ++y)
    for (int x = 0; x < 14; ++x) ASSERT_EQ(out.at(x, y), src.at(x / 2, y / 2)) << x << "," << y;
}

TEST(AreaAverageTest, AHalfSizePictureIsTheMeanOfEachBlock) {
  const Image src{4, 2, {0x000000, 0x0A0B0C, 0xFFFFFF, 0xFFFFFF,
                         0x020202, 0x010101, 0xFFFFFF, 0x000000}};
  const Image out = scale(src, 2, 1, {0, 0, 2, 1});
  // (0 + 10 + 2 + 1) / 4 = 3.25, (11 + 3) / 4 = 3.5 rounds up, (12 + 3) / 4 = 3.75
  EXPECT_EQ(out.pixels, (std::vector<uint32_t>{0x030404, 0xBFBFBF}));
}

// Every sum a device pixel can gather, for many block sizes: the mean is
// rounded half up, exactly.
TEST(AreaAverageTest, MeansAreRoundedHalfUpExactly) {
  for (int d = 1; d <= 48; ++d)
    for (int sum = 0; sum <= 255 * d; ++sum) {
      Image src{d, 1, std::vector<uint32_t>(d)};
      for (int i = 0, left = sum; i < d; ++i, left -= std::min(left, 255))
        src.pixels[i] = static_cast<uint32_t>(std::min(left, 255));
      const uint32_t want = static_cast<uint32_t>((2 * sum + d) / (2 * d));
      ASSERT_EQ(scale(src, 1, 1, {0, 0, 1, 1}).pixels[0], want) << sum << " / " << d;
    }
}

TEST(AreaAverageTest, TheSameSizeIsTheSamePicture) {
  const Image src = pattern(9, 4);
  EXPECT_EQ(scale(src, 9, 4, {0, 0, 9, 4}).pixels, src.pixels);
}

TEST(AreaAverageTest, AgreesWithThePlainReferenceAtThreeQuartersAndFiveQuarters) {
  struct Case {
    int src_w, src_h, w, h;
  };
  const Case cases[] = {{16, 12, 12, 9}, {12, 8, 15, 10}, {13, 7, 10, 5}, {8, 8, 11, 9}};
  for (const Case& c : cases) {
    const Image src = pattern(c.src_w, c.src_h);
    const Image out = scale(src, c.w, c.h, {0, 0, c.w, c.h});
    for (int y = 0; y < c.h; ++y)
      for (int x = 0; x < c.w; ++x)
        ASSERT_EQ(out.at(x, y), reference_pixel(src, c.w, c.h, x, y))
            << c.src_w << "x" << c.src_h << " to " << c.w << "x" << c.h << " at " << x << "," << y;
  }
}

// Parts of one pixel too: where the pixels of a part cover more source
// pixels than those at the whole's start.
TEST(AreaAverageTest, APartIsThatPartOfTheWhole) {
  struct Case {
    int src_w, src_h, w, h;
    DeviceRect part;
  };
  const Case cases[] = {{16, 12, 20, 15, {3, 4, 9, 7}},
                        {5, 5, 3, 3, {1, 1, 1, 1}},
                        {10, 5, 6, 3, {1, 1, 2, 2}},
                        {16, 12, 12, 9, {5, 2, 4, 6}}};
  for (const Case& c : cases) {
    const Image src = pattern(c.src_w, c.src_h);
    const Image whole = scale(src, c.w, c.h, {0, 0, c.w, c.h});
    const Image piece = scale(src, c.w, c.h, c.part);
    for (int y = 0; y < c.part.h; ++y)
      for (int x = 0; x < c.part.w; ++x)
        ASSERT_EQ(piece.at(x, y), whole.at(c.part.x + x, c.part.y + y))
            << c.src_w << "x" << c.src_h << " to " << c.w << "x" << c.h << " at " << x << "," << y;
  }
}

}  // namespace
}  // namespace zol
