#include "host/form.h"

#include <gtest/gtest.h>

#include "tests/fake_platform.h"
#include "tests/test_pictures.h"

namespace zol {
namespace {

// Procedures are plain functions, so they report to a recorder of the test.
std::vector<std::string> called;

template <const char* Name>
void record(ZolForm&) { called.push_back(Name); }

constexpr char kTopMove[] = "Top_MouseMove", kTopClick[] = "Top_Click",
               kPanelMove[] = "Panel_MouseMove", kFormMove[] = "Form_MouseMove",
               kFormClick[] = "Form_Click";

// Twips of whole pixels at 96 DPI.
constexpr TwipsRect px(int x, int y, int w, int h) { return {x * 15, y * 15, w * 15, h * 15}; }

const std::vector<uint8_t> red = test::solid_bmp(20, 10, 0xFF0000);
const std::vector<uint8_t> blue = test::solid_bmp(20, 10, 0x0000FF);
const std::vector<uint8_t> red_2x = test::solid_bmp(40, 20, 0xFF0000);
const std::vector<uint8_t> blue_2x = test::solid_bmp(40, 20, 0x0000FF);
const art::Asset red_picture{"red.bmp", red}, red_picture_2x{"2x/red.bmp", red_2x};
const art::Asset blue_picture{"blue.bmp", blue}, blue_picture_2x{"2x/blue.bmp", blue_2x};

// Top: a see-through zone over Panel, which lies over Lower; Hidden lies over
// everything but is hidden. Lower overlaps Panel by ten pixels.
const ControlSpec kLayout[] = {
    {"Hidden", px(0, 0, 640, 480), nullptr, nullptr, false},
    {"Top", px(100, 200, 20, 10), nullptr, nullptr, true},
    {"Panel", px(100, 200, 20, 10), &red_picture, &red_picture_2x, false},
    {"Lower", px(110, 200, 20, 10), &blue_picture, &blue_picture_2x, true},
};
const DispatchRow kDispatch[] = {
    {"Top", FormEvent::MouseMove, record<kTopMove>},
    {"Top", FormEvent::Click, record<kTopClick>},
    {"Panel", FormEvent::MouseMove, record<kPanelMove>},
    {kFormTarget, FormEvent::MouseMove, record<kFormMove>},
    {kFormTarget, FormEvent::Click, record<kFormClick>},
};

PointerEvent move(int x, int y) { return {PointerEvent::Kind::Move, {x, y}, 0}; }
PointerEvent press(int x, int y, int button = 1) { return {PointerEvent::Kind::Press, {x, y}, button}; }
PointerEvent release(int x, int y, int button = 1) {
  return {PointerEvent::Kind::Release, {x, y}, button};
}

class FormTest : public ::testing::Test {
 protected:
  void SetUp() override {
    called.clear();
    form.show();
    platform.calls_.clear();
    platform.presented_.clear();
  }
  uint32_t pixel(int x, int y) const { return form.frame().pixels[y * 640 + x]; }
  uint32_t background(int x, int y) const {
    return decode_bmp(art::background.bytes, "", 640, 480).at(x, y);
  }

