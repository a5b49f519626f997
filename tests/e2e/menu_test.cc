// The real menu under a real pointer: hover lights exactly its button.

#include <gtest/gtest.h>

#include "art/art.h"
#include "tests/e2e/x_session.h"

namespace zol::e2e {
namespace {

constexpr int kScreenW = 1024, kScreenH = 768;
constexpr int kLeft = (kScreenW - 640) / 2, kTop = (kScreenH - 480) / 2;

Image background() { return decode_bmp(art::background.bytes, art::background.file, 640, 480); }

// The background with `lit` drawn at `left`, 408.
Image with_highlight(const art::Asset& lit, int left) {
  Image expected = background();
  const Image button = decode_bmp(lit.bytes, lit.file, 119, 26);
  for (int y = 0; y < 26; ++y)
    for (int x = 0; x < 119; ++x) expected.pixels[(408 + y) * 640 + left + x] = button.at(x, y);
  return expected;
}

struct Button {
  const char* name;
  const art::Asset* lit;
  int left;
};
const Button kButtons[] = {
    {"vollbildmodus", &art::lit_vollbildmodus, 59},
    {"fenstermodus", &art::lit_fenstermodus, 193},
    {"website", &art::lit_website, 328},
    {"raus_hier", &art::lit_raus_hier, 464},
};

class MenuTest : public ::testing::Test {
 protected:
  void SetUp() override {
    zol_ = x_.start(zol_binary());
    window_ = x_.wait_for_window("Orvenna");
    ASSERT_NE(window_, 0u);
    ASSERT_TRUE(x_.wait_for_pixels(kLeft, kTop, background()));
  }
  XSession x_{kScreenW, kScreenH, false};
  pid_t zol_ = -1;
  unsigned long window_ = 0;
};

TEST_F(MenuTest, HoveringEachButtonShowsExactlyItsHighlight) {
  for (const Button& b : kButtons) {
    x_.move_pointer(kLeft + b.left + 60, kTop + 420);
    const Image expected = with_highlight(*b.lit, b.left);
    x_.wait_for_pixels(kLeft, kTop, expected);
    EXPECT_TRUE(same_pixels(x_.grab_window(window_), expected, b.name));

    x_.move_pointer(kLeft + 320, kTop + 300);
    x_.wait_for_pixels(kLeft, kTop, background());
    EXPECT_TRUE(same_pixels(x_.grab_window(window_), background(), std::string(b.name) + "-off"));
  }
}

TEST_F(MenuTest, AMoveWithTheButtonHeldLightsLikeAnyOther) {
  x_.move_pointer(kLeft + 320, kTop + 300);
  x_.xdotool({"mousedown", "3"});
  x_.move_pointer(kLeft + 250, kTop + 420);
  const Image expected = with_highlight(art::lit_fenstermodus, 193);
  EXPECT_TRUE(x_.wait_for_pixels(kLeft, kTop, expected));
  x_.move_pointer(kLeft + 320, kTop + 300);
  EXPECT_TRUE(x_.wait_for_pixels(kLeft, kTop, background()));
  x_.xdotool({"mouseup", "3"});
}

}  // namespace
}  // namespace zol::e2e
