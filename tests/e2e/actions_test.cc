// The real menu's buttons, with the binary copied beside a stand-in game
// that records how it was started.

#include <gtest/gtest.h>
#include <unistd.h>

#include <filesystem>

#include "art/art.h"
#include "menu/website.h"
#include "tests/e2e/fake_game.h"
#include "tests/e2e/menu_fixtures.h"
#include "tests/e2e/x_session.h"

namespace zol::e2e {
namespace {

namespace fs = std::filesystem;

constexpr int kLeft = (1024 - 640) / 2, kTop = (768 - 480) / 2;
constexpr int kFullScreen = 100, kWindowed = 250, kWebsite = 400, kQuit = 500;

class ActionsE2ETest : public ::testing::Test {
 protected:
  ActionsE2ETest() : x_(1024, 768, /*window_manager=*/true) {
    menu_dir_ = fs::path(dir_.path()) / "Spiele Ordner ÄÖÜ";
    fs::create_directories(menu_dir_);
    fs::copy_file(zol_binary(), menu_dir_ / "zol");
  }
  void start_menu(const std::string& cwd = "", const std::string& path = "") {
    zol_ = x_.start((menu_dir_ / "zol").string(), {}, cwd, path);
    ASSERT_NE(x_.wait_for_window("Orvenna"), 0u);
    ASSERT_TRUE(x_.wait_for_pixels(kLeft, kTop, background()));
  }
  void click_button(int x) { x_.click(kLeft + x, kTop + 420); }

