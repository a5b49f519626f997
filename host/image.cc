#include "host/image.h"

#include <bit>
#include <cstring>
#include <string>

namespace zol {
namespace {

// Little-endian reads that refuse to leave the buffer.
class Reader {
 public:
  Reader(std::span<const uint8_t> bytes, std::string_view file) : bytes_(bytes), file_(file) {}

  uint32_t u32(size_t at) const { return need(at, 4), get(at, 4); }
  uint16_t u16(size_t at) const { return static_cast<uint16_t>((need(at, 2), get(at, 2))); }
  int32_t i32(size_t at) const { return static_cast<int32_t>(u32(at)); }
  uint8_t u8(size_t at) const { return static_cast<uint8_t>((need(at, 1), bytes_[at])); }
  void need(size_t at, size_t count) const {
    if (at > bytes_.size() || count > bytes_.size() - at) fail("truncated");
  }
  [[noreturn]] void fail(const std::string& what) const {
    throw ImageError(std::string(file_) + ": " + what);
  }

 private:
  uint32_t get(size_t at, int count) const {
    uint32_t value = 0;
    for (int i = count - 1; i >= 0; --i) value = value << 8 | bytes_[at + i];
    return value;
  }
  std::span<const uint8_t> bytes_;
  std::string_view file_;
};

constexpr uint32_t kBiRgb = 0;

uint32_t le32(uint32_t v) { return std::endian::native == std::endian::little ? v : __builtin_bswap32(v); }

// BITMAPINFOHEADER, or the V4/V5 headers that begin with it.
bool known_info_size(uint32_t size) { return size == 40 || size == 108 || size == 124; }

size_t row_stride(int width, int bits) { return (static_cast<size_t>(width) * bits + 31) / 32 * 4; }

}  // namespace

BmpView::BmpView(std::span<const uint8_t> bytes, std::string_view file, int want_width,
                 int want_height) {
  const Reader r(bytes, file);
  if (bytes.size() < 2 || bytes[0] != 'B' || bytes[1] != 'M') r.fail("not a BMP file");
  const uint32_t offset = r.u32(10);
  const uint32_t info = r.u32(14);
  if (!known_info_size(info))
    r.fail("header of " + std::to_string(info) + " bytes, must be 40, 108 or 124");
  // A negative height means rows top-down, as some paint programs write them.
  const int64_t width = r.i32(18), signed_height = r.i32(22);
  const int64_t height = signed_height < 0 ? -signed_height : signed_height;
  if (width != want_width || height != want_height)
    r.fail("size is " + std::to_string(width) + " x " + std::to_string(height) + ", must be " +
           std::to_string(want_width) + " x " + std::to_string(want_height));
  if (r.u16(26) != 1) r.fail("plane count must be 1");
  const uint16_t bits = r.u16(28);
  if (bits != 24) r.fail("depth is " + std::to_string(bits) + " bits, must be 24");
  if (r.u32(30) != kBiRgb) r.fail("compressed, must be uncompressed (BI_RGB)");
  if (const uint32_t colours = r.u32(46); colours != 0)
    r.fail("has a palette of " + std::to_string(colours) + " colours, must have none");
  if (offset < 14 + info) r.fail("pixel data overlaps the header");
  const size_t stride = row_stride(want_width, 24);
  if (offset > bytes.size() || stride * static_cast<size_t>(want_height) > bytes.size() - offset)
    r.fail("pixel data is truncated");
  bytes_ = bytes;
  pixels_ = bytes.data() + offset;
  stride_ = stride;
  width_ = want_width;
  height_ = want_height;
  top_down_ = signed_height < 0;
}

void BmpView::read_row(int x, int y, int count, uint32_t* out) const {
  const int row = top_down_ ? y : height_ - 1 - y;
  const uint8_t* in = pixels_ + stride_ * static_cast<size_t>(row) + 3 * static_cast<size_t>(x);
  // Four bytes at a time, the fourth the next pixel's; the last pixel of
  // the stretch byte by byte, as nothing may follow it.
  int i = 0;
  for (; i + 1 < count; ++i, in += 3) {
    uint32_t bgrx;
    std::memcpy(&bgrx, in, 4);
    out[i] = le32(bgrx) & 0xFFFFFF;
  }
  if (i < count) out[i] = uint32_t{in[2]} << 16 | in[1] << 8 | in[0];
}

std::span<const uint8_t> BmpView::rows(int y0, int y1) const {
  if (y1 <= y0) return {};
  const int first = top_down_ ? y0 : height_ - y1;  // the lowest in the file
  return {pixels_ + stride_ * static_cast<size_t>(first), stride_ * static_cast<size_t>(y1 - y0)};
}

Image decode_bmp(std::span<const uint8_t> bytes, std::string_view file, int want_width,
                 int want_height) {
  const BmpView view(bytes, file, want_width, want_height);
  Image image{view.width(), view.height(),
              std::vector<uint32_t>(static_cast<size_t>(view.width()) * view.height())};
  for (int y = 0; y < image.height; ++y)
    view.read_row(0, y, image.width, image.pixels.data() + static_cast<size_t>(y) * image.width);
  return image;
}

namespace {

// One icon image: a DIB of twice the height, 8-bit colour rows then 1-bit mask rows.
IconImage decode_icon_dib(const Reader& r, size_t at, size_t length, int size) {
  r.need(at, length);
  if (r.u32(at) != 40) r.fail("icon of " + std::to_string(size) + " px: unsupported header");
  if (r.i32(at + 4) != size || r.i32(at + 8) != 2 * size)
    r.fail("icon of " + std::to_string(size) + " px: bitmap size disagrees with its entry");
  if (r.u16(at + 14) != 8 || r.u32(at + 16) != kBiRgb)
    r.fail("icon of " + std::to_string(size) + " px: must be 8 bits per pixel, uncompressed");
  const uint32_t colours = r.u32(at + 32) == 0 ? 256 : r.u32(at + 32);
  if (colours > 256) r.fail("icon of " + std::to_string(size) + " px: palette too large");
  const size_t palette = at + 40, pixels = palette + 4 * colours;
  const size_t stride = row_stride(size, 8), mask_stride = row_stride(size, 1);
  const size_t mask = pixels + stride * size;
  if (mask + mask_stride * size - at > length)
    r.fail("icon of " + std::to_string(size) + " px: image data is truncated");

  IconImage icon{size, std::vector<uint32_t>(static_cast<size_t>(size) * size)};
  for (int y = 0; y < size; ++y) {
    const size_t src_row = static_cast<size_t>(size - 1 - y);
    for (int x = 0; x < size; ++x) {
      const uint8_t index = r.u8(pixels + src_row * stride + x);
      if (index >= colours) r.fail("icon of " + std::to_string(size) + " px: colour index past palette");
      const uint32_t bgrx = r.u32(palette + 4 * index) & 0xFFFFFF;
      const bool clear = r.u8(mask + src_row * mask_stride + x / 8) >> (7 - x % 8) & 1;
      icon.argb[static_cast<size_t>(y) * size + x] = (clear ? 0 : 0xFF000000u) | bgrx;
    }
  }
  return icon;
}

}  // namespace

std::vector<IconImage> decode_ico(std::span<const uint8_t> bytes, std::string_view file) {
  const Reader r(bytes, file);
  if (r.u16(0) != 0 || r.u16(2) != 1) r.fail("not an ICO file");
  const uint16_t count = r.u16(4);
  if (count == 0) r.fail("holds no image");
  // Images that share bytes would let a small file claim gigabytes of icons.
  const size_t directory = 6 + 16 * size_t{count};
  size_t claimed = 0;
  for (size_t i = 0; i < count; ++i) {
    const uint32_t length = r.u32(6 + 16 * i + 8);
    r.need(r.u32(6 + 16 * i + 12), length);
    claimed += length;
  }
  if (claimed > bytes.size() - directory) r.fail("images overlap");
  std::vector<IconImage> icons;
  for (size_t i = 0; i < count; ++i) {
    const size_t entry = 6 + 16 * i;
    const int size = r.u8(entry) == 0 ? 256 : r.u8(entry);
    if (r.u8(entry + 1) != r.u8(entry)) r.fail("icon entry " + std::to_string(i) + " is not square");
    icons.push_back(decode_icon_dib(r, r.u32(entry + 12), r.u32(entry + 8), size));
  }
  return icons;
}

}  // namespace zol
