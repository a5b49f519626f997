// The menu's clicks, through the host's routing, against a recording platform.

#include <gtest/gtest.h>

#include "menu/menu.h"
#include "menu/website.h"
#include "tests/fake_platform.h"

namespace zol {
namespace {

void click(ZolForm& form, int x, int y) {
  form.pointer({PointerEvent::Kind::Press, {x, y}, 1});
  form.pointer({PointerEvent::Kind::Release, {x, y}, 1});
}

class ActionsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    form.show();
    platform.calls_.clear();
  }
  FakePlatform platform;
  ZolForm form{platform, menu::layout(), menu::dispatch()};
};

TEST_F(ActionsTest, EachButtonMakesExactlyItsRequestThenUnloads) {
  struct Case {
    int x;
    std::vector<std::string> calls;
  };
  const Case cases[] = {
      {100, {"start_program ZolMain.exe minimised-with-focus", "destroy_window"}},
      {250, {"start_program ZolMain.exe W minimised-with-focus", "destroy_window"}},
      {400, {"open_address open " + std::string(menu::kWebsite) + " normal", "destroy_window"}},
      {500, {"destroy_window"}},
  };
  for (const Case& c : cases) {
    FakePlatform fresh;
    ZolForm menu(fresh, menu::layout(), menu::dispatch());
    menu.show();
    fresh.calls_.clear();
    click(menu, c.x, 420);
    EXPECT_EQ(fresh.calls_, c.calls) << "button at x = " << c.x;
    EXPECT_FALSE(menu.running());
  }
}

TEST_F(ActionsTest, AFailedStartLeavesTheFormLoadedAndThrowsToTheEntry) {
  platform.start_failure_ = "\"ZolMain.exe\" konnte nicht gestartet werden: fehlt.";
  for (int x : {100, 250}) {
    EXPECT_THROW(click(form, x, 420), PlatformError);
    EXPECT_TRUE(form.running());
  }
  EXPECT_EQ(platform.calls_, (std::vector<std::string>{"start_program ZolMain.exe minimised-with-focus",
                                                       "start_program ZolMain.exe W minimised-with-focus"}));
}

TEST_F(ActionsTest, ClicksOnTheBackgroundAndTheGapsDoNothing) {
  for (int x : {58, 178, 185, 192, 312, 327, 447, 463, 583, 320}) click(form, x, 420);
  click(form, 100, 407);
  click(form, 100, 434);
  EXPECT_TRUE(platform.calls_.empty());
  EXPECT_TRUE(form.running());
}

TEST_F(ActionsTest, TheSecondClickOfADoubleClickReachesNothing) {
  click(form, 100, 420);
  click(form, 100, 420);
  EXPECT_EQ(platform.calls_, (std::vector<std::string>{"start_program ZolMain.exe minimised-with-focus",
                                                       "destroy_window"}));
}

}  // namespace
}  // namespace zol
