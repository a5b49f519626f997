// The real menu's buttons, with the binary copied beside a fake game that
// records how it was started.

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <filesystem>
#include <fstream>
#include <sstream>

#include "art/art.h"
#include "menu/website.h"
#include "tests/e2e/menu_fixtures.h"
#include "tests/e2e/x_session.h"

namespace zol::e2e {
namespace {

namespace fs = std::filesystem;

constexpr int kLeft = (1024 - 640) / 2, kTop = (768 - 480) / 2;
constexpr int kFullScreen = 100, kWindowed = 250, kWebsite = 400, kQuit = 500;

// A program that appends its arguments and working directory to `record`.
void write_recorder(const fs::path& file, const fs::path& record, bool runnable = true) {
  std::ofstream(file) << "#!/bin/sh\n"
                      << "{ echo \"args=$#\"; for a in \"$@\"; do echo \"arg=$a\"; done; "
                      << "echo \"cwd=$(pwd)\"; } >> '" << record.string() << "'\n";
  fs::permissions(file, runnable ? fs::perms::owner_all : fs::perms::owner_read | fs::perms::owner_write);
}

class ActionsE2ETest : public ::testing::Test {
 protected:
  ActionsE2ETest() : x_(1024, 768, /*window_manager=*/true) {
    menu_dir_ = fs::path(dir_.path()) / "Spiele Ordner ÄÖÜ";
    fs::create_directories(menu_dir_);
    fs::copy_file(zol_binary(), menu_dir_ / "zol");
    record_ = fs::path(dir_.path()) / "game.record";
  }
  void start_menu(const std::string& cwd = "", const std::string& path = "") {
    zol_ = x_.start((menu_dir_ / "zol").string(), {}, cwd, path);
    ASSERT_NE(x_.wait_for_window("Orvenna"), 0u);
    ASSERT_TRUE(x_.wait_for_pixels(kLeft, kTop, background()));
  }
  void click_button(int x) { x_.click(kLeft + x, kTop + 420); }
  // The game runs detached: wait (bounded) for its record.
  std::string game_record() {
    for (int i = 0; i < 400 && !fs::exists(record_); ++i) usleep(5000);
    usleep(20000);
    return fs::exists(record_) ? read_file(record_) : "";
  }

  TempDir dir_;
  XSession x_;
  fs::path menu_dir_, record_;
  pid_t zol_ = -1;
};

TEST_F(ActionsE2ETest, TheStartButtonsStartTheGameBesideTheMenuAndEnd) {
  struct Case {
    int x;
    std::string expected;
  };
  const Case cases[] = {
      {kFullScreen, "args=0\n"},
      {kWindowed, "args=1\narg=W\n"},
  };
  for (const Case& c : cases) {
    fs::remove(record_);
    write_recorder(menu_dir_ / "ZolMain.exe", record_);
    start_menu(dir_.path());
    click_button(c.x);
    EXPECT_EQ(x_.wait_exit(zol_), std::optional<int>(0));
    EXPECT_EQ(game_record(), c.expected + "cwd=" + menu_dir_.string() + "\n");
  }
}

TEST_F(ActionsE2ETest, TheWebsiteButtonHandsTheAddressToTheDesktop) {
  const fs::path bin = fs::path(dir_.path()) / "bin";
  fs::create_directories(bin);
  write_recorder(bin / "xdg-open", record_);
  start_menu("", bin.string());
  click_button(kWebsite);
  EXPECT_EQ(x_.wait_exit(zol_), std::optional<int>(0));
  EXPECT_EQ(game_record().substr(0, game_record().find("cwd=")),
            "args=1\narg=" + std::string(menu::kWebsite) + "\n");
}

TEST_F(ActionsE2ETest, TheWebsiteButtonWithNoHandlerStillCloses) {
  start_menu("", dir_.path());  // a PATH with no xdg-open on it
  click_button(kWebsite);
  EXPECT_EQ(x_.wait_exit(zol_), std::optional<int>(0));
}

TEST_F(ActionsE2ETest, QuitStartsNothingAndEnds) {
  write_recorder(menu_dir_ / "ZolMain.exe", record_);
  start_menu();
  click_button(kQuit);
  EXPECT_EQ(x_.wait_exit(zol_), std::optional<int>(0));
  usleep(100000);
  EXPECT_FALSE(fs::exists(record_));
}

TEST_F(ActionsE2ETest, ADoubleClickStartsTheGameOnce) {
  write_recorder(menu_dir_ / "ZolMain.exe", record_);
  start_menu();
  x_.move_pointer(kLeft + kFullScreen, kTop + 420);
  x_.xdotool({"click", "--repeat", "2", "--delay", "30", "1"});
  EXPECT_EQ(x_.wait_exit(zol_), std::optional<int>(0));
  EXPECT_EQ(game_record(), "args=0\ncwd=" + menu_dir_.string() + "\n");
}

// No game beside the menu: the one failure message, in front of the still
// painted menu, which takes no pointer events; dismissing it ends with 1.
TEST_F(ActionsE2ETest, AGameThatCanNotStartGivesOneMessageThenTheEnd) {
  struct Case {
    const char* name;
    bool present, runnable;
    const char* reason;
  };
  const Case cases[] = {
      {"missing", false, false, "nicht gefunden"},
      {"no run bit", true, false, "nicht ausführbar"},
  };
  for (const Case& c : cases) {
    fs::remove(menu_dir_ / "ZolMain.exe");
    if (c.present) write_recorder(menu_dir_ / "ZolMain.exe", record_, c.runnable);
    // Planted where a search would look: the working directory and PATH.
    const fs::path planted = fs::path(dir_.path()) / "planted";
    fs::create_directories(planted);
    write_recorder(planted / "ZolMain.exe", record_);
    start_menu(planted.string(), planted.string());
    click_button(kFullScreen);
    const unsigned long message = x_.wait_for_window("Zol");
    ASSERT_NE(message, 0u) << c.name;
    EXPECT_NE(x_.stderr_of(zol_).find(c.reason), std::string::npos) << x_.stderr_of(zol_);

    x_.move_pointer(kLeft + kWindowed, kTop + 420);  // would light a button
    x_.click(kLeft + kQuit, kTop + 420);             // would quit
    EXPECT_FALSE(x_.wait_exit(zol_, 0.3).has_value()) << c.name << ": ended before dismissal";
    // Its bottom rows, where a light would show: only the clicked one is lit.
    Image buttons = background();
    const Image lit = decode_bmp(art::lit_vollbildmodus.bytes, "", 119, 26);
    for (int y = 0; y < 26; ++y)
      std::copy_n(&lit.pixels[y * 119], 119, &buttons.pixels[(408 + y) * 640 + 59]);
    buttons.pixels.erase(buttons.pixels.begin(), buttons.pixels.begin() + 380 * 640);
    buttons.height = 100;
    EXPECT_TRUE(same_pixels(x_.grab(kLeft, kTop + 380, 640, 100), buttons, "menu-behind-message"));

    x_.xdotool({"windowactivate", "--sync", std::to_string(message)});
    x_.xdotool({"key", "Return"});
    EXPECT_EQ(x_.wait_exit(zol_), std::optional<int>(1)) << c.name;
    EXPECT_FALSE(fs::exists(record_)) << c.name << ": something was started";
  }
}

}  // namespace
}  // namespace zol::e2e
