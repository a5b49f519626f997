#include "bench/scene.h"

#include <cstdlib>
#include <stdexcept>

#include "art/art.h"
#include "host/scale.h"
#include "menu/menu.h"

namespace bench {
namespace {

// The top left `size` of a picture of `full` art pixels, decoded.
zol::Image cut(const zol::art::Asset& asset, zol::ArtSize full, zol::DeviceSize size) {
  const zol::BmpView view(asset.bytes, asset.file, full.w, full.h);
  zol::Image image{size.w, size.h, std::vector<uint32_t>(static_cast<size_t>(size.w) * size.h)};
  for (int y = 0; y < size.h; ++y)
    view.read_row(0, y, size.w, &image.pixels[static_cast<size_t>(y) * size.w]);
  return image;
}

}  // namespace

Look cut_look(int dpi) {
  const int scale = dpi == zol::kBaseDpi ? 1 : 2;
  if (scale == 2 && !zol::art::has_2x()) throw std::runtime_error("the build has no 2x art set");
  Look look;
  look.background = cut(scale == 2 ? zol::art::background_2x : zol::art::background,
                        {640 * scale, 480 * scale}, zol::window_size(dpi));
  for (const zol::menu::MenuEntry& entry : zol::menu::entries())
    for (const zol::ControlSpec& c : zol::menu::layout()) {
      if (c.name != entry.highlight) continue;
      const zol::DeviceRect r = zol::to_device(c.rect, dpi);
      look.buttons.push_back(r);
      const zol::ArtSize art{c.rect.w / zol::kTwipsPerArtPixel * scale,
                             c.rect.h / zol::kTwipsPerArtPixel * scale};
      look.lit.push_back(cut(scale == 2 ? *c.picture_2x : *c.picture, art, r.size()));
    }
  return look;
}

int dpi_argument(int argc, char** argv) { return argc > 1 ? std::atoi(argv[1]) : zol::kBaseDpi; }

}  // namespace bench
