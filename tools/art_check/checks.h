#pragma once
// What a picture set must be for the build to take it in: each picture
// decodes at its size, each lit button is cut from its background, and a 2x
// set is the 1x set drawn at twice the size. The build runs these on the
// pictures it embeds, and the tests run the same on the pictures built in.

#include <cstdint>
#include <span>
#include <stdexcept>
#include <string>
#include <string_view>

#include "host/image.h"

namespace zol::art_check {

class ArtError : public std::runtime_error {
 public:
  using std::runtime_error::runtime_error;
};

// One picture of the 1x set, and where the menu draws it (art pixels). The
// 2x picture of the same name is twice the size, at twice the place.
struct PictureSpec {
  std::string_view name;  // file name without ".bmp"
  int width, height, left, top;
};
inline constexpr PictureSpec kBackground{"background", 640, 480, 0, 0};
inline constexpr PictureSpec kLitButtons[] = {
    {"lit_vollbildmodus", 119, 26, 59, 408},
    {"lit_fenstermodus", 119, 26, 193, 408},
    {"lit_website", 119, 26, 328, 408},
    {"lit_raus_hier", 119, 26, 464, 408},
};

// A picture as the checks see it: decoded, and named as messages show it.
struct Named {
  std::string shown;
  Image image;
};

// Decodes `bytes` at the spec's size times `scale`, or throws naming the file.
Named decode(std::span<const uint8_t> bytes, std::string shown, const PictureSpec& spec, int scale);

// A lit button must equal its background at its four corners, which lie
// outside the rounded face (else a frame of the unlit button shows around
// it), and clearly differ on the face.
void check_lit(const Named& lit, const Named& background, const PictureSpec& spec, int scale);

// How far a 2x picture, box-averaged down to 1x, lies from the 1x picture:
// the mean absolute difference of the worst channel, in levels of 255.
double halved_difference(const Image& twice, const Image& once);

// The most a 2x picture may lie from its 1x picture, halved. Set from our
// own pictures, with room to spare; another picture lies well beyond.
inline constexpr double kSceneBound = 4;    // ours: 0.96; ours moved 2 px: 8.2, flipped: 33
inline constexpr double kButtonBound = 13;  // ours: 9.5, text hinted apart; another button: 22+

// Throws unless `twice`, halved, matches `once` within `bound`; `folder` is
// the 2x folder as messages show it.
void check_belongs(const Named& twice, const Named& once, double bound, std::string_view folder);

// How much a 2x picture differs from its 1x picture with each pixel doubled:
// the mean absolute difference of the most different channel.
double doubled_difference(const Image& twice, const Image& once);
inline constexpr double kDoubledBound = 0.5;  // ours: 1.45 and more

// Throws if `twice` is no more than `once` with its pixels doubled: the
// menu scales the 1x set the same way, without the megabytes.
void check_drawn_at_size(const Named& twice, const Named& once, std::string_view folder);

}  // namespace zol::art_check