  TempDir dir_;
  FakeGameRecord record_{fs::path(dir_.path()) / "game.record"};
  XSession x_;
  fs::path menu_dir_;
  pid_t zol_ = -1;
};

struct StartCase {
  const char* name;
  int x;
  std::vector<std::string> args;
};
void PrintTo(const StartCase& c, std::ostream* out) { *out << c.name; }

class StartButtonTest : public ActionsE2ETest, public ::testing::WithParamInterface<StartCase> {};

TEST_P(StartButtonTest, StartsTheGameBesideTheMenuAndEnds) {
  const StartCase& c = GetParam();
  FakeGameRecord::install(menu_dir_ / "ZolMain.exe");
  ASSERT_NO_FATAL_FAILURE(start_menu(dir_.path()));
  click_button(c.x);
  EXPECT_EQ(x_.wait_exit(zol_), std::optional<int>(0));
  const std::optional<Start> game = record_.wait_for_start();
  ASSERT_TRUE(game.has_value()) << "the game did not start";
  EXPECT_EQ(game->program, "ZolMain.exe");
  EXPECT_EQ(game->args, c.args);
  EXPECT_EQ(game->cwd, menu_dir_.string());
  // The menu ignores SIGPIPE; the game must not inherit that. Signals 32
  // and 33 are the C library's own, which it leaves ignored across a spawn.
  const uint64_t libc_own = 3ull << 31;
  EXPECT_EQ(std::stoull(game->ignored, nullptr, 16) & ~libc_own, 0u) << game->ignored;
  EXPECT_EQ(game->blocked, "0000000000000000");
}

INSTANTIATE_TEST_SUITE_P(Buttons, StartButtonTest,
                         ::testing::Values(StartCase{"FullScreen", kFullScreen, {}},
                                           StartCase{"Windowed", kWindowed, {"W"}}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST_F(ActionsE2ETest, TheWebsiteButtonHandsTheAddressToTheDesktop) {
  const fs::path bin = fs::path(dir_.path()) / "bin";
  fs::create_directories(bin);
  FakeGameRecord::install(bin / "xdg-open");
  ASSERT_NO_FATAL_FAILURE(start_menu("", bin.string()));
  click_button(kWebsite);
  EXPECT_EQ(x_.wait_exit(zol_), std::optional<int>(0));
  const std::optional<Start> browser = record_.wait_for_start();
  ASSERT_TRUE(browser.has_value()) << "xdg-open did not start";
  EXPECT_EQ(browser->args, std::vector<std::string>{menu::kWebsite});
}

TEST_F(ActionsE2ETest, TheWebsiteButtonWithNoHandlerStillCloses) {
  ASSERT_NO_FATAL_FAILURE(start_menu("", dir_.path()));  // a PATH with no xdg-open on it
  click_button(kWebsite);
  EXPECT_EQ(x_.wait_exit(zol_), std::optional<int>(0));
}

TEST_F(ActionsE2ETest, QuitStartsNothingAndEnds) {
  FakeGameRecord::install(menu_dir_ / "ZolMain.exe");
  ASSERT_NO_FATAL_FAILURE(start_menu());
  click_button(kQuit);
  EXPECT_EQ(x_.wait_exit(zol_), std::optional<int>(0));
  usleep(100000);  // a start would be detached: give it the time to show
  EXPECT_TRUE(record_.starts().empty());
}

TEST_F(ActionsE2ETest, ADoubleClickStartsTheGameOnce) {
  FakeGameRecord::install(menu_dir_ / "ZolMain.exe");
  ASSERT_NO_FATAL_FAILURE(start_menu());
  x_.move_pointer(kLeft + kFullScreen, kTop + 420);
  x_.xdotool({"click", "--repeat", "2", "--delay", "30", "1"});
  EXPECT_EQ(x_.wait_exit(zol_), std::optional<int>(0));
  ASSERT_TRUE(record_.wait_for_start().has_value()) << "the game did not start";
  usleep(100000);  // a second start would be detached too
  const std::vector<Start> starts = record_.starts();
  ASSERT_EQ(starts.size(), 1u);
  EXPECT_EQ(starts[0].args, std::vector<std::string>{});
  EXPECT_EQ(starts[0].cwd, menu_dir_.string());
}

// No game beside the menu: the one failure message, in front of the still
// painted menu, which takes no pointer events; dismissing it ends with 1.
struct UnstartableCase {
  const char* name;
  bool present, runnable;
  const char* reason;
};
void PrintTo(const UnstartableCase& c, std::ostream* out) { *out << c.name; }

class UnstartableGameTest : public ActionsE2ETest,
                            public ::testing::WithParamInterface<UnstartableCase> {};

TEST_P(UnstartableGameTest, GivesOneMessageThenTheEnd) {
  const UnstartableCase& c = GetParam();
  if (c.present) FakeGameRecord::install(menu_dir_ / "ZolMain.exe", c.runnable);
  // Planted where a search would look: the working directory and PATH.
  const fs::path planted = fs::path(dir_.path()) / "planted";
  fs::create_directories(planted);
  FakeGameRecord::install(planted / "ZolMain.exe");
  ASSERT_NO_FATAL_FAILURE(start_menu(planted.string(), planted.string()));
  click_button(kFullScreen);
  const unsigned long message = x_.wait_for_window("Zol");
  ASSERT_NE(message, 0u);
  EXPECT_NE(x_.stderr_of(zol_).find(c.reason), std::string::npos) << x_.stderr_of(zol_);

  x_.move_pointer(kLeft + kWindowed, kTop + 420);  // would light a button
  x_.click(kLeft + kQuit, kTop + 420);             // would quit
  EXPECT_FALSE(x_.wait_exit(zol_, 0.3).has_value()) << "ended before dismissal";
  // Its bottom rows, where a light would show: only the clicked one is lit.
  Image buttons = with_highlight(menu_buttons()[0]);
  buttons.pixels.erase(buttons.pixels.begin(), buttons.pixels.begin() + 380 * 640);
  buttons.height = 100;
  EXPECT_TRUE(same_pixels(x_.grab(kLeft, kTop + 380, 640, 100), buttons, "menu-behind-message"));

  x_.xdotool({"windowactivate", "--sync", std::to_string(message)});
  x_.xdotool({"key", "Return"});
  EXPECT_EQ(x_.wait_exit(zol_), std::optional<int>(1));
  EXPECT_TRUE(record_.starts().empty()) << "something was started";
}

INSTANTIATE_TEST_SUITE_P(Games, UnstartableGameTest,
                         ::testing::Values(UnstartableCase{"Missing", false, false, "nicht gefunden"},
                                           UnstartableCase{"NoRunBit", true, false, "nicht ausführbar"}),
                         [](const auto& info) { return std::string(info.param.name); });

}  // namespace
}  // namespace zol::e2e
