// The real menu worked from the keyboard under a window manager: it takes
// the focus when shown, keys light exactly each highlight, act and close;
// keys while another window has the focus do nothing; the failure message
// goes away at a key.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>
#include <string>
#include <vector>

#include "tests/e2e/fake_game.h"
#include "tests/e2e/menu_fixtures.h"
#include "tests/e2e/x_session.h"

namespace zol::e2e {
namespace {

namespace fs = std::filesystem;

constexpr int kLeft = (1024 - 640) / 2, kTop = (768 - 480) / 2;

class KeysTest : public ::testing::Test {
 protected:
  KeysTest() : x_(1024, 768, /*window_manager=*/true) {
    menu_dir_ = fs::path(dir_.path()) / "Spiel";
    fs::create_directories(menu_dir_);
    fs::copy_file(zol_binary(), menu_dir_ / "zol");
  }
  void start_menu() {
    zol_ = x_.start((menu_dir_ / "zol").string());
    window_ = x_.wait_for_window("Orvenna");
    ASSERT_NE(window_, 0u);
    ASSERT_TRUE(x_.wait_for_pixels(kLeft, kTop, background()));
    ASSERT_TRUE(x_.wait_for_focus(window_)) << "the menu did not take the focus";
  }
  void keys(const std::vector<std::string>& names) {
    for (const std::string& name : names) x_.xdotool({"key", name});
  }
  // Waits for exactly `lit` lit; says which key the picture was taken after.
  ::testing::AssertionResult shows_lit(size_t lit, const std::string& after) {
    const Image expected = with_highlight(menu_buttons().at(lit));
    x_.wait_for_pixels(kLeft, kTop, expected);
    return same_pixels(x_.grab_window(window_), expected, after);
  }

