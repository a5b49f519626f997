// Twips to device pixels, and the DPI the menu is drawn at.

#include "host/scale.h"

#include <gtest/gtest.h>

#include <climits>

#include "menu/menu.h"
#include "tests/fake_platform.h"

namespace zol {
namespace {

TEST(ScaleTest, DeviceEdgeTakesThePixelsWhoseCentreLiesInside) {
  struct Case {
    int32_t twips;
    int dpi, edge;
  };
  const Case cases[] = {
      {0, 96, 0},      {15, 96, 1},      {9600, 96, 640},   {7200, 96, 480},
      {7, 96, 0},      {8, 96, 1},       // pixel 0's centre lies at 7.5 twips
      {885, 96, 59},   {885, 120, 74},   {885, 144, 88},    // 88's centre lies exactly on it
      {886, 144, 89},  {885, 192, 118},  {2670, 192, 356},  {9600, 120, 800},
      {9600, 144, 960}, {9600, 192, 1280}, {7200, 168, 840}, {9600, 480, 3200},
      {-15, 96, -1},   {-7, 96, 0},
  };
  for (const Case& c : cases)
    EXPECT_EQ(device_edge(c.twips, c.dpi), c.edge) << c.twips << " twips at " << c.dpi;
}

TEST(ScaleTest, TheDpiIsRoundedToAStepAndSteppedDownToFitTheMonitor) {
  const DeviceRect big{0, 0, 3840, 2160};
  struct Case {
    int reported;
    DeviceRect monitor;
    int dpi;
  };
  const Case cases[] = {
      {96, big, 96},   {110, big, 120}, {120, big, 120}, {132, big, 144}, {144, big, 144},
      {168, big, 168}, {192, big, 192}, {240, big, 240}, {288, big, 288}, {480, big, 432},
      {48, big, 96},   {72, big, 96},   {107, big, 96},  {108, big, 120},
      {192, {0, 0, 1024, 768}, 144},  // 1280 and 1120 are too wide
      {192, {0, 0, 1280, 960}, 192},  // fits exactly
      {192, {0, 0, 1280, 959}, 168},  // one row short
      {480, {0, 0, 1920, 1080}, 216},
      {144, {0, 0, 800, 600}, 120},
      {192, {0, 0, 320, 240}, 96},    // never below 96, even when it can't fit
      // What no system means: taken for 96.
      {47, big, 96},   {481, big, 96},  {4000, big, 96}, {0, big, 96}, {-96, big, 96},
      {INT_MAX, big, 96}, {INT_MAX - 11, big, 96}, {INT_MIN, big, 96},
  };
  for (const Case& c : cases)
    EXPECT_EQ(pick_dpi(c.reported, c.monitor), c.dpi)
        << c.reported << " on " << c.monitor.w << " x " << c.monitor.h;
}

TEST(ScaleTest, TheWindowIsCentredOnTheMonitor) {
  EXPECT_EQ(centred({0, 0, 1920, 1080}, {1280, 960}), (DeviceRect{320, 60, 1280, 960}));
  EXPECT_EQ(centred({1920, -200, 1025, 769}, {640, 480}), (DeviceRect{2112, -56, 640, 480}));
  EXPECT_EQ(centred({0, 0, 600, 400}, {641, 481}), (DeviceRect{-21, -41, 641, 481}));
}

// The menu's buttons at scales other than 1: the pointer lights a button
// from its first device pixel to its last and not one beyond.
TEST(ScaleTest, EachButtonsDeviceEdgesFlipWhereEdgeSays) {
  struct Scale {
    int dpi;
    int top, bottom;                 // device rows, half-open
    std::pair<int, int> columns[4];  // per button, left to right
  };
  const Scale scales[] = {
      {120, 510, 542, {{74, 222}, {241, 390}, {410, 559}, {580, 729}}},
      {144, 612, 651, {{88, 267}, {289, 468}, {492, 670}, {696, 874}}},
      {192, 816, 868, {{118, 356}, {386, 624}, {656, 894}, {928, 1166}}},
  };
  for (const Scale& s : scales) {
    FakePlatform platform;
    platform.screen_ = {s.dpi, {0, 0, 3840, 2160}};
    ZolForm form(platform, menu::layout(), menu::dispatch());
    form.show();
    ASSERT_EQ(form.dpi(), s.dpi);
    auto lit_at = [&](int x, int y) {
      form.pointer({PointerEvent::Kind::Move, {1, 1}, 0});
      form.pointer({PointerEvent::Kind::Move, {x, y}, 0});
      std::string lit;
      for (const auto& entry : menu::entries())
        if (form.control(entry.highlight).visible) lit += entry.highlight;
      return lit;
    };
    for (int i = 0; i < 4; ++i) {
      const std::string name(menu::entries()[i].highlight);
      const auto [left, right] = s.columns[i];
      const int middle = (s.top + s.bottom) / 2;
      SCOPED_TRACE(std::to_string(s.dpi) + " DPI, " + name);
      EXPECT_EQ(lit_at(left - 1, middle), "");
      EXPECT_EQ(lit_at(left, middle), name);
      EXPECT_EQ(lit_at(right - 1, middle), name);
      EXPECT_EQ(lit_at(right, middle), "");
      EXPECT_EQ(lit_at(left, s.top - 1), "");
      EXPECT_EQ(lit_at(left, s.top), name);
      EXPECT_EQ(lit_at(right - 1, s.bottom - 1), name);
      EXPECT_EQ(lit_at(right - 1, s.bottom), "");
    }
  }
}

}  // namespace
}  // namespace zol
