#pragma once
// Zol.exe under wine, in Xvfb with openbox: a wine desktop in the cross
// build's prefix, and the menu copied beside a stand-in game, for the
// tests that drive it (tests/e2e/wine_*_test.cc).

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>
#include <stdexcept>
#include <string>
#include <vector>

#include "tests/e2e/fake_game.h"
#include "tests/e2e/menu_fixtures.h"
#include "tests/e2e/x_session.h"

namespace zol::e2e {

namespace fs = std::filesystem;

constexpr double kWineStart = 60;  // a cold wine server on a busy machine
constexpr int kScreenW = 1024, kScreenH = 768;
constexpr int kLeft = (kScreenW - 640) / 2, kTop = (kScreenH - 480) / 2;
constexpr int kFullScreen = 100, kWindowed = 250, kWebsite = 400, kQuit = 500, kRow = 420;

// What a Windows program sees of a Unix path: wine's drive Z: is "/".
inline std::string windows_path(const fs::path& path) {
  std::string text = "Z:" + path.string();
  std::replace(text.begin(), text.end(), '/', '\\');
  return text;
}

// An X desktop for wine programs, in the prefix of the cross build, at the
// DPI the user set in the prefix (Control Panel\Desktop's LogPixels).
class WineDesktop {
 public:
  WineDesktop(int width, int height, int dpi = 96) : x(width, height, /*window_manager=*/true) {
    setenv("WINEPREFIX", ZOL_WINE_PREFIX, 1);
    setenv("WINEDEBUG", "-all", 1);
    setenv("WINEDLLOVERRIDES", "mscoree,mshtml=", 1);
    // Set whatever the DPI, so that a run killed mid-test leaves none behind.
    set_dpi(dpi);
    dpi_set_ = dpi != 96;
  }
  // Every Windows process of the prefix goes with its server; the next
  // test's wine must not find it dying.
  ~WineDesktop() {
    if (dpi_set_) set_dpi(96);
    x.run({"wineserver", "-k"});
    x.run({"wineserver", "-w"});
  }
  WineDesktop(const WineDesktop&) = delete;
  WineDesktop& operator=(const WineDesktop&) = delete;

  pid_t start(const fs::path& exe, const std::string& dir = "", const std::string& path = "",
              const std::vector<std::string>& env = {}) {
    return x.start("wine", {exe.string()}, dir, path, env);
  }
  // Returns once every Windows process of the prefix has ended: whatever
  // the menu started has run by then.
  void settle() { x.run({"wineserver", "-w"}); }

  XSession x;

 private:
  // 96 is the prefix's own: no value of ours.
  void set_dpi(int dpi) {
    const std::string key = "HKCU\\Control Panel\\Desktop";
    if (dpi == 96) {
      x.run({"wine", "reg", "delete", key, "/v", "LogPixels", "/f"});  // fails when unset
    } else if (x.run({"wine", "reg", "add", key, "/v", "LogPixels", "/t", "REG_DWORD", "/d",
                      std::to_string(dpi), "/f"}) != 0) {
      throw std::runtime_error("can't set LogPixels in " ZOL_WINE_PREFIX);
    }
  }
  bool dpi_set_ = false;
};

// The menu copied into a folder whose name has a space and umlauts, started
// from another folder that holds a game of its own, planted there.
class WineMenuTest : public ::testing::Test {
 protected:
  WineMenuTest() : wine_(kScreenW, kScreenH) {
    menu_dir_ = fs::path(dir_.path()) / "Spiele Ordner ÄÖÜ";
    planted_dir_ = fs::path(dir_.path()) / "planted";
    fs::create_directories(menu_dir_);
    fs::create_directories(planted_dir_);
    fs::copy_file(zol_binary(), menu_dir_ / "Zol.exe");
    fs::copy_file(ZOL_FAKE_GAME, planted_dir_ / "ZolMain.exe");
  }

  void start_menu(const std::string& path = "", const std::vector<std::string>& env = {}) {
    x_.move_pointer(0, 0);  // a window that appears under the pointer gets a move
    zol_ = wine_.start(menu_dir_ / "Zol.exe", planted_dir_.string(), path, env);
    window_ = x_.wait_for_window("Orvenna", kWineStart);
    ASSERT_NE(window_, 0u) << x_.stderr_of(zol_);
    ASSERT_TRUE(x_.wait_for_pixels(kLeft, kTop, background(), 10));
  }
  // Keys reach the window once the window manager has given it the focus,
  // a moment after it shows.
  void wait_for_focus() {
    ASSERT_TRUE(x_.wait_for_focus(window_, 10)) << "the menu never got the focus";
  }
  std::string game_record() { return read_file(menu_dir_ / "game.record"); }
  // The menu ended with 0, having started the game beside it with the
  // command line `command`; none when it is empty.
  void expect_ended_having_started(const std::string& command) {
    EXPECT_EQ(x_.wait_exit(zol_, 20), std::optional<int>(0));
    wine_.settle();
    EXPECT_EQ(game_record(), command.empty() ? ""
                                             : "command=" + command + "\ndirectory=" +
                                                   windows_path(menu_dir_) + "\nshow=2\n");
  }
  bool planted_game_ran() { return fs::exists(planted_dir_ / "game.record"); }

  TempDir dir_;
  WineDesktop wine_;
  XSession& x_ = wine_.x;
  fs::path menu_dir_, planted_dir_;
  pid_t zol_ = -1;
  unsigned long window_ = 0;
};

// The menu's window on a desktop at `dpi`, found.
struct MenuOnWine {
  MenuOnWine(Screen screen, int dpi) : wine(screen.width, screen.height, dpi) {
    wine.x.move_pointer(0, 0);
    zol = wine.start(zol_binary());
    window = wine.x.wait_for_window("Orvenna", kWineStart);
    if (window) where = wine.x.geometry(window);
  }
  WineDesktop wine;
  pid_t zol = -1;
  unsigned long window = 0;
  Geometry where;
};

}  // namespace zol::e2e