  TempDir dir_;
  FakeGameRecord record_{fs::path(dir_.path()) / "game.record"};
  XSession x_;
  fs::path menu_dir_;
  pid_t zol_ = -1;
  unsigned long window_ = 0;
};

TEST_F(KeysTest, EachKeyLightsExactlyTheHighlightItMovesTo) {
  ASSERT_NO_FATAL_FAILURE(start_menu());
  struct Step {
    const char* key;
    size_t lit;  // left to right
  };
  const Step steps[] = {
      {"Right", 0},  // from none: the leftmost
      {"Right", 1},    {"Tab", 2},  {"KP_Right", 3},
      {"Right", 3},  // the right end: no wrap-around
      {"Up", 3},       {"Down", 3},  // one row
      {"Left", 2},     {"shift+Tab", 1}, {"KP_Left", 0},
      {"Left", 0},     {"Right", 1},  // the left end held too
  };
  for (size_t i = 0; i < std::size(steps); ++i) {
    x_.xdotool({"key", steps[i].key});
    EXPECT_TRUE(shows_lit(steps[i].lit, std::to_string(i) + "-" + steps[i].key));
  }
}

TEST_F(KeysTest, APointerMoveAndAKeyShareTheCurrentEntry) {
  ASSERT_NO_FATAL_FAILURE(start_menu());
  const MenuButton& third = menu_buttons()[2];
  x_.move_pointer(kLeft + third.centre().x, kTop + third.centre().y);
  ASSERT_TRUE(shows_lit(2, "pointer"));
  x_.move_pointer(kLeft + 320, kTop + 20);  // over the title: nothing current
  ASSERT_TRUE(x_.wait_for_pixels(kLeft, kTop, background()));
  keys({"Left"});
  EXPECT_TRUE(shows_lit(0, "Left-after-the-title"));
}

// With no window manager nobody hands out the focus: the menu takes it.
TEST(KeysWithoutWindowManagerTest, TheMenuTakesTheFocusItself) {
  XSession x(1024, 768, /*window_manager=*/false);
  x.start(zol_binary());
  const unsigned long window = x.wait_for_window("Orvenna");
  ASSERT_NE(window, 0u);
  ASSERT_TRUE(x.wait_for_focus(window));
  x.xdotool({"key", "Right"});
  const Image expected = with_highlight(menu_buttons()[0]);
  x.wait_for_pixels(kLeft, kTop, expected);
  EXPECT_TRUE(same_pixels(x.grab_window(window), expected, "Right"));
}

struct StartCase {
  const char* name;
  std::vector<std::string> keys;
  std::vector<std::string> args;
};
void PrintTo(const StartCase& c, std::ostream* out) { *out << c.name; }

class KeyStartTest : public KeysTest, public ::testing::WithParamInterface<StartCase> {};

TEST_P(KeyStartTest, StartsTheGameOnceAndEnds) {
  const StartCase& c = GetParam();
  FakeGameRecord::install(menu_dir_ / "ZolMain.exe");
  ASSERT_NO_FATAL_FAILURE(start_menu());
  keys(c.keys);
  EXPECT_EQ(x_.wait_exit(zol_), std::optional<int>(0));
  ASSERT_TRUE(record_.wait_for_start().has_value()) << "the game did not start";
  usleep(100000);  // a second start would be detached too
  const std::vector<Start> starts = record_.starts();
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_EQ(starts[0].args, c.args);
}

INSTANTIATE_TEST_SUITE_P(
    Keys, KeyStartTest,
    ::testing::Values(StartCase{"ReturnOnTheSecond", {"Right", "Right", "Return"}, {"W"}},
                      StartCase{"KeypadEnterOnTheSecond", {"Tab", "Tab", "KP_Enter"}, {"W"}},
                      StartCase{"SpaceOnTheFirst", {"Right", "space"}, {}},
                      // the first Return only lights the leftmost
                      StartCase{"ReturnTwice", {"Return", "Return"}, {}}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(KeysTest, EscapeEndsWithNothingStarted) {
  FakeGameRecord::install(menu_dir_ / "ZolMain.exe");
  ASSERT_NO_FATAL_FAILURE(start_menu());
  keys({"Right", "Right", "Escape"});
  EXPECT_EQ(x_.wait_exit(zol_), std::optional<int>(0));
  usleep(100000);  // a start would be detached: give it the time to show
  EXPECT_TRUE(record_.starts().empty());
}

// The window manager's shortcut, not ours: it asks the menu to close.
TEST_F(KeysTest, AltF4StillClosesWithNothingStarted) {
  FakeGameRecord::install(menu_dir_ / "ZolMain.exe");
  ASSERT_NO_FATAL_FAILURE(start_menu());
  keys({"Right", "alt+F4"});
  EXPECT_EQ(x_.wait_exit(zol_), std::optional<int>(0));
  EXPECT_TRUE(record_.starts().empty());
}

TEST_F(KeysTest, KeysWhileAnotherWindowHasTheFocusDoNothing) {
  FakeGameRecord::install(menu_dir_ / "ZolMain.exe");
  ASSERT_NO_FATAL_FAILURE(start_menu());
  const unsigned long other = x_.open_window("Anderes Fenster");
  x_.xdotool({"windowactivate", "--sync", std::to_string(other)});
  ASSERT_TRUE(x_.wait_for_focus(other));
  keys({"Right", "Return", "Return", "Escape"});
  EXPECT_FALSE(x_.wait_exit(zol_, 0.3).has_value()) << "Escape reached the menu";
  EXPECT_TRUE(same_pixels(x_.grab_window(window_), background(), "unfocused"));
  EXPECT_TRUE(record_.starts().empty());

  // Back in front, the same keys reach it.
  x_.xdotool({"windowactivate", "--sync", std::to_string(window_)});
  ASSERT_TRUE(x_.wait_for_focus(window_));
  keys({"Right"});
  EXPECT_TRUE(shows_lit(0, "refocused"));
}

// No game beside the menu: Return on an entry brings up the message, which
// takes the focus; it goes at any key that acts or closes, not at others.
class MessageKeyTest : public KeysTest, public ::testing::WithParamInterface<const char*> {};

TEST_P(MessageKeyTest, DismissesTheFailureMessage) {
  ASSERT_NO_FATAL_FAILURE(start_menu());
  keys({"Right", "Return"});
  const unsigned long message = x_.wait_for_window("Zol");
  ASSERT_NE(message, 0u);
  ASSERT_TRUE(x_.wait_for_focus(message)) << "the message did not take the focus";
  keys({"Right", "Left", "Tab", "a"});
  EXPECT_FALSE(x_.wait_exit(zol_, 0.3).has_value()) << "dismissed by a key that moves";
  keys({GetParam()});
  EXPECT_EQ(x_.wait_exit(zol_), std::optional<int>(1));
}

INSTANTIATE_TEST_SUITE_P(Keys, MessageKeyTest,
                         ::testing::Values("Return", "KP_Enter", "space", "Escape"),
                         [](const auto& info) { return std::string(info.param); });

TEST_F(KeysTest, TheReturnThatBroughtUpTheMessageDoesNotDismissItWhileHeld) {
  ASSERT_NO_FATAL_FAILURE(start_menu());
  keys({"Right"});
  x_.xdotool({"keydown", "Return"});
  const unsigned long message = x_.wait_for_window("Zol");
  ASSERT_NE(message, 0u);
  ASSERT_TRUE(x_.wait_for_focus(message));
  usleep(1'200'000);  // past the server's repeat delay: repeats arrive
  EXPECT_FALSE(x_.wait_exit(zol_, 0).has_value()) << "dismissed by the held key's repeats";
  x_.xdotool({"keyup", "Return"});
  keys({"Return"});
  EXPECT_EQ(x_.wait_exit(zol_), std::optional<int>(1));
}

}  // namespace
}  // namespace zol::e2e
