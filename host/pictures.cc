#include "host/pictures.h"

#include <stdexcept>
#include <string>
#include <vector>

#include "host/resample.h"
#include "host/scale.h"

namespace zol {
namespace {

constexpr int kTwiceDpi = 2 * kBaseDpi;

}  // namespace

BmpView view_of(const art::Asset& asset, ArtSize size) {
  return BmpView(asset.bytes, asset.file, size.w, size.h);
}

ArtRect art_rect(TwipsRect twips, std::string_view what, int scale) {
  for (int32_t v : {twips.x, twips.y, twips.w, twips.h})
    if (v % kTwipsPerArtPixel != 0)
      throw std::logic_error(std::string(what) + ": " + std::to_string(v) +
                             " twips is not a whole pixel");
  return {twips.x / kTwipsPerArtPixel * scale, twips.y / kTwipsPerArtPixel * scale,
          twips.w / kTwipsPerArtPixel * scale, twips.h / kTwipsPerArtPixel * scale};
}

Scene built_in_scene() {
  Scene scene{view_of(art::background, art_rect(kClientTwips, "ZolForm", 1).size()), {}};
  if (art::has_2x())
    scene.twice = view_of(art::background_2x, art_rect(kClientTwips, "ZolForm", 2).size());
  return scene;
}

void lay_background(const Scene& scene, int dpi, Framebuffer& frame) {
  // Row by row into the frame, never zeroed first: at the window's size that costs.
  frame.pixels.clear();
  frame.pixels.reserve(static_cast<size_t>(frame.width) * frame.height);
  auto append = [&](const uint32_t* row) {
    frame.pixels.insert(frame.pixels.end(), row, row + frame.width);
  };
  const bool exact_2x = dpi == kTwiceDpi && scene.has_2x();
  if (dpi == kBaseDpi || exact_2x) {
    const BmpView& art = exact_2x ? scene.twice : scene.once;
    std::vector<uint32_t> line(static_cast<size_t>(frame.width));
    for (int y = 0; y < frame.height; ++y) {
      art.read_row(0, y, frame.width, line.data());
      append(line.data());
    }
    return;
  }
  const BmpView& source = scene.has_2x() ? scene.twice : scene.once;
  area_average([&](int x, int y, int n, uint32_t* out) { source.read_row(x, y, n, out); },
               {source.width(), source.height()}, {frame.width, frame.height},
               {0, 0, frame.width, frame.height}, append);
}

Image lit_picture(const Scene& scene, const BmpView& lit, const BmpView& lit_2x, TwipsRect at,
                  std::string_view name, int dpi, DeviceSize window, DeviceRect rect) {
  const bool twice = scene.has_2x() && dpi != kBaseDpi;
  const BmpView& background = twice ? scene.twice : scene.once;
  const BmpView& picture = twice ? lit_2x : lit;
  const ArtRect place = art_rect(at, name, twice ? 2 : 1);
  auto composite = [&](int x, int y, int n, uint32_t* out) {
    background.read_row(x, y, n, out);
    const ArtRect part = intersect(ArtRect{x, y, n, 1}, place);
    if (!part.empty())
      picture.read_row(part.x - place.x, y - place.y, part.w, out + (part.x - x));
  };
  return area_average(composite, {background.width(), background.height()}, window, rect);
}

}  // namespace zol
