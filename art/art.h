#pragma once
// The pictures of art/ and their words, built into the executable at build time.

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
extern const Asset words;              // words.txt: what a screen reader says (host/words.h)

// The same pictures drawn at twice the size, from art/2x/. A build without
// art/2x/ has them all empty, and the menu scales the pictures above instead.
extern const Asset background_2x;         // 2x/background.bmp, 1280 x 960
extern const Asset lit_vollbildmodus_2x;  // the lit buttons, 238 x 52 each
extern const Asset lit_fenstermodus_2x;
extern const Asset lit_website_2x;
extern const Asset lit_raus_hier_2x;

inline bool has_2x() { return !background_2x.bytes.empty(); }

}  // namespace zol::art
