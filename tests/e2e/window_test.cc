// The real zol binary in a real X server: the window as a user's desktop sees it.

#include <gtest/gtest.h>

#include <algorithm>

#include "art/art.h"
#include "tests/e2e/menu_fixtures.h"
#include "tests/e2e/x_session.h"

namespace zol::e2e {
namespace {

// Icon sizes in a _NET_WM_ICON value: width, height, then that many pixels, repeated.
std::vector<long> icon_sizes(const std::vector<long>& icon) {
  std::vector<long> sizes;
  for (size_t at = 0; at + 2 <= icon.size(); at += 2 + static_cast<size_t>(icon[at] * icon[at + 1])) {
    EXPECT_EQ(icon[at], icon[at + 1]);
    sizes.push_back(icon[at]);
  }
  return sizes;
}

class WindowTest : public ::testing::TestWithParam<Screen> {};

TEST_P(WindowTest, IsCentredUndecoratedNamedAndShowsTheArtwork) {
  const Screen screen = GetParam();
  XSession x(screen.width, screen.height, /*window_manager=*/true);
  const pid_t zol = x.start(zol_binary());
  const unsigned long window = x.wait_for_window("Orvenna");
  ASSERT_NE(window, 0u) << "no window named Orvenna appeared";

  const Geometry g = x.geometry(window);
  EXPECT_EQ(g.width, 640);
  EXPECT_EQ(g.height, 480);
  EXPECT_EQ(g.x, (screen.width - 640) / 2);
  EXPECT_EQ(g.y, (screen.height - 480) / 2);
  EXPECT_EQ(x.cardinals(window, "_NET_FRAME_EXTENTS"), (std::vector<long>{0, 0, 0, 0}));
  EXPECT_EQ(x.text_property(window, "_NET_WM_NAME"), "Orvenna");
  EXPECT_EQ(x.text_property(window, "WM_CLASS"), std::string("zol\0Zol\0", 8));
  EXPECT_EQ(x.cardinals(window, "_NET_WM_PID"), (std::vector<long>{zol}));
  EXPECT_EQ(icon_sizes(x.cardinals(window, "_NET_WM_ICON")), (std::vector<long>{48, 32, 24, 16}));
  ASSERT_TRUE(x.wait_for_pixels(g.x, g.y, background()));
  EXPECT_TRUE(same_pixels(x.grab_window(window), background(), "window"));
}

INSTANTIATE_TEST_SUITE_P(ScreenSizes, WindowTest,
                         ::testing::Values(Screen{1024, 768}, Screen{1921, 1081}),
                         [](const auto& info) {
                           std::string name = std::to_string(info.param.width);
                           name += 'x';
                           return name += std::to_string(info.param.height);
                         });

TEST(WindowRunTest, CommandLineArgumentsChangeNothing) {
  XSession x(1024, 768, false);
  const pid_t zol = x.start(zol_binary(), {"W", "--help", "-display", ":99", "ZolMain.exe"});
  const unsigned long window = x.wait_for_window("Orvenna");
  ASSERT_NE(window, 0u);
  EXPECT_EQ(x.geometry(window).width, 640);
  EXPECT_TRUE(x.wait_for_pixels(192, 144, background()));
  EXPECT_FALSE(x.wait_exit(zol, 0.2).has_value()) << "it ended on its own";
}

TEST(WindowRunTest, ACloseRequestEndsItAtOnceWithStatusZero) {
  XSession x(1024, 768, false);
  const pid_t zol = x.start(zol_binary());
  const unsigned long window = x.wait_for_window("Orvenna");
  ASSERT_NE(window, 0u);
  x.send_close_request(window);
  EXPECT_EQ(x.wait_exit(zol, 5), std::optional<int>(0));
}

TEST(WindowRunTest, ALostXServerEndsItWithOneLineAndAFailingStatus) {
  XSession x(1024, 768, false);
  const pid_t zol = x.start(zol_binary());
  ASSERT_NE(x.wait_for_window("Orvenna"), 0u);
  x.kill_server();
  const std::optional<int> status = x.wait_exit(zol, 5);
  ASSERT_TRUE(status.has_value()) << "it hangs without its X server";
  EXPECT_EQ(*status, 1);
  const std::string err = x.stderr_of(zol);
  EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
}

}  // namespace
}  // namespace zol::e2e