  FakePlatform platform;
  ZolForm form{platform, kLayout, kDispatch};
};

TEST_F(FormTest, ShowComposesTheWholeFrameBeforeMapping) {
  FakePlatform fresh;
  ZolForm other(fresh, kLayout, kDispatch);
  other.show();
  EXPECT_EQ(fresh.calls_,
            (std::vector<std::string>{"screen", "create_window", "present", "show_window",
                                      "describe"}));
  EXPECT_EQ(fresh.presented_[0], (std::vector<DeviceRect>{{0, 0, 640, 480}}));
  EXPECT_EQ(fresh.window_.where, (DeviceRect{640, 300, 640, 480}));  // centred on 1920 x 1080
  EXPECT_EQ(fresh.window_.dpi, 96);
  EXPECT_EQ(fresh.window_.title, "Orvenna");
  EXPECT_EQ(fresh.icon_sizes_, (std::vector<int>{48, 32, 24, 16}));
}

TEST_F(FormTest, MovesRouteToTheTopmostVisibleControlAtItsEdges) {
  struct Case {
    int x, y;
    const char* expected;
  };
  const Case cases[] = {
      {100, 200, kTopMove},  {119, 200, kTopMove},  {100, 209, kTopMove},
      {99, 200, kFormMove},  {100, 199, kFormMove}, {100, 210, kFormMove},
      {130, 200, kFormMove}, {0, 0, kFormMove},     {639, 479, kFormMove},
      {120, 200, nullptr},  // Lower holds it and has no procedure: dropped
  };
  for (const Case& c : cases) {
    called.clear();
    form.pointer(move(c.x, c.y));
    EXPECT_EQ(called, c.expected ? std::vector<std::string>{c.expected} : std::vector<std::string>{})
        << "at " << c.x << "," << c.y;
  }
}

TEST_F(FormTest, AnEventIsNeverPassedToALowerControl) {
  form.set_visible("Top", false);
  form.set_visible("Panel", true);
  form.pointer(move(105, 205));
  EXPECT_EQ(called, (std::vector<std::string>{kPanelMove}));
  called.clear();
  form.pointer(move(125, 205));  // Lower holds it and has no procedure
  EXPECT_TRUE(called.empty());
}

TEST_F(FormTest, MovesOutsideTheClientAreaReachNothing) {
  for (auto [x, y] : {std::pair{-1, 5}, {640, 5}, {5, -1}, {5, 480}}) form.pointer(move(x, y));
  EXPECT_TRUE(called.empty());
}

TEST_F(FormTest, ClickIsPressAndReleaseOfThePrimaryButtonOnOneTarget) {
  struct Case {
    PointerEvent down, up;
    std::vector<std::string> expected;
  };
  const Case cases[] = {
      {press(105, 205), release(115, 209), {kTopClick}},
      {press(5, 5), release(600, 400), {kFormClick}},
      {press(105, 205), release(5, 5), {}},         // left the target
      {press(5, 5), release(105, 205), {}},         // arrived on it
      {press(105, 205, 3), release(105, 205, 3), {}},  // not the primary button
      {press(105, 205), release(105, 480), {}},     // released outside the window
  };
  for (const Case& c : cases) {
    called.clear();
    form.pointer(c.down);
    form.pointer(c.up);
    EXPECT_EQ(called, c.expected) << "press at " << c.down.at.x << "," << c.down.at.y;
  }
}

TEST_F(FormTest, PicturesAreComposedBottomToTop) {
  EXPECT_EQ(pixel(112, 205), 0x0000FFu);  // Lower shows where Panel is hidden
  form.set_visible("Panel", true);
  form.idle();
  EXPECT_EQ(pixel(105, 205), 0xFF0000u);
  EXPECT_EQ(pixel(115, 205), 0xFF0000u);  // Panel lies over Lower
  EXPECT_EQ(pixel(125, 205), 0x0000FFu);
  EXPECT_EQ(pixel(99, 205), background(99, 205));
}

TEST_F(FormTest, AVisibilityChangeRepaintsExactlyThatRectangle) {
  form.set_visible("Panel", true);
  form.set_visible("Panel", true);
  form.idle();
  ASSERT_EQ(platform.presented_.size(), 1u);
  EXPECT_EQ(platform.presented_[0], (std::vector<DeviceRect>{{100, 200, 20, 10}}));

  form.set_visible("Panel", false);
  form.idle();
  EXPECT_EQ(platform.presented_.back(), (std::vector<DeviceRect>{{100, 200, 20, 10}}));
  for (int x = 100; x < 110; ++x) EXPECT_EQ(pixel(x, 205), background(x, 205));
  EXPECT_EQ(pixel(115, 205), 0x0000FFu);  // Lower again beneath

  form.set_visible("Panel", false);  // already hidden: nothing to paint
  form.idle();
  EXPECT_EQ(platform.presented_.size(), 2u);
}

TEST_F(FormTest, CloseRequestUnloadsAndNothingReachesAProcedureAfter) {
  form.close_requested();
  EXPECT_FALSE(form.running());
  EXPECT_EQ(platform.calls_, (std::vector<std::string>{"destroy_window"}));
  form.pointer(move(105, 205));
  form.pointer(press(105, 205));
  form.pointer(release(105, 205));
  form.set_visible("Panel", true);
  form.idle();
  form.close_requested();
  EXPECT_TRUE(called.empty());
  EXPECT_EQ(platform.calls_, (std::vector<std::string>{"destroy_window"}));
}

TEST(FormLoadTest, RejectsTablesThatCanNotHold) {
  FakePlatform platform;
  // A picture must lie on whole pixels of its artwork; a bare zone may lie anywhere.
  const ControlSpec half_pixel[] = {{"Odd", {7, 0, 300, 150}, &red_picture, &red_picture_2x, true}};
  EXPECT_THROW(ZolForm(platform, half_pixel, {}), std::logic_error);
  const ControlSpec bare_zone[] = {{"Zone", {7, 0, 13, 8}, nullptr, nullptr, true}};
  EXPECT_NO_THROW(ZolForm(platform, bare_zone, {}));
  const ControlSpec outside[] = {{"Out", px(630, 0, 20, 10), &red_picture, &red_picture_2x, true}};
  EXPECT_THROW(ZolForm(platform, outside, {}), std::logic_error);
  const DispatchRow unknown[] = {{"Nobody", FormEvent::Click, record<kTopClick>}};
  EXPECT_THROW(ZolForm(platform, kLayout, unknown), std::logic_error);
  const ControlSpec wrong_size[] = {{"Big", px(0, 0, 21, 10), &red_picture, &red_picture_2x, true}};
  try {
    ZolForm form(platform, wrong_size, {});
    FAIL() << "a picture of the wrong size was accepted";
  } catch (const ImageError& e) {
    EXPECT_STREQ(e.what(), "red.bmp: size is 20 x 10, must be 21 x 10");
  }
  EXPECT_TRUE(platform.calls_.empty());  // loading runs nothing on the platform
}

}  // namespace
}  // namespace zol
