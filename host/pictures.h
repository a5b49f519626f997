#pragma once
// The window's pictures at the device size, made once for a DPI from the
// set nearest in size: the 1x set as it is at 96 DPI, the 2x set as it is at
// 192, and area averages of the larger set at every other step.

#include <cstdint>
#include <functional>
#include <span>
#include <string_view>

#include "art/art.h"
#include "host/image.h"
#include "host/platform.h"
#include "host/units.h"

namespace zol {

// The scene's background: the 1x set's, and the 2x set's where there is
// one (a build without art/2x/ has none: `twice` is empty).
struct Scene {
  BmpView once, twice;
  bool has_2x() const { return twice.width() > 0; }
};

// The background built into this executable.
Scene built_in_scene();

// A built-in picture of `size` art pixels, checked as it is viewed.
BmpView view_of(const art::Asset& asset, ArtSize size);

// Where a picture's twips rectangle lies in its own set's art pixels; it
// must fall on whole pixels of the 1x set (std::logic_error names `what`).
// Places the layout's twips on the pictures: the one conversion outside
// host/scale.h and host/resample.h.
ArtRect art_rect(TwipsRect twips, std::string_view what, int scale);

// Bytes of the built-in pictures read and not needed again soon.
using Release = std::function<void(std::span<const uint8_t>)>;

// The background at `dpi` into `frame`, which has the window's size. The
// art's rows go to `release` as they are used up, so that the whole picture
// never lies in memory at once.
void lay_background(const Scene& scene, int dpi, Framebuffer& frame, const Release& release);

// A lit picture over device rectangle `rect` of a window of `window` size
// at `dpi`: its set's background with the lit button (`lit` of the 1x set,
// `lit_2x` of the 2x set) pasted at `at` (twips), averaged over `rect`, so
// that outside the button's face it shows what the background shows.
Image lit_picture(const Scene& scene, const BmpView& lit, const BmpView& lit_2x, TwipsRect at,
                  std::string_view name, int dpi, DeviceSize window, DeviceRect rect);

}  // namespace zol
