// Zol.exe under wine, in Xvfb with openbox: the Windows menu as a desktop
// sees it, driven with xdotool, beside a stand-in game that records how it
// was started. Wine runs in the cross build's prefix, and each test ends
// wine's server before its X server goes.

#include <gtest/gtest.h>
#include <stdlib.h>

#include <algorithm>
#include <filesystem>

#include "art/art.h"
#include "menu/website.h"
#include "tests/e2e/wine_menu.h"

namespace zol::e2e {
namespace {

class WineWindowTest : public ::testing::TestWithParam<Screen> {};

TEST_P(WineWindowTest, IsCentredUndecoratedAndShowsTheArtworkAndACloseEndsIt) {
  const Screen screen = GetParam();
  WineDesktop wine(screen.width, screen.height);
  XSession& x = wine.x;
  const pid_t zol = wine.start(zol_binary());
  const unsigned long window = x.wait_for_window("Orvenna", kWineStart);
  ASSERT_NE(window, 0u) << "no window named Orvenna appeared: " << x.stderr_of(zol);

  const Geometry g = x.geometry(window);
  EXPECT_EQ(g.width, 640);
  EXPECT_EQ(g.height, 480);
  EXPECT_EQ(g.x, (screen.width - 640) / 2);
  EXPECT_EQ(g.y, (screen.height - 480) / 2);
  EXPECT_EQ(x.cardinals(window, "_NET_FRAME_EXTENTS"), (std::vector<long>{0, 0, 0, 0}));
  EXPECT_EQ(x.cardinals(window, "_NET_WM_PID"), (std::vector<long>{zol}));
  // The class's big and small icon, loaded from the icon group.
  std::vector<long> icon = x.cardinals(window, "_NET_WM_ICON"), sizes;
  for (size_t at = 0; at + 2 <= icon.size(); at += 2 + static_cast<size_t>(icon[at] * icon[at + 1]))
    sizes.push_back(icon[at]);
  EXPECT_EQ(sizes, (std::vector<long>{32, 16}));
  ASSERT_TRUE(x.wait_for_pixels(g.x, g.y, background(), 10));
  EXPECT_TRUE(same_pixels(x.grab_window(window), background(), "window"));

  x.send_close_request(window);
  EXPECT_EQ(x.wait_exit(zol, 20), std::optional<int>(0));
}

INSTANTIATE_TEST_SUITE_P(ScreenSizes, WineWindowTest,
                         ::testing::Values(Screen{1024, 768}, Screen{1921, 1081}),
                         [](const auto& info) {
                           return std::to_string(info.param.width) + "x" +
                                  std::to_string(info.param.height);
                         });

struct WineDpiCase {
  const char* name;
  int log_pixels;
  Screen screen;
  int width, height;
  int dpi;  // the scale step it is drawn at
};
void PrintTo(const WineDpiCase& c, std::ostream* out) { *out << c.name; }


class WineWindowAtDpiTest : public ::testing::TestWithParam<WineDpiCase> {};

TEST_P(WineWindowAtDpiTest, HasTheSizeOfItsScaleStepCentredWithItsPicture) {
  const WineDpiCase& c = GetParam();
  MenuOnWine menu(c.screen, c.log_pixels);
  ASSERT_NE(menu.window, 0u) << menu.wine.x.stderr_of(menu.zol);
  const Geometry g = menu.where;
  EXPECT_EQ(g.width, c.width);
  EXPECT_EQ(g.height, c.height);
  EXPECT_EQ(g.x, (c.screen.width - c.width) / 2);
  EXPECT_EQ(g.y, (c.screen.height - c.height) / 2);
  menu.wine.x.wait_for_pixels(g.x, g.y, background(c.dpi), 10);
  EXPECT_TRUE(same_pixels(menu.wine.x.grab_window(menu.window), background(c.dpi), c.name));
}

INSTANTIATE_TEST_SUITE_P(
    Dpis, WineWindowAtDpiTest,
    ::testing::Values(WineDpiCase{"At144", 144, {1920, 1080}, 960, 720, 144},
                      WineDpiCase{"At192", 192, {1920, 1080}, 1280, 960, 192},
                      WineDpiCase{"At192On1024x768StepsDownTo144", 192, {1024, 768}, 960, 720,
                                  144}),
    [](const auto& info) { return std::string(info.param.name); });

// One menu, each button in turn: the pointer's device pixel reaches the
// core unscaled, and the twice-size highlight shows as it is.
TEST(WineHoverAtDpiTest, At192EachButtonShowsExactlyItsTwiceSizeHighlight) {
  MenuOnWine menu({1920, 1080}, 192);
  ASSERT_NE(menu.window, 0u) << menu.wine.x.stderr_of(menu.zol);
  XSession& x = menu.wine.x;
  const Geometry g = menu.where;
  ASSERT_EQ(g.width, 1280);
  ASSERT_TRUE(x.wait_for_pixels(g.x, g.y, background(192), 10));
  for (const MenuButton& b : menu_buttons()) {
    const DevicePoint centre = b.centre(192);
    x.move_pointer(g.x + centre.x, g.y + centre.y);
    const Image expected = with_highlight(b, 192);
    x.wait_for_pixels(g.x, g.y, expected);
    EXPECT_TRUE(same_pixels(x.grab(g.x, g.y, g.width, g.height), expected, b.name + "-192"));
    x.move_pointer(g.x + 640, g.y + 300);
    x.wait_for_pixels(g.x, g.y, background(192));
    EXPECT_TRUE(same_pixels(x.grab(g.x, g.y, g.width, g.height), background(192),
                            b.name + "-192-off"));
  }
}

// What the loader makes of Zol.exe's manifest, as wine's debug channels
// tell it: parsed without complaint, its DPI awareness taken.
TEST(WineManifestTest, TheLoaderTakesTheDpiAwarenessFromIt) {
  WineDesktop wine(kScreenW, kScreenH);
  const pid_t zol = wine.x.start("wine", {zol_binary()}, "", "",
                                 {"WINEDEBUG=-all,err+actctx,warn+actctx,fixme+actctx,trace+graphics"});
  const unsigned long window = wine.x.wait_for_window("Orvenna", kWineStart);
  ASSERT_NE(window, 0u) << wine.x.stderr_of(zol);
  wine.x.send_close_request(window);
  EXPECT_EQ(wine.x.wait_exit(zol, 20), std::optional<int>(0));
  const std::string log = wine.x.stderr_of(zol);
  EXPECT_NE(log.find("got dpiAwareness=L\"PerMonitorV2, PerMonitor\""), std::string::npos) << log;
  EXPECT_EQ(log.find(":actctx:"), std::string::npos) << log;
}

// The Win32 platform's own tests that need a window, on a wine desktop.
TEST(WinePlatformTest, TheWindowTestsPass) {
  WineDesktop wine(kScreenW, kScreenH);
  const pid_t tests = wine.start(ZOL_WINDOW_TESTS);
  EXPECT_EQ(wine.x.wait_exit(tests, 60), std::optional<int>(0))
      << wine.x.stdout_of(tests);
}


class WineHoverTest : public WineMenuTest, public ::testing::WithParamInterface<MenuButton> {};

TEST_P(WineHoverTest, ShowsExactlyItsHighlightAndOffAgainTheBackground) {
  const MenuButton& b = GetParam();
  ASSERT_NO_FATAL_FAILURE(start_menu());
  x_.move_pointer(kLeft + b.centre().x, kTop + b.centre().y);
  const Image expected = with_highlight(b);
  x_.wait_for_pixels(kLeft, kTop, expected);
  EXPECT_TRUE(same_pixels(x_.grab(kLeft, kTop, 640, 480), expected, b.name));

  x_.move_pointer(kLeft + 320, kTop + 300);
  x_.wait_for_pixels(kLeft, kTop, background());
  EXPECT_TRUE(same_pixels(x_.grab(kLeft, kTop, 640, 480), background(),
                          std::string(b.name) + "-off"));
}

INSTANTIATE_TEST_SUITE_P(Buttons, WineHoverTest, ::testing::ValuesIn(menu_buttons()),
                         [](const auto& info) { return info.param.name; });

// A player's input as xdotool gives it, and the game's command line it
// must start (empty: no game starts). Keys go to the focused window: the
// menu takes the focus when it shows.
struct InputCase {
  const char* name;
  std::vector<std::string> xdotool;
  std::string command;
};
void PrintTo(const InputCase& c, std::ostream* out) { *out << c.name; }

class WineInputTest : public WineMenuTest, public ::testing::WithParamInterface<InputCase> {};

TEST_P(WineInputTest, DoesItsActionAndTheMenuEnds) {
  const InputCase& c = GetParam();
  fs::copy_file(ZOL_FAKE_GAME, menu_dir_ / "ZolMain.exe");
  ASSERT_NO_FATAL_FAILURE(start_menu());
  ASSERT_NO_FATAL_FAILURE(wait_for_focus());
  x_.xdotool(c.xdotool);
  expect_ended_having_started(c.command);
  EXPECT_FALSE(planted_game_ran());
}

std::vector<std::string> click(int x, int clicks = 1) {
  return {"mousemove", std::to_string(kLeft + x), std::to_string(kTop + kRow),
          "click", "--repeat", std::to_string(clicks), "--delay", "30", "1"};
}
std::vector<std::string> keys(std::vector<std::string> names) {
  names.insert(names.begin(), {"key", "--delay", "50"});
  return names;
}

INSTANTIATE_TEST_SUITE_P(
    Buttons, WineInputTest,
    ::testing::Values(InputCase{"FullScreen", click(kFullScreen), "ZolMain.exe"},
                      InputCase{"Windowed", click(kWindowed), "ZolMain.exe W"},
                      InputCase{"DoubleClick", click(kFullScreen, 2), "ZolMain.exe"},
                      InputCase{"Quit", click(kQuit), ""}),
    [](const auto& info) { return std::string(info.param.name); });

INSTANTIATE_TEST_SUITE_P(
    Keys, WineInputTest,
    ::testing::Values(InputCase{"ReturnOnTheSecond", keys({"Right", "Right", "Return"}),
                                "ZolMain.exe W"},
                      InputCase{"KeypadEnterOnTheFirst", keys({"Tab", "KP_Enter"}), "ZolMain.exe"},
                      InputCase{"ReturnFirstOnlyLights", keys({"Return", "Right", "space"}),
                                "ZolMain.exe W"},
                      InputCase{"Escape", keys({"Right", "Escape"}), ""},
                      InputCase{"AltF4", keys({"Right", "alt+F4"}), ""}),
    [](const auto& info) { return std::string(info.param.name); });

// wine hands http addresses to the first browser it finds on PATH, the
// desktop's xdg-open among them.
TEST_F(WineMenuTest, TheWebsiteButtonHandsTheAddressToTheBrowser) {
  const fs::path bin = fs::path(dir_.path()) / "bin";
  fs::create_directories(bin);
  FakeGameRecord browser(fs::path(dir_.path()) / "browser.record");
  FakeGameRecord::install(bin / "xdg-open");
  ASSERT_NO_FATAL_FAILURE(start_menu(bin.string() + ":/usr/bin:/bin"));
  x_.click(kLeft + kWebsite, kTop + kRow);
  EXPECT_EQ(x_.wait_exit(zol_, 20), std::optional<int>(0));
  // The browser is started detached, even by wine's own launcher.
  const std::optional<Start> started = browser.wait_for_start(30);
  ASSERT_TRUE(started.has_value()) << "xdg-open did not start";
  EXPECT_EQ(started->args, std::vector<std::string>{menu::kWebsite});
}

// No game beside the menu: one message box in front of the menu, which
// stays painted and takes no pointer events; dismissing it ends with 1.
TEST_F(WineMenuTest, WithNoGameOneMessageThenStatusOneAndNothingStarts) {
  ASSERT_NO_FATAL_FAILURE(start_menu());
  const Image lit = with_highlight(menu_buttons()[0]);
  x_.move_pointer(kLeft + kFullScreen, kTop + kRow);
  ASSERT_TRUE(x_.wait_for_pixels(kLeft, kTop, lit));
  x_.xdotool({"click", "1"});
  const unsigned long box = x_.wait_for_window("Zol", 20);
  ASSERT_NE(box, 0u);
  // stderr is a Windows text stream: lines end in CR LF.
  EXPECT_NE(x_.stderr_of(zol_).find("zol: \"ZolMain.exe\" konnte nicht gestartet werden: Die Datei "
                                    "wurde neben dem Menü nicht gefunden (" +
                                    windows_path(menu_dir_) + ").\r\n"),
            std::string::npos)
      << x_.stderr_of(zol_);

  x_.move_pointer(kLeft + kWindowed, kTop + kRow);  // would light a button
  x_.click(kLeft + kQuit, kTop + kRow);             // would quit
  EXPECT_FALSE(x_.wait_exit(zol_, 0.5).has_value()) << "ended before the message was dismissed";
  // The box dragged across the menu and away: the menu shows as it was.
  const std::string id = std::to_string(box);
  x_.xdotool({"windowmove", "--sync", id, std::to_string(kLeft + 100), std::to_string(kTop + 380)});
  x_.xdotool({"windowmove", "--sync", id, "0", "0"});
  x_.wait_for_pixels(kLeft, kTop, lit, 10);
  EXPECT_TRUE(same_pixels(x_.grab(kLeft, kTop, 640, 480), lit, "menu-behind-message"));

  x_.xdotool({"windowactivate", "--sync", id});
  x_.xdotool({"key", "Return"});
  EXPECT_EQ(x_.wait_exit(zol_, 20), std::optional<int>(1));
  wine_.settle();
  EXPECT_EQ(game_record(), "");
  EXPECT_FALSE(planted_game_ran());
}

// Keys go to the window that has the focus: the menu's, as it is shown.
TEST_F(WineMenuTest, KeysLightEachEntryInTurnAndStopAtTheEnds) {
  ASSERT_NO_FATAL_FAILURE(start_menu());
  ASSERT_NO_FATAL_FAILURE(wait_for_focus());
  struct Step {
    const char* key;
    size_t lit;  // the entry lit after it
  };
  const Step steps[] = {{"Right", 0}, {"Right", 1}, {"Tab", 2}, {"Right", 3}, {"Right", 3},
                        {"Left", 2},  {"shift+Tab", 1}, {"Up", 1}, {"Down", 1}};
  for (const Step& step : steps) {
    x_.xdotool({"key", step.key});
    const Image expected = with_highlight(menu_buttons()[step.lit]);
    x_.wait_for_pixels(kLeft, kTop, expected);
    EXPECT_TRUE(same_pixels(x_.grab(kLeft, kTop, 640, 480), expected,
                            std::string(step.key) + "-" + menu_buttons()[step.lit].name));
  }
  x_.xdotool({"key", "Escape"});
  EXPECT_EQ(x_.wait_exit(zol_, 20), std::optional<int>(0));
}

// No game: the Return that tried it, still held, does not dismiss the
// message with its repeats; a fresh Return does.
TEST_F(WineMenuTest, TheReturnThatBroughtUpTheMessageDoesNotDismissItWhileHeld) {
  ASSERT_NO_FATAL_FAILURE(start_menu());
  ASSERT_NO_FATAL_FAILURE(wait_for_focus());
  x_.xdotool({"key", "Right"});
  x_.xdotool({"keydown", "Return"});
  ASSERT_NE(x_.wait_for_window("Zol", 20), 0u);
  EXPECT_FALSE(x_.wait_exit(zol_, 1.2).has_value()) << "dismissed by the held key's repeats";
  x_.xdotool({"keyup", "Return"});
  x_.xdotool({"key", "Return"});
  EXPECT_EQ(x_.wait_exit(zol_, 20), std::optional<int>(1));
}

// A pad through a scripted XInput: the menu loads it from the prefix's
// System32 as it would Windows' own, told by WINEDLLOVERRIDES to take the
// file there over wine's built-in one, which is put back after.
class WinePadTest : public WineMenuTest {
 protected:
  WinePadTest() {
    fs::copy_file(system_xinput_, saved_, fs::copy_options::overwrite_existing);
    fs::copy_file(ZOL_XINPUT_SCRIPT_DLL, system_xinput_, fs::copy_options::overwrite_existing);
  }
  ~WinePadTest() override {
    wine_.settle();
    fs::copy_file(saved_, system_xinput_, fs::copy_options::overwrite_existing);
  }
  void start_with_pad(const std::string& script) {
    start_menu("", {"WINEDLLOVERRIDES=mscoree,mshtml=;xinput1_4=n", "ZOL_XINPUT_SCRIPT=" + script});
  }
  const fs::path system_xinput_ =
      fs::path(ZOL_WINE_PREFIX) / "drive_c/windows/system32/xinput1_4.dll";
  const fs::path saved_ = fs::path(dir_.path()) / "xinput1_4.dll.wine";
};

struct PadCase {
  const char* name;
  std::string script;  // see tests/windows/xinput_script.cc
  std::string command;
};
void PrintTo(const PadCase& c, std::ostream* out) { *out << c.name; }

class WinePadScriptTest : public WinePadTest, public ::testing::WithParamInterface<PadCase> {};

// The pad arrives while the menu is open, then steps and presses.
TEST_P(WinePadScriptTest, DoesItsStepsAndTheMenuEnds) {
  const PadCase& c = GetParam();
  fs::copy_file(ZOL_FAKE_GAME, menu_dir_ / "ZolMain.exe");
  ASSERT_NO_FATAL_FAILURE(start_with_pad(c.script));
  expect_ended_having_started(c.command);
}

INSTANTIATE_TEST_SUITE_P(
    Pads, WinePadScriptTest,
    ::testing::Values(PadCase{"RightRightA", "plug idle right idle right idle a idle",
                              "ZolMain.exe W"},
                      PadCase{"StickRightA", "plug idle stickright idle a idle", "ZolMain.exe"},
                      PadCase{"B", "plug idle right idle b idle", ""}),
    [](const auto& info) { return std::string(info.param.name); });

TEST_F(WinePadTest, AHeldSideRepeatsToTheLastEntryAndStops) {
  ASSERT_NO_FATAL_FAILURE(start_with_pad("plug idle right"));
  const Image expected = with_highlight(menu_buttons().back());
  x_.wait_for_pixels(kLeft, kTop, expected, 10);
  EXPECT_TRUE(same_pixels(x_.grab(kLeft, kTop, 640, 480), expected, "held-right"));
  x_.send_close_request(window_);
  EXPECT_EQ(x_.wait_exit(zol_, 20), std::optional<int>(0));
}

// No game: A lights the first entry, A again tries it; B dismisses the message.
TEST_F(WinePadTest, BDismissesTheFailureMessage) {
  ASSERT_NO_FATAL_FAILURE(start_with_pad("plug idle a idle a idle*150 b idle"));
  EXPECT_NE(x_.wait_for_window("Zol", 20), 0u) << "no message";
  EXPECT_EQ(x_.wait_exit(zol_, 20), std::optional<int>(1));
  EXPECT_NE(x_.stderr_of(zol_).find("konnte nicht gestartet werden"), std::string::npos);
  EXPECT_EQ(game_record(), "");
}

}  // namespace
}  // namespace zol::e2e
