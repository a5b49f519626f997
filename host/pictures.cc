#include "host/pictures.h"

#include <stdexcept>
#include <string>
#include <vector>

#include "host/resample.h"
#include "host/scale.h"

namespace zol {
namespace {

constexpr int kTwiceDpi = 2 * kBaseDpi;
// Art rows handed back at a time: a few dozen pages, so that the calls
// are few and what lies in memory at once stays small.
constexpr int kReleaseRows = 32;

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

void lay_background(const Scene& scene, int dpi, Framebuffer& frame, const Release& release) {
  // Row by row into the frame, never zeroed first: at the window's size that costs.
  frame.pixels.clear();
  frame.pixels.reserve(static_cast<size_t>(frame.width) * frame.height);
  auto append = [&](const uint32_t* row) {
    frame.pixels.insert(frame.pixels.end(), row, row + frame.width);
  };
  const bool exact_2x = dpi == kTwiceDpi && scene.has_2x();
  const BmpView& source = exact_2x || (scene.has_2x() && dpi != kBaseDpi) ? scene.twice : scene.once;
  // Rows are read top-down, each once: those above the one read are done.
  int done = 0;
  auto read = [&](int x, int y, int n, uint32_t* out) {
    if (y - done >= kReleaseRows) {
      release(source.rows(done, y));
      done = y;
    }
    source.read_row(x, y, n, out);
  };
  if (dpi == kBaseDpi || exact_2x) {
    std::vector<uint32_t> line(static_cast<size_t>(frame.width));
    for (int y = 0; y < frame.height; ++y) {
      read(0, y, frame.width, line.data());
      append(line.data());
    }
  } else {
    area_average(read, {source.width(), source.height()}, {frame.width, frame.height},
                 {0, 0, frame.width, frame.height}, append);
  }
  release(source.rows(done, source.height()));
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
