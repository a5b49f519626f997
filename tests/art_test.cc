// The pictures as built in, from art/ and art/2x/ or a studio's own folder:
// they pass exactly the checks the build made of them, no stricter ones.

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <vector>

#include "art/art.h"
#include "tools/art_check/checks.h"
#include "host/image.h"

namespace zol {
namespace {

using art_check::kLitButtons;
using art_check::Named;

const art::Asset* const kOnce[] = {&art::lit_vollbildmodus, &art::lit_fenstermodus,
                                   &art::lit_website, &art::lit_raus_hier};
const art::Asset* const kTwice[] = {&art::lit_vollbildmodus_2x, &art::lit_fenstermodus_2x,
                                    &art::lit_website_2x, &art::lit_raus_hier_2x};

// One set as built in, decoded: the background first, then the lit buttons
// in the order of kLitButtons.
std::vector<Named> decoded(int scale) {
  const art::Asset& background = scale == 1 ? art::background : art::background_2x;
  std::vector<Named> set{art_check::decode(background.bytes, std::string(background.file),
                                           art_check::kBackground, scale)};
  for (size_t i = 0; i < std::size(kLitButtons); ++i) {
    const art::Asset& lit = *(scale == 1 ? kOnce : kTwice)[i];
    set.push_back(art_check::decode(lit.bytes, std::string(lit.file), kLitButtons[i], scale));
  }
  return set;
}

std::vector<int> scales() { return art::has_2x() ? std::vector{1, 2} : std::vector{1}; }

TEST(ArtTest, EveryPictureDecodesAtItsSize) {
  for (int scale : scales()) EXPECT_NO_THROW(decoded(scale)) << scale << "x";
  EXPECT_NO_THROW(decode_ico(art::icon.bytes, art::icon.file));
}

TEST(ArtTest, EachLitButtonIsCutFromItsBackgroundAndLooksLit) {
  for (int scale : scales()) {
    const auto set = decoded(scale);
    for (size_t i = 0; i < std::size(kLitButtons); ++i)
      EXPECT_NO_THROW(art_check::check_lit(set[i + 1], set[0], kLitButtons[i], scale))
          << set[i + 1].shown;
  }
}

// Prints the figures the bounds were set from.
TEST(ArtTest, TheTwiceSetIsTheOnceSetDrawnAtSize) {
  if (!art::has_2x()) GTEST_SKIP() << "this build has no 2x pictures";
  const auto once = decoded(1), twice = decoded(2);
  for (size_t i = 0; i < once.size(); ++i) {
    const double bound = i == 0 ? art_check::kSceneBound : art_check::kButtonBound;
    std::printf("%-22s halved %4.2f levels off (bound %.0f), doubled 1x %5.2f off\n",
                twice[i].shown.c_str(), art_check::halved_difference(twice[i].image, once[i].image),
                bound, art_check::doubled_difference(twice[i].image, once[i].image));
    EXPECT_NO_THROW(art_check::check_belongs(twice[i], once[i], bound, "2x/"));
    EXPECT_NO_THROW(art_check::check_drawn_at_size(twice[i], once[i], "2x/"));
  }
}

}  // namespace
}  // namespace zol
