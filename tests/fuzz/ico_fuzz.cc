// decode_ico on any bytes: it returns at least one square icon of a size an
// ICO can hold, or throws ImageError naming the file; anything else is a fault.

#include <cstdint>
#include <cstdlib>
#include <span>
#include <string_view>

#include "host/image.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  try {
    const auto icons = zol::decode_ico(std::span<const uint8_t>(data, size), "fuzz.ico");
    if (icons.empty()) std::abort();
    for (const zol::IconImage& icon : icons)
      if (icon.size < 1 || icon.size > 256 ||
          icon.argb.size() != static_cast<size_t>(icon.size) * icon.size)
        std::abort();
  } catch (const zol::ImageError& e) {
    if (!std::string_view(e.what()).starts_with("fuzz.ico: ")) std::abort();
  }
  return 0;
}
