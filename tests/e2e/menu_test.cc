// The real menu under a real pointer: hover lights exactly its button.

#include <gtest/gtest.h>

#include "art/art.h"
#include "tests/e2e/menu_fixtures.h"
#include "tests/e2e/x_session.h"

namespace zol::e2e {
namespace {

constexpr int kScreenW = 1024, kScreenH = 768;
constexpr int kLeft = (kScreenW - 640) / 2, kTop = (kScreenH - 480) / 2;

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

class MenuHoverTest : public MenuTest, public ::testing::WithParamInterface<MenuButton> {};

TEST_P(MenuHoverTest, ShowsExactlyItsHighlightAndOffAgainTheBackground) {
  const MenuButton& b = GetParam();
  x_.move_pointer(kLeft + b.centre().x, kTop + b.centre().y);
  const Image expected = with_highlight(b);
  x_.wait_for_pixels(kLeft, kTop, expected);
  EXPECT_TRUE(same_pixels(x_.grab_window(window_), expected, b.name));

  x_.move_pointer(kLeft + 320, kTop + 300);
  x_.wait_for_pixels(kLeft, kTop, background());
  EXPECT_TRUE(same_pixels(x_.grab_window(window_), background(), std::string(b.name) + "-off"));
}

INSTANTIATE_TEST_SUITE_P(Buttons, MenuHoverTest, ::testing::ValuesIn(menu_buttons()),
                         [](const auto& info) { return info.param.name; });

TEST_F(MenuTest, AMoveWithTheButtonHeldLightsLikeAnyOther) {
  x_.move_pointer(kLeft + 320, kTop + 300);
  x_.xdotool({"mousedown", "3"});
  const MenuButton& fenstermodus = menu_buttons()[1];
  x_.move_pointer(kLeft + fenstermodus.centre().x, kTop + fenstermodus.centre().y);
  const Image expected = with_highlight(fenstermodus);
  EXPECT_TRUE(x_.wait_for_pixels(kLeft, kTop, expected));
  x_.move_pointer(kLeft + 320, kTop + 300);
  EXPECT_TRUE(x_.wait_for_pixels(kLeft, kTop, background()));
  x_.xdotool({"mouseup", "3"});
}

}  // namespace
}  // namespace zol::e2e
