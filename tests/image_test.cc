#include "host/image.h"

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <utility>

#include "tests/test_pictures.h"

namespace zol {
namespace {

using test::put16;
using test::put32;

uint32_t gradient(int x, int y) { return static_cast<uint32_t>(x * 40) << 16 | (y * 50) << 8 | 7; }

// What paint programs export: each layout must give the same pixels. Three
// pixels a row: 9 bytes of colour, 3 of padding.
TEST(DecodeBmpTest, ReadsEveryLayoutPaintProgramsWrite) {
  struct Case {
    const char* name;
    test::BmpLayout layout;
  };
  const Case cases[] = {
      {"info header, bottom-up", {}},
      {"info header, top-down", {40, 2834, true}},
      {"V4 header", {108, 2834, false}},
      {"V5 header, 96 DPI, top-down", {124, 3780, true}},
      {"no resolution", {40, 0, false}},
  };
  for (const Case& c : cases) {
    SCOPED_TRACE(c.name);
    const Image image = decode_bmp(test::make_bmp(3, 2, gradient, c.layout), "tiny.bmp", 3, 2);
    ASSERT_EQ(image.pixels.size(), 6u);
    for (int y = 0; y < 2; ++y)
      for (int x = 0; x < 3; ++x) EXPECT_EQ(image.at(x, y), gradient(x, y)) << x << "," << y;
  }
}

// Composing reads stretches of rows straight from the file's bytes.
TEST(BmpViewTest, ReadsAnyStretchOfARowInPlace) {
  const auto bytes = test::make_bmp(5, 3, gradient);
  const BmpView view(bytes, "tiny.bmp", 5, 3);
  struct Case {
    int x, y, count;
  };
  const auto top_down = test::make_bmp(5, 3, gradient, {124, 3780, true});
  for (const BmpView& v : {view, BmpView(top_down, "top.bmp", 5, 3)}) {
    for (const Case c : {Case{0, 0, 5}, Case{2, 0, 3}, Case{1, 2, 3}, Case{4, 1, 1}}) {
      std::vector<uint32_t> out(static_cast<size_t>(c.count) + 1, 0xDEADBEEF);
      v.read_row(c.x, c.y, c.count, out.data());
      for (int i = 0; i < c.count; ++i)
        EXPECT_EQ(out[i], gradient(c.x + i, c.y)) << c.x + i << "," << c.y;
      EXPECT_EQ(out.back(), 0xDEADBEEFu) << "wrote past the stretch";
    }
  }
  EXPECT_THROW(BmpView(bytes, "tiny.bmp", 5, 2), ImageError);
}

// Rows without padding, the top one last in the file: reading it to its
// end reads no byte past the file (the sanitizer build sees one).
TEST(BmpViewTest, ReadsTheLastRowOfTheFileToItsEnd) {
  const auto made = test::make_bmp(4, 2, gradient);
  const auto exact = std::make_unique<uint8_t[]>(made.size());
  std::copy(made.begin(), made.end(), exact.get());
  const BmpView view(std::span(exact.get(), made.size()), "tiny.bmp", 4, 2);
  std::vector<uint32_t> out(4);
  view.read_row(0, 0, 4, out.data());
  for (int x = 0; x < 4; ++x) EXPECT_EQ(out[x], gradient(x, 0)) << x;
}

// The bytes of a run of rows, whichever way up the file holds them.
TEST(BmpViewTest, RowsAreTheBytesThatHoldThem) {
  constexpr size_t kStride = 16;  // five pixels and a byte of padding
  for (const bool top_down : {false, true}) {
    const auto bytes = test::make_bmp(5, 3, gradient, {40, 2834, top_down});
    const BmpView view(bytes, "tiny.bmp", 5, 3);
    for (const auto& [y0, y1] : {std::pair{0, 3}, {1, 3}, {0, 1}, {2, 3}}) {
      const std::span<const uint8_t> rows = view.rows(y0, y1);
      ASSERT_EQ(rows.size(), kStride * (y1 - y0));
      ASSERT_TRUE(rows.data() >= bytes.data() && rows.data() + rows.size() <= bytes.data() + bytes.size());
      for (int y = y0; y < y1; ++y) {
        const size_t at = kStride * (top_down ? y - y0 : y1 - 1 - y);
        const uint32_t first = uint32_t{rows[at + 2]} << 16 | rows[at + 1] << 8 | rows[at];
        EXPECT_EQ(first, gradient(0, y)) << (top_down ? "top-down " : "bottom-up ") << y;
      }
    }
    EXPECT_TRUE(view.rows(2, 2).empty());
  }
}

TEST(DecodeBmpTest, RejectsWhatItCanNotShowNamingTheFile) {
  struct Case {
    const char* name;
    std::function<void(std::vector<uint8_t>&)> spoil;
    const char* message;
  };
  const Case cases[] = {
      {"empty", [](auto& b) { b.clear(); }, "pic.bmp: not a BMP file"},
      {"magic", [](auto& b) { b[0] = 'P'; }, "pic.bmp: not a BMP file"},
      {"header cut", [](auto& b) { b.resize(20); }, "pic.bmp: truncated"},
      {"wider", [](auto& b) { put32(b, 18, 4); }, "pic.bmp: size is 4 x 2, must be 3 x 2"},
      {"taller, top-down", [](auto& b) { put32(b, 22, static_cast<uint32_t>(-3)); },
       "pic.bmp: size is 3 x 3, must be 3 x 2"},
      {"height of INT_MIN", [](auto& b) { put32(b, 22, 0x80000000u); },
       "pic.bmp: size is 3 x 2147483648, must be 3 x 2"},
      {"depth", [](auto& b) { put16(b, 28, 32); }, "pic.bmp: depth is 32 bits, must be 24"},
      {"planes", [](auto& b) { put16(b, 26, 2); }, "pic.bmp: plane count must be 1"},
      {"depth 8", [](auto& b) { put16(b, 28, 8); }, "pic.bmp: depth is 8 bits, must be 24"},
      {"rle", [](auto& b) { put32(b, 30, 1); }, "pic.bmp: compressed, must be uncompressed (BI_RGB)"},
      {"bit fields", [](auto& b) { put32(b, 30, 3); },
       "pic.bmp: compressed, must be uncompressed (BI_RGB)"},
      {"palette", [](auto& b) { put32(b, 46, 16); },
       "pic.bmp: has a palette of 16 colours, must have none"},
      {"core header", [](auto& b) { put32(b, 14, 12); },
       "pic.bmp: header of 12 bytes, must be 40, 108 or 124"},
      {"V3 header", [](auto& b) { put32(b, 14, 56); },
       "pic.bmp: header of 56 bytes, must be 40, 108 or 124"},
      {"pixels cut", [](auto& b) { b.pop_back(); }, "pic.bmp: pixel data is truncated"},
      {"offset past end", [](auto& b) { put32(b, 10, 0xFFFFFFF0u); },
       "pic.bmp: pixel data is truncated"},
      {"offset in header", [](auto& b) { put32(b, 10, 20); }, "pic.bmp: pixel data overlaps the header"},
  };
  for (const Case& c : cases) {
    auto bytes = test::make_bmp(3, 2, gradient);
    c.spoil(bytes);
    try {
      decode_bmp(bytes, "pic.bmp", 3, 2);
      ADD_FAILURE() << c.name << ": accepted";
    } catch (const ImageError& e) {
      EXPECT_STREQ(e.what(), c.message) << c.name;
    }
  }
}

// An ICO of one 8-bit image of `size` px: palette entry i is grey i, pixel
// (x, y) has colour index x + y, and the mask clears the top-left pixel.
std::vector<uint8_t> make_ico(int size) {
  const size_t stride = (size + 3) / 4 * 4, mask_stride = ((size + 31) / 32) * 4;
  const size_t dib = 40 + 1024 + stride * size + mask_stride * size;
  std::vector<uint8_t> out(6 + 16 + dib);
  put16(out, 2, 1);
  put16(out, 4, 1);
  out[6] = out[7] = static_cast<uint8_t>(size);
  put16(out, 10, 1);
  put16(out, 12, 8);
  put32(out, 14, static_cast<uint32_t>(dib));
  put32(out, 18, 22);
  const size_t at = 22;
  put32(out, at, 40);
  put32(out, at + 4, static_cast<uint32_t>(size));
  put32(out, at + 8, static_cast<uint32_t>(2 * size));
  put16(out, at + 12, 1);
  put16(out, at + 14, 8);
  for (uint32_t i = 0; i < 256; ++i) put32(out, at + 40 + 4 * i, i << 16 | i << 8 | i);
  const size_t pixels = at + 40 + 1024, mask = pixels + stride * size;
  for (int y = 0; y < size; ++y)
    for (int x = 0; x < size; ++x) out[pixels + (size - 1 - y) * stride + x] = static_cast<uint8_t>(x + y);
  out[mask + (size - 1) * mask_stride] = 0x80;  // top row, first pixel
  return out;
}

TEST(DecodeIcoTest, TurnsPaletteAndMaskIntoArgb) {
  const auto icons = decode_ico(make_ico(16), "zol.ico");
  ASSERT_EQ(icons.size(), 1u);
  EXPECT_EQ(icons[0].size, 16);
  EXPECT_EQ(icons[0].argb[0], 0x00000000u);           // masked out
  EXPECT_EQ(icons[0].argb[1], 0xFF010101u);           // index 1, opaque
  EXPECT_EQ(icons[0].argb[15 * 16 + 15], 0xFF1E1E1Eu);  // index 30
}

TEST(DecodeIcoTest, RejectsMalformedSetsNamingTheFile) {
  struct Case {
    const char* name;
    std::function<void(std::vector<uint8_t>&)> spoil;
    const char* message;
  };
  const Case cases[] = {
      {"type", [](auto& b) { put16(b, 2, 2); }, "zol.ico: not an ICO file"},
      {"no image", [](auto& b) { put16(b, 4, 0); }, "zol.ico: holds no image"},
      {"entries cut", [](auto& b) { b.resize(12); }, "zol.ico: truncated"},
      {"not square", [](auto& b) { b[7] = 15; }, "zol.ico: icon entry 0 is not square"},
      {"offset past end", [](auto& b) { put32(b, 18, 0x7FFFFFFF); }, "zol.ico: truncated"},
      {"length past end", [](auto& b) { put32(b, 14, 0xFFFFFFFFu); }, "zol.ico: truncated"},
      {"depth", [](auto& b) { put16(b, 22 + 14, 4); },
       "zol.ico: icon of 16 px: must be 8 bits per pixel, uncompressed"},
      {"height", [](auto& b) { put32(b, 22 + 8, 16); },
       "zol.ico: icon of 16 px: bitmap size disagrees with its entry"},
      {"short entry", [](auto& b) { put32(b, 14, 1000); },
       "zol.ico: icon of 16 px: image data is truncated"},
      {"small palette", [](auto& b) { put32(b, 22 + 32, 8); },
       "zol.ico: icon of 16 px: colour index past palette"},
      {"huge palette", [](auto& b) { put32(b, 22 + 32, 100000); },
       "zol.ico: icon of 16 px: palette too large"},
      // Many entries on one image: a small file that would decode to gigabytes.
      {"entries share an image",
       [](auto& b) {
         const std::vector<uint8_t> entry(b.begin() + 6, b.begin() + 22);
         b.insert(b.begin() + 22, entry.begin(), entry.end());
         put16(b, 4, 2);
         put32(b, 18, 38);
         put32(b, 34, 38);
       },
       "zol.ico: images overlap"},
  };
  for (const Case& c : cases) {
    auto bytes = make_ico(16);
    c.spoil(bytes);
    try {
      decode_ico(bytes, "zol.ico");
      ADD_FAILURE() << c.name << ": accepted";
    } catch (const ImageError& e) {
      EXPECT_STREQ(e.what(), c.message) << c.name;
    }
  }
}

}  // namespace
}  // namespace zol
