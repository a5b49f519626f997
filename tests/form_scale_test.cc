// The menu drawn at other DPIs: its pictures at the device size, and a DPI
// change while it is open.

#include <gtest/gtest.h>

#include <climits>

#include "host/resample.h"
#include "host/scale.h"
#include "menu/menu.h"
#include "tests/fake_platform.h"

namespace zol {
namespace {

PointerEvent move(int x, int y) { return {PointerEvent::Kind::Move, {x, y}, 0}; }

constexpr DeviceRect kUhd{0, 0, 3840, 2160};

// A build without art/2x/: the menu scales the 1x set.
Scene once_only() { return {built_in_scene().once, {}}; }

// The scenes of this build: with its 2x set, when it has one, and without.
std::vector<Scene> scenes() {
  if (!art::has_2x()) return {built_in_scene()};
  return {built_in_scene(), once_only()};
}

const char* set_name(const Scene& scene) { return scene.has_2x() ? "2x set" : "1x set"; }

// The art set the menu scales from, decoded here.
struct SourceArt {
  int scale = art::has_2x() ? 2 : 1;
  Image background = scale == 2 ? decode_bmp(art::background_2x.bytes, "", 1280, 960)
                                : decode_bmp(art::background.bytes, "", 640, 480);
  Image lit(const ControlSpec& c) const {
    const art::Asset& a = scale == 2 ? *c.picture_2x : *c.picture;
    return decode_bmp(a.bytes, a.file, c.rect.w / 15 * scale, c.rect.h / 15 * scale);
  }
};

const ControlSpec& spec(std::string_view name) {
  for (const ControlSpec& c : menu::layout())
    if (c.name == name) return c;
  throw std::logic_error("no control " + std::string(name));
}

class FormScaleTest : public ::testing::Test {
 protected:
  void show_at(int dpi) {
    platform.screen_ = {dpi, kUhd};
    form.show();
    ASSERT_EQ(form.dpi(), dpi);
  }
  uint32_t pixel(int x, int y) const { return form.frame().pixels[y * form.frame().width + x]; }

