// The real menu at the DPI the desktop asks for through Xft.dpi: its size,
// place and pixels, where the pointer lights a button, and the failure message.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <map>

#include "tests/e2e/menu_fixtures.h"
#include "tests/e2e/x_session.h"

namespace zol::e2e {
namespace {

namespace fs = std::filesystem;

struct DpiCase {
  const char* name;
  int xft_dpi;    // 0: none set
  int gtk_scale;  // Gdk/WindowScalingFactor in XSETTINGS; 0: no settings manager
  Screen screen;
  int width, height;
  int dpi;  // the scale step it is drawn at
};
void PrintTo(const DpiCase& c, std::ostream* out) { *out << c.name; }

class WindowAtDpiTest : public ::testing::TestWithParam<DpiCase> {};

TEST_P(WindowAtDpiTest, HasTheSizeOfItsScaleStepCentredWithItsPicture) {
  const DpiCase& c = GetParam();
  XSession x(c.screen.width, c.screen.height, /*window_manager=*/false);
  if (c.xft_dpi) x.set_xft_dpi(c.xft_dpi);
  if (c.gtk_scale) x.set_gtk_scale(c.gtk_scale);
  x.start(zol_binary());
  const unsigned long window = x.wait_for_window("Orvenna");
  ASSERT_NE(window, 0u);
  const Geometry g = x.geometry(window);
  EXPECT_EQ(g.width, c.width);
  EXPECT_EQ(g.height, c.height);
  EXPECT_EQ(g.x, (c.screen.width - c.width) / 2);
  EXPECT_EQ(g.y, (c.screen.height - c.height) / 2);
  x.wait_for_pixels(g.x, g.y, background(c.dpi));
  EXPECT_TRUE(same_pixels(x.grab_window(window), background(c.dpi), c.name));
}

INSTANTIATE_TEST_SUITE_P(
    Dpis, WindowAtDpiTest,
    ::testing::Values(DpiCase{"NoneSet", 0, 0, {1024, 768}, 640, 480, 96},
                      DpiCase{"At96", 96, 0, {1024, 768}, 640, 480, 96},
                      DpiCase{"At120", 120, 0, {1920, 1080}, 800, 600, 120},
                      DpiCase{"At144", 144, 0, {1920, 1080}, 960, 720, 144},
                      DpiCase{"At192", 192, 0, {1920, 1080}, 1280, 960, 192},
                      DpiCase{"At192On1024x768StepsDownTo144", 192, 0, {1024, 768}, 960, 720, 144},
                      DpiCase{"GtkScale2", 0, 2, {1920, 1080}, 1280, 960, 192},
                      DpiCase{"GtkScale1KeepsXftDpi144", 144, 1, {1920, 1080}, 960, 720, 144}),
    [](const auto& info) { return std::string(info.param.name); });

// A menu started at `dpi` on a 1920 x 1080 screen, its window found.
class MenuAtDpi {
 public:
  MenuAtDpi(int dpi, const std::string& binary = zol_binary()) : x_(1920, 1080, false) {
    x_.set_xft_dpi(dpi);
    zol_ = x_.start(binary);
    window_ = x_.wait_for_window("Orvenna");
    if (window_) origin_ = x_.geometry(window_);
  }
  XSession& x() { return x_; }
  pid_t zol() const { return zol_; }
  unsigned long window() const { return window_; }
  // Moves the pointer to a device pixel of the window.
  void point_at(int wx, int wy) { x_.move_pointer(origin_.x + wx, origin_.y + wy); }
  Image grab(DeviceRect r) { return x_.grab(origin_.x + r.x, origin_.y + r.y, r.w, r.h); }
  bool shows(DeviceRect r, const Image& expected) {
    return x_.wait_for_pixels(origin_.x + r.x, origin_.y + r.y, expected);
  }
  // Waits (bounded) until the rectangle no longer shows `before`.
  bool changes(DeviceRect r, const Image& before) {
    for (int i = 0; i < 1000; ++i) {
      if (grab(r).pixels != before.pixels) return true;
      usleep(5000);
    }
    return false;
  }

