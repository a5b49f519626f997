// decode_bmp on any bytes: it returns a picture of the size asked for or
// throws ImageError naming the file; anything else is a fault.

#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <span>
#include <string_view>

#include "host/image.h"

namespace {

// The size the caller asks for: the one the header claims (so that the pixel
// loop runs for any shape, and a negative height meets its own message),
// else a button's. Kept small: the decoder's limits, not the host's memory,
// are under test.
int32_t wanted(std::span<const uint8_t> bytes, size_t at, int32_t fallback) {
  if (bytes.size() < at + 4) return fallback;
  uint32_t raw;
  std::memcpy(&raw, bytes.data() + at, 4);
  const int64_t claimed = static_cast<int32_t>(raw);
  const int64_t size = claimed < 0 ? -claimed : claimed;
  return size >= 1 && size <= 4096 ? static_cast<int32_t>(size) : fallback;
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  const std::span<const uint8_t> bytes(data, size);
  const int32_t width = wanted(bytes, 18, 119), height = wanted(bytes, 22, 26);
  try {
    const zol::Image image = zol::decode_bmp(bytes, "fuzz.bmp", width, height);
    if (image.width != width || image.height != height ||
        image.pixels.size() != static_cast<size_t>(width) * height)
      std::abort();
  } catch (const zol::ImageError& e) {
    if (!std::string_view(e.what()).starts_with("fuzz.bmp: ")) std::abort();
  }
  return 0;
}