  FakePlatform platform;
  ZolForm form{platform, menu::layout(), menu::dispatch()};
};

TEST_F(FormScaleTest, TheWindowIsTheClientAreaAtTheDpiCentredOnTheMonitor) {
  show_at(144);
  EXPECT_EQ(platform.window_.where, (DeviceRect{1440, 720, 960, 720}));
  EXPECT_EQ(platform.window_.dpi, 144);
  EXPECT_EQ(form.frame().width, 960);
  EXPECT_EQ(form.frame().height, 720);
  EXPECT_EQ(platform.presented_[0], (std::vector<DeviceRect>{{0, 0, 960, 720}}));
}

// At 192 DPI the window shows the 2x set as it is, or the 1x set with each
// pixel doubled when the build has no 2x set.
TEST(FormScenesTest, AtTwiceTheDpiThePicturesAreExact) {
  for (const Scene& scene : scenes()) {
    FakePlatform platform;
    platform.screen_ = {192, kUhd};
    ZolForm form(platform, menu::layout(), menu::dispatch(), scene);
    form.show();
    const SourceArt art{scene.has_2x() ? 2 : 1};
    const int repeat = 2 / art.scale;
    const std::vector<uint32_t>& shown = form.frame().pixels;
    for (int y = 0; y < 960; ++y)
      for (int x = 0; x < 1280; ++x)
        ASSERT_EQ(shown[y * 1280 + x], art.background.at(x / repeat, y / repeat))
            << set_name(scene) << " at " << x << "," << y;
    for (const auto& entry : menu::entries()) {
      const ImageControl& c = form.control(entry.highlight);
      const Image lit = art.lit(spec(entry.highlight));
      for (int y = 0; y < c.rect.h; ++y)
        for (int x = 0; x < c.rect.w; ++x)
          ASSERT_EQ(c.picture->at(x, y), lit.at(x / repeat, y / repeat))
              << set_name(scene) << ", " << entry.label;
    }
  }
}

// Between the steps the background is the larger set's, area-averaged.
TEST(FormScenesTest, BetweenTheStepsTheBackgroundIsTheLargerSetAveraged) {
  for (const Scene& scene : scenes())
    for (int dpi : {120, 144, 168}) {
      FakePlatform platform;
      platform.screen_ = {dpi, kUhd};
      ZolForm form(platform, menu::layout(), menu::dispatch(), scene);
      form.show();
      const Image source = SourceArt{scene.has_2x() ? 2 : 1}.background;
      const DeviceSize size{form.frame().width, form.frame().height};
      const Image expected = area_average(
          [&](int x, int y, int n, uint32_t* out) {
            std::copy_n(&source.pixels[static_cast<size_t>(y) * source.width + x], n, out);
          },
          {source.width, source.height}, size, {0, 0, size.w, size.h});
      EXPECT_EQ(form.frame().pixels, expected.pixels) << set_name(scene) << " at " << dpi;
    }
}

// A lit picture is the lit button pasted into the source background and
// averaged over the control's device pixels: wherever a device pixel covers
// no source pixel of the face, lit and unlit show the same.
TEST(FormScenesTest, LitAndUnlitAgreeOutsideTheFace) {
  for (const Scene& scene : scenes()) {
    for (int dpi : {120, 144, 168}) {
      FakePlatform fresh;
      fresh.screen_ = {dpi, {0, 0, 3840, 2160}};
      ZolForm menu(fresh, menu::layout(), menu::dispatch(), scene);
      menu.show();
      const SourceArt art{scene.has_2x() ? 2 : 1};
      const int w = menu.frame().width, src_w = art.background.width;
      for (const auto& entry : menu::entries()) {
        const ControlSpec& s = spec(entry.highlight);
        const Image lit = art.lit(s);
        const int ax = s.rect.x / 15 * art.scale, ay = s.rect.y / 15 * art.scale;
        const ImageControl& c = menu.control(entry.highlight);
        int differ = 0;
        for (int y = 0; y < c.rect.h; ++y)
          for (int x = 0; x < c.rect.w; ++x) {
            const int dx = c.rect.x + x, dy = c.rect.y + y;
            bool face = false;  // the source pixels it covers, any lit one unlike the background
            for (int sy = dy * src_w / w; sy * w < (dy + 1) * src_w; ++sy)
              for (int sx = dx * src_w / w; sx * w < (dx + 1) * src_w; ++sx) {
                const bool inside = sx >= ax && sx < ax + lit.width && sy >= ay && sy < ay + lit.height;
                face |= inside && lit.at(sx - ax, sy - ay) != art.background.at(sx, sy);
              }
            const uint32_t unlit = menu.frame().pixels[dy * w + dx];
            if (!face) {
              ASSERT_EQ(c.picture->at(x, y), unlit)
                  << set_name(scene) << ", " << dpi << " DPI, " << entry.label << " at " << x << "," << y;
            }
            differ += c.picture->at(x, y) != unlit;
          }
        EXPECT_GT(differ, 0) << set_name(scene) << ", " << dpi << " DPI " << entry.label << " shows no face";
      }
    }
  }
}

// Once the pictures are made at the device size, the built-in art goes back
// to the system, the background piece by piece as it is read so that it
// never lies in memory whole. Nothing else may go: memory that is not the
// executable's own data would come back zeroed.
TEST(FormArtTest, HandsBackTheArtOnceReadAndNothingElse) {
  std::vector<std::span<const uint8_t>> art{art::background.bytes, art::background_2x.bytes};
  for (const ControlSpec& c : menu::layout())
    if (c.picture) art.insert(art.end(), {c.picture->bytes, c.picture_2x->bytes});
  std::erase_if(art, [](auto bytes) { return bytes.empty(); });
  auto inside = [](std::span<const uint8_t> part, std::span<const uint8_t> whole) {
    return part.data() >= whole.data() && part.data() + part.size() <= whole.data() + whole.size();
  };
  for (int dpi : {96, 144, 192}) {
    FakePlatform platform;
    platform.screen_ = {dpi, kUhd};
    ZolForm form(platform, menu::layout(), menu::dispatch());
    platform.released_.clear();
    form.show();
    const std::span<const uint8_t> background =
        art::has_2x() && dpi != 96 ? art::background_2x.bytes : art::background.bytes;
    int pieces = 0;
    for (const auto part : platform.released_) {
      EXPECT_TRUE(std::any_of(art.begin(), art.end(), [&](auto whole) { return inside(part, whole); }))
          << dpi << " DPI: released bytes that are no picture's";
      pieces += inside(part, background) && part.size() < background.size() / 4;
    }
    for (const auto whole : art)
      EXPECT_TRUE(std::any_of(platform.released_.begin(), platform.released_.end(),
                              [&](auto part) { return part.data() == whole.data() && part.size() == whole.size(); }))
          << dpi << " DPI: a picture kept";
    EXPECT_GT(pieces, 4) << dpi << " DPI: the background went back whole, not as it was read";
  }
}

TEST_F(FormScaleTest, ADpiChangeRebuildsTheFrameAtTheNewSize) {
  show_at(96);
  form.pointer(move(100, 420));  // lights the first button
  form.idle();
  platform.calls_.clear();
  platform.presented_.clear();

  form.dpi_changed({144, kUhd}, {100, 50, 900, 700});
  EXPECT_EQ(platform.calls_, (std::vector<std::string>{"place_window", "present"}));
  EXPECT_EQ(platform.placed_, (std::vector<DeviceRect>{{100, 50, 960, 720}}));
  EXPECT_EQ(platform.presented_[0], (std::vector<DeviceRect>{{0, 0, 960, 720}}));
  EXPECT_EQ(form.dpi(), 144);
  EXPECT_EQ(form.frame().width, 960);
  EXPECT_EQ(form.frame().pixels.size(), 960u * 720);
  // Still lit, at its new place; the pointer now routes by the new geometry.
  const ImageControl& lit = form.control("Image1");
  EXPECT_EQ(lit.rect, (DeviceRect{88, 612, 179, 39}));
  EXPECT_EQ(pixel(88, 630), lit.picture->at(0, 18));
  form.pointer(move(87, 630));
  EXPECT_FALSE(lit.visible);
  form.pointer(move(88, 630));
  EXPECT_TRUE(lit.visible);

  form.dpi_changed({96, kUhd}, {0, 0, 640, 480});  // and back: today's pixels again
  form.pointer(move(5, 5));
  form.idle();
  EXPECT_EQ(form.frame().pixels, decode_bmp(art::background.bytes, "", 640, 480).pixels);
}

// The rule of the start: the range, the step, then down to fit the monitor
// of the suggested place; the window lies on that monitor. The size the
// system is told beforehand is the one the change makes.
TEST_F(FormScaleTest, ADpiChangeTakesTheStepThatFitsTheMonitorAndLiesOnIt) {
  show_at(96);
  const DeviceRect full_hd{0, 0, 1920, 1080};
  struct Case {
    const char* what;
    Screen screen;
    DeviceRect suggested, placed;
  };
  const Case cases[] = {
      {"96", {96, kUhd}, {0, 0, 1, 1}, {0, 0, 640, 480}},
      {"100 rounds down", {100, kUhd}, {0, 0, 1, 1}, {0, 0, 640, 480}},
      {"150 rounds up", {150, kUhd}, {10, 20, 1, 1}, {10, 20, 960, 720}},
      {"288", {288, kUhd}, {0, 0, 1, 1}, {0, 0, 1920, 1440}},
      {"a 1280 x 800 laptop switched to 175 %", {168, {0, 0, 1280, 800}}, {160, 40, 1120, 840},
       {160, 40, 960, 720}},
      {"a stray 4000", {4000, full_hd}, {0, 0, 26720, 20040}, {0, 0, 640, 480}},
      {"garbage near INT_MAX", {INT_MAX - 5, full_hd}, {0, 0, 1, 1}, {0, 0, 640, 480}},
      {"negative", {-192, full_hd}, {0, 0, 1, 1}, {0, 0, 640, 480}},
      {"onto a monitor to the right", {192, {1920, 0, 3840, 2160}}, {2000, 100, 1280, 960},
       {2000, 100, 1280, 960}},
      {"suggested past the bottom right", {144, full_hd}, {1500, 600, 960, 720},
       {960, 360, 960, 720}},
      {"suggested past the top left", {144, {-1920, -40, 1920, 1080}}, {-2000, -50, 960, 720},
       {-1920, -40, 960, 720}},
  };
  for (const Case& c : cases) {
    EXPECT_EQ(form.window_size_at(c.screen), c.placed.size()) << c.what;
    form.dpi_changed(c.screen, c.suggested);
    EXPECT_EQ(platform.placed_.back(), c.placed) << c.what;
    EXPECT_EQ(form.frame().width, c.placed.w) << c.what;
  }
}

TEST_F(FormScaleTest, NoDpiChangeReachesAnUnloadedForm) {
  show_at(96);
  form.unload();
  platform.calls_.clear();
  form.dpi_changed({192, kUhd}, {0, 0, 1280, 960});
  EXPECT_TRUE(platform.calls_.empty());
}

}  // namespace
}  // namespace zol
