// The real menu on X servers of other depths: TrueColor at 16, 24 and 30
// bits shows the artwork in the visual's own colours; 8 bits gets a message.

#include <gtest/gtest.h>
#include <unistd.h>

#include <algorithm>
#include <map>
#include <utility>
#include <vector>

#include "art/art.h"
#include "tests/e2e/menu_fixtures.h"
#include "tests/e2e/x_session.h"

namespace zol::e2e {
namespace {

constexpr int kLeft = (1024 - 640) / 2, kTop = (768 - 480) / 2;

class TrueColourTest : public ::testing::TestWithParam<int> {};

TEST_P(TrueColourTest, ShowsTheArtworkAndALitButtonInTheVisualsOwnColours) {
  XSession x(1024, 768, /*window_manager=*/false, GetParam());
  const pid_t zol = x.start(zol_binary());
  const unsigned long window = x.wait_for_window("Orvenna");
  ASSERT_NE(window, 0u) << x.stderr_of(zol);
  const Image shown = x.as_shown(background());
  x.wait_for_pixels(kLeft, kTop, shown);
  EXPECT_TRUE(same_pixels(x.grab_window(window), shown, "background"));

  const MenuButton& b = menu_buttons()[1];
  x.move_pointer(kLeft + b.centre().x, kTop + b.centre().y);
  const Image lit = x.as_shown(with_highlight(b));
  x.wait_for_pixels(kLeft, kTop, lit);
  EXPECT_TRUE(same_pixels(x.grab_window(window), lit, b.name));
  EXPECT_EQ(x.stderr_of(zol), "");
}

INSTANTIATE_TEST_SUITE_P(Depths, TrueColourTest, ::testing::Values(16, 24, 30),
                         [](const auto& info) { return std::to_string(info.param) + "Bit"; });

uint32_t luma(uint32_t rgb) {
  return (299 * (rgb >> 16 & 0xFF) + 587 * (rgb >> 8 & 0xFF) + 114 * (rgb & 0xFF)) / 1000;
}

// Rows of the message that hold text, top to bottom, as runs [first, end).
std::vector<std::pair<int, int>> text_bands(const Image& shot) {
  std::vector<std::pair<int, int>> bands;
  for (int y = 0; y < shot.height; ++y) {
    bool dark = false;
    for (int x = 0; x < shot.width && !dark; ++x) dark = shot.at(x, y) == 0x000000u;
    if (dark && (bands.empty() || bands.back().second != y)) bands.push_back({y, y + 1});
    else if (dark) bands.back().second = y + 1;
  }
  return bands;
}

// The message once its text is drawn: it is mapped before it is painted.
Image painted_message(XSession& x, unsigned long message) {
  Image shot = x.grab_window(message);
  for (int i = 0; i < 400 && text_bands(shot).empty(); ++i) {
    usleep(5000);
    shot = x.grab_window(message);
  }
  return shot;
}

// Black text on light grey: the face is the commonest colour and light,
// the text black, and what is dark is letters, not boxes behind them.
TEST(ColourmappedScreenTest, GetsAReadableMessageAndStatusOne) {
  XSession x(1024, 768, /*window_manager=*/false, 8);
  const pid_t zol = x.start(zol_binary());
  const unsigned long message = x.wait_for_window("Zol");
  ASSERT_NE(message, 0u) << x.stderr_of(zol);
  EXPECT_EQ(x.wait_for_window("Orvenna", 0.2), 0u) << "a menu on 8 bits";
  const std::string err = x.stderr_of(zol);
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
  EXPECT_NE(err.find("TrueColor"), std::string::npos) << err;

  const Image shot = painted_message(x, message);
  std::map<uint32_t, size_t> count;
  for (uint32_t p : shot.pixels) ++count[p];
  const uint32_t face =
      std::max_element(count.begin(), count.end(), [](auto& a, auto& b) { return a.second < b.second; })
          ->first;
  size_t dark = 0;
  for (const auto& [colour, n] : count)
    if (luma(colour) < 0x40) {
      dark += n;
      EXPECT_EQ(colour, 0x000000u) << "text of another dark colour";
    }
  EXPECT_GE(luma(face), 0xC0u) << std::hex << face;
  EXPECT_GT(dark, 0u) << "no text";
  EXPECT_LT(dark * 10, shot.pixels.size()) << dark << " of " << shot.pixels.size() << " dark";
  if (HasFailure()) ADD_FAILURE() << "the message: " << keep_picture(shot, "message");

  x.xdotool({"key", "Return"});  // the message holds the focus
  EXPECT_EQ(x.wait_exit(zol), std::optional<int>(1));
}

// Without Xft (here: on a screen of few colours) the server's bitmap font
// grows with the box, not only the box.
TEST(ColourmappedScreenTest, TheMessagesFontGrowsWithTheScale) {
  std::map<int, int> glyph_height;
  for (int dpi : {96, 192}) {
    XSession x(1920, 1080, /*window_manager=*/false, 8);
    x.set_xft_dpi(dpi);
    const pid_t zol = x.start(zol_binary());
    const unsigned long message = x.wait_for_window("Zol");
    ASSERT_NE(message, 0u) << x.stderr_of(zol);
    const Image shot = painted_message(x, message);
    const auto bands = text_bands(shot);
    ASSERT_FALSE(bands.empty()) << dpi << " DPI: no text; " << keep_picture(shot, "message");
    glyph_height[dpi] = bands.front().second - bands.front().first;
    x.xdotool({"key", "Return"});
    EXPECT_EQ(x.wait_exit(zol), std::optional<int>(1));
  }
  // A bitmap font twice the size is nearly, not exactly, twice as tall.
  EXPECT_GE(glyph_height[192] * 10, glyph_height[96] * 17)
      << glyph_height[96] << " -> " << glyph_height[192] << " rows";
}

}  // namespace
}  // namespace zol::e2e
