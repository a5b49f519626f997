// The menu's layout and hover procedures, driven through the host's routing.

#include <gtest/gtest.h>

#include "menu/menu.h"
#include "tests/fake_platform.h"

namespace zol {
namespace {

using menu::entries;

PointerEvent move(int x, int y) { return {PointerEvent::Kind::Move, {x, y}, 0}; }

class HoverTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form.show();
    platform.presented_.clear();
  }
  std::vector<std::string> lit() const {
    std::vector<std::string> names;
    for (const auto& entry : entries())
      if (form.control(entry.highlight).visible) names.emplace_back(entry.highlight);
    return names;
  }
  FakePlatform platform;
  ZolForm form{platform, menu::layout(), menu::dispatch()};
};

TEST_F(HoverTest, AtLoadOnlyTheBackgroundShows) {
  EXPECT_TRUE(lit().empty());
  EXPECT_EQ(form.frame().pixels,
            decode_bmp(art::background.bytes, art::background.file, 640, 480).pixels);
}

TEST_F(HoverTest, EachHotZoneLiesDirectlyAboveItsHighlight) {
  const auto layout = menu::layout();
  auto index = [&](std::string_view name) {
    return std::find_if(layout.begin(), layout.end(), [&](auto& c) { return c.name == name; }) -
           layout.begin();
  };
  for (const auto& entry : entries()) {
    const auto zone = index(entry.hot_zone), highlight = index(entry.highlight);
    EXPECT_EQ(zone + 1, highlight) << entry.label;
    EXPECT_EQ(form.control(entry.hot_zone).rect, form.control(entry.highlight).rect);
    EXPECT_FALSE(form.control(entry.hot_zone).picture.has_value()) << entry.label;
    EXPECT_TRUE(form.control(entry.highlight).picture.has_value()) << entry.label;
  }
}

// From all unlit, one move: which highlight is lit after it.
TEST_F(HoverTest, MovesAtTheEdgesOfTheHotZones) {
  struct Case {
    int x;
    const char* lit;  // nullptr: the background took it
  };
  const Case cases[] = {
      {58, nullptr},  {59, "Image1"},  {177, "Image1"}, {178, nullptr},
      {192, nullptr}, {193, "Image3"}, {311, "Image3"}, {312, nullptr},
      {327, nullptr}, {328, "Image9"}, {446, "Image9"}, {447, nullptr},
      {463, nullptr}, {464, "Image7"}, {582, "Image7"}, {583, nullptr},
  };
  for (int y : {407, 408, 433, 434}) {
    for (const Case& c : cases) {
      form.pointer(move(5, 5));
      form.pointer(move(c.x, y));
      const bool inside = y >= 408 && y <= 433;
      const auto expected = inside && c.lit ? std::vector<std::string>{c.lit} : std::vector<std::string>{};
      EXPECT_EQ(lit(), expected) << "at " << c.x << "," << y;
    }
  }
}

TEST_F(HoverTest, AJumpBetweenHotZonesLeavesBothLitUntilTheBackground) {
  form.pointer(move(100, 420));
  form.pointer(move(250, 420));
  EXPECT_EQ(lit(), (std::vector<std::string>{"Image1", "Image3"}));
  form.pointer(move(100, 420));  // back over the lit one: still taken by its zone
  EXPECT_EQ(lit(), (std::vector<std::string>{"Image1", "Image3"}));
  form.pointer(move(185, 420));  // the gap
  EXPECT_TRUE(lit().empty());
}

TEST_F(HoverTest, ABackgroundMoveHidesAllFour) {
  for (int x : {100, 250, 400, 500}) form.pointer(move(x, 420));
  EXPECT_EQ(lit().size(), 4u);
  form.pointer(move(320, 100));
  EXPECT_TRUE(lit().empty());
}

TEST_F(HoverTest, LightingRepaintsOnlyTheButtonAndOnlyOnce) {
  const std::vector<uint32_t> unlit = form.frame().pixels;
  form.pointer(move(59, 408));
  form.pointer(move(120, 420));  // further moves inside change nothing
  form.idle();
  form.pointer(move(177, 433));
  form.idle();
  ASSERT_EQ(platform.presented_, (std::vector<std::vector<DeviceRect>>{{{59, 408, 119, 26}}}));

  const Image lit_picture = decode_bmp(art::lit_vollbildmodus.bytes, "", 119, 26);
  const DeviceRect button{59, 408, 119, 26};
  for (int y = 0; y < 480; ++y)
    for (int x = 0; x < 640; ++x) {
      const uint32_t shown = form.frame().pixels[y * 640 + x];
      const uint32_t want = button.contains({x, y}) ? lit_picture.at(x - 59, y - 408) : unlit[y * 640 + x];
      ASSERT_EQ(shown, want) << "at " << x << "," << y;
    }

  form.pointer(move(20, 420));
  form.idle();
  EXPECT_EQ(platform.presented_.back(), (std::vector<DeviceRect>{button}));
  EXPECT_EQ(form.frame().pixels, unlit);
}

}  // namespace
}  // namespace zol
