#pragma once
// The pictures of art/, built into the executable at build time.

#include <cstdint>
#include <span>
#include <string_view>

namespace zol::art {

struct Asset {
  std::string_view file;  // names the picture in messages
  std::span<const uint8_t> bytes;
};

extern const Asset background;         // background.bmp, 640 x 480
extern const Asset icon;               // zol.ico: 48, 32, 24, 16 px
extern const Asset lit_vollbildmodus;  // the lit buttons, 119 x 26 each
extern const Asset lit_fenstermodus;
extern const Asset lit_website;
extern const Asset lit_raus_hier;

}  // namespace zol::art