 private:
  XSession x_;
  pid_t zol_ = -1;
  unsigned long window_ = 0;
  Geometry origin_;
};

class HoverAt192Test : public ::testing::TestWithParam<MenuButton> {};

TEST_P(HoverAt192Test, ShowsExactlyItsTwiceSizeHighlight) {
  const MenuButton& b = GetParam();
  MenuAtDpi menu(192);
  ASSERT_NE(menu.window(), 0u);
  const DeviceRect whole{0, 0, 1280, 960};
  ASSERT_TRUE(menu.shows(whole, background(192)));
  menu.point_at(b.centre(192).x, b.centre(192).y);
  const Image expected = with_highlight(b, 192);
  menu.shows(whole, expected);
  EXPECT_TRUE(same_pixels(menu.grab(whole), expected, b.name));
  menu.point_at(640, 300);
  menu.shows(whole, background(192));
  EXPECT_TRUE(same_pixels(menu.grab(whole), background(192), b.name + "-off"));
}

INSTANTIATE_TEST_SUITE_P(Buttons, HoverAt192Test, ::testing::ValuesIn(menu_buttons()),
                         [](const auto& info) { return info.param.name; });

// The buttons' device edges at 144 DPI, worked out from the layout by hand:
// each button lights from its first device pixel to its last, not one beyond.
TEST(HoverAt144Test, LightsExactlyBetweenTheDeviceEdges) {
  struct Button {
    int left, right;  // device columns, half-open
  };
  constexpr int kTop = 612, kBottom = 651;
  constexpr Button kButtons[] = {{88, 267}, {289, 468}, {492, 670}, {696, 874}};
  MenuAtDpi menu(144);
  ASSERT_NE(menu.window(), 0u);
  ASSERT_EQ(menu.x().geometry(menu.window()).width, 960);
  ASSERT_TRUE(menu.shows({0, 0, 960, 720}, background(144)));
  for (const Button& b : kButtons) {
    const DeviceRect rect{b.left, kTop, b.right - b.left, kBottom - kTop};
    const int middle = (kTop + kBottom) / 2;
    const Image unlit = menu.grab(rect);
    menu.point_at((b.left + b.right) / 2, middle);
    ASSERT_TRUE(menu.changes(rect, unlit)) << "the button at " << b.left << " never lit";
    const Image lit = menu.grab(rect);
    // From lit, a move just outside puts it out; from unlit, one just inside lights it.
    struct Probe {
      int x, y;
      bool inside;
    };
    const Probe probes[] = {
        {b.left - 1, middle, false}, {b.left, middle, true},     {b.right - 1, middle, true},
        {b.right, middle, false},    {b.left, kTop - 1, false},  {b.left, kTop, true},
        {b.right - 1, kBottom - 1, true}, {b.right - 1, kBottom, false},
    };
    for (const Probe& p : probes) {
      menu.point_at(p.inside ? 480 : (b.left + b.right) / 2, p.inside ? 100 : middle);
      ASSERT_TRUE(menu.shows(rect, p.inside ? unlit : lit));
      menu.point_at(p.x, p.y);
      EXPECT_TRUE(menu.shows(rect, p.inside ? lit : unlit))
          << "at " << p.x << "," << p.y << " the button at " << b.left << " should "
          << (p.inside ? "light" : "go out");
    }
    menu.point_at(480, 100);
    ASSERT_TRUE(menu.shows(rect, unlit));
  }
}

// With no game beside the menu, a click brings the failure message: drawn
// at the menu's scale, font, padding and button alike.
TEST(FailureMessageAtDpiTest, GrowsWithTheScale) {
  TempDir dir;
  const fs::path binary = fs::path(dir.path()) / "zol";
  fs::copy_file(zol_binary(), binary);
  std::map<int, Geometry> message;
  for (int dpi : {96, 192}) {
    MenuAtDpi menu(dpi, binary.string());
    ASSERT_NE(menu.window(), 0u);
    const DevicePoint button = menu_buttons()[0].centre(dpi);
    menu.point_at(button.x, button.y);
    menu.x().xdotool({"click", "1"});
    const unsigned long window = menu.x().wait_for_window("Zol");
    ASSERT_NE(window, 0u) << dpi << " DPI: no message";
    message[dpi] = menu.x().geometry(window);
    menu.x().xdotool({"key", "Return"});  // with no window manager the message takes the focus
    EXPECT_EQ(menu.x().wait_exit(menu.zol()), std::optional<int>(1));
  }
  // Text is measured, not multiplied: a font at twice the size is nearly,
  // not exactly, twice as large.
  EXPECT_GE(message[192].width * 10, message[96].width * 19)
      << message[96].width << " -> " << message[192].width;
  EXPECT_GE(message[192].height * 10, message[96].height * 19)
      << message[96].height << " -> " << message[192].height;
}

}  // namespace
}  // namespace zol::e2e
