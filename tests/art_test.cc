// Checks the pictures as built in, from art/ and art/2x/ or a studio's own
// folder: what the build requires of them, and that each lit button fits its
// background.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdlib>
#include <utility>
#include <vector>

#include "art/art.h"
#include "host/image.h"

namespace zol {
namespace {

constexpr int kButtonTop = 408, kButtonWidth = 119, kButtonHeight = 26;

struct Highlight {
  const art::Asset& once;
  const art::Asset& twice;
  int left;
};
const Highlight kHighlights[] = {
    {art::lit_vollbildmodus, art::lit_vollbildmodus_2x, 59},
    {art::lit_fenstermodus, art::lit_fenstermodus_2x, 193},
    {art::lit_website, art::lit_website_2x, 328},
    {art::lit_raus_hier, art::lit_raus_hier_2x, 464},
};

// One picture set as built in: 1 for art/, 2 for art/2x/.
struct PictureSet {
  int scale;
  const art::Asset& background;
  const art::Asset& (*lit)(const Highlight&);
};
const PictureSet kSets[] = {
    {1, art::background, [](const Highlight& h) -> const art::Asset& { return h.once; }},
    {2, art::background_2x, [](const Highlight& h) -> const art::Asset& { return h.twice; }},
};

// The build embeds a picture only if the decoder takes it at its size; this
// holds the decoder to that for the pictures as built.
TEST(ArtTest, EveryPictureDecodesAtItsSize) {
  for (const PictureSet& set : kSets) {
    if (set.scale == 2 && !art::has_2x()) continue;
    const int k = set.scale;
    EXPECT_NO_THROW(decode_bmp(set.background.bytes, set.background.file, 640 * k, 480 * k));
    for (const auto& h : kHighlights)
      EXPECT_NO_THROW(decode_bmp(set.lit(h).bytes, set.lit(h).file, kButtonWidth * k,
                                 kButtonHeight * k));
  }
}

TEST(ArtTest, IconHoldsFourSizesLargestFirst) {
  const auto images = decode_ico(art::icon.bytes, art::icon.file);
  const int sizes[] = {48, 32, 24, 16};
  ASSERT_EQ(images.size(), std::size(sizes));
  for (size_t i = 0; i < images.size(); ++i) {
    SCOPED_TRACE(sizes[i]);
    EXPECT_EQ(images[i].size, sizes[i]);
    int solid = 0;
    for (uint32_t p : images[i].argb) solid += p >> 24 != 0;
    EXPECT_GT(solid, 0) << "the mask hides the whole icon";
  }
}

int brightness(uint32_t rgb) { return (rgb >> 16 & 0xff) + (rgb >> 8 & 0xff) + (rgb & 0xff); }

TEST(ArtTest, HighlightsChangeOnlyTheButtonFace) {
  for (const PictureSet& set : kSets) {
    if (set.scale == 2 && !art::has_2x()) continue;
    const int k = set.scale, w = kButtonWidth * k, h = kButtonHeight * k;
    const Image background =
        decode_bmp(set.background.bytes, set.background.file, 640 * k, 480 * k);
    for (const auto& highlight : kHighlights) {
      const art::Asset& asset = set.lit(highlight);
      SCOPED_TRACE(asset.file);
      const Image lit = decode_bmp(asset.bytes, asset.file, w, h);
      const auto under = [&](int x, int y) {
        return background.at(highlight.left * k + x, kButtonTop * k + y);
      };

      // The corners lie outside the rounded face: drawn there, the highlight
      // must leave the title artwork as it was.
      const std::pair<int, int> corners[] = {{0, 0}, {w - 1, 0}, {0, h - 1}, {w - 1, h - 1}};
      for (const auto& [x, y] : corners) EXPECT_EQ(lit.at(x, y), under(x, y)) << x << "," << y;

      // Most of the face, the label aside, must look clearly different.
      int changed = 0, area = 0;
      for (int y = 6 * k; y < h - 6 * k; ++y) {
        for (int x = 8 * k; x < w - 8 * k; ++x, ++area)
          if (std::abs(brightness(lit.at(x, y)) - brightness(under(x, y))) > 60) ++changed;
      }
      EXPECT_GT(changed, area / 2);
    }
  }
}

}  // namespace
}  // namespace zol
