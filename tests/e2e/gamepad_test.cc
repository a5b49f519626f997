// The real menu worked with game controllers: scripted event devices in the
// place of /dev/input (tests/e2e/scripted_pads.h), under openbox.

#include <gtest/gtest.h>
#include <unistd.h>

#include <chrono>
#include <filesystem>
#include <fstream>
#include <sstream>
#include <thread>

#include "tests/e2e/fake_game.h"
#include "tests/e2e/menu_fixtures.h"
#include "tests/e2e/scripted_pads.h"
#include "tests/e2e/x_session.h"

namespace zol::e2e {
namespace {

namespace fs = std::filesystem;
using namespace std::chrono_literals;

constexpr int kLeft = (1024 - 640) / 2, kTop = (768 - 480) / 2;

// CPU ticks the process has used.
long cpu_ticks(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), {});
  std::istringstream fields(text.substr(text.rfind(')') + 2));
  std::string field;
  long utime = 0, stime = 0;
  for (int i = 3; i <= 15 && fields >> field; ++i) {
    if (i == 14) utime = std::stol(field);
    if (i == 15) stime = std::stol(field);
  }
  return utime + stime;
}

template <typename Check>
bool eventually(Check check, std::chrono::milliseconds limit = 5s) {
  const auto end = std::chrono::steady_clock::now() + limit;
  while (!check()) {
    if (std::chrono::steady_clock::now() > end) return false;
    std::this_thread::sleep_for(10ms);
  }
  return true;
}

class GamepadTest : public ::testing::Test {
 protected:
  explicit GamepadTest(bool window_manager = true)
      : x_(1024, 768, window_manager), input_(dir_.path() + "/devices") {
    menu_dir_ = fs::path(dir_.path()) / "menu";
    fs::create_directories(menu_dir_);
    fs::copy_file(zol_binary(), menu_dir_ / "zol");
  }
  void start_menu(std::vector<std::string> env = {}) {
    for (const std::string& v : input_.environment()) env.push_back(v);
    zol_ = x_.start((menu_dir_ / "zol").string(), {}, "", "", env);
    window_ = x_.wait_for_window("Orvenna");
    ASSERT_NE(window_, 0u);
    ASSERT_TRUE(x_.wait_for_pixels(kLeft, kTop, background()));
  }
  // Waits for exactly this entry lit, and nothing else.
  ::testing::AssertionResult shows_lit(size_t entry, const std::string& name) {
    const Image expected = with_highlight(menu_buttons()[entry]);
    x_.wait_for_pixels(kLeft, kTop, expected);
    return same_pixels(x_.grab_window(window_), expected, name);
  }
  void tap(const std::string& pad, std::vector<input_event> press, std::vector<input_event> release) {
    press.push_back(report());
    release.push_back(report());
    input_.send(pad, press);
    input_.send(pad, release);
  }
  void hat_right(const std::string& pad) {
    tap(pad, {pad_event(EV_ABS, ABS_HAT0X, 1)}, {pad_event(EV_ABS, ABS_HAT0X, 0)});
  }
  void button(const std::string& pad, int code) {
    tap(pad, {pad_event(EV_KEY, code, 1)}, {pad_event(EV_KEY, code, 0)});
  }

  TempDir dir_;
  FakeGameRecord record_{fs::path(dir_.path()) / "game.record"};
  XSession x_;
  ScriptedInput input_;
  fs::path menu_dir_;
  pid_t zol_ = -1;
  unsigned long window_ = 0;
};

TEST_F(GamepadTest, APadPresentAtStartWorksTheMenu) {
  FakeGameRecord::install(menu_dir_ / "ZolMain.exe");
  input_.plug("event3", ScriptedDevice::xbox_pad());
  ASSERT_NO_FATAL_FAILURE(start_menu());
  hat_right("event3");
  EXPECT_TRUE(shows_lit(0, "first"));
  hat_right("event3");
  EXPECT_TRUE(shows_lit(1, "second"));
  button("event3", BTN_SOUTH);
  EXPECT_EQ(x_.wait_exit(zol_), std::optional<int>(0));
  const std::optional<Start> game = record_.wait_for_start();
  ASSERT_TRUE(game.has_value()) << "the game did not start";
  EXPECT_EQ(game->args, std::vector<std::string>{"W"});
}

TEST_F(GamepadTest, TheEastButtonEndsTheMenuWithNothingStarted) {
  FakeGameRecord::install(menu_dir_ / "ZolMain.exe");
  input_.plug("event0", ScriptedDevice::xbox_pad());
  ASSERT_NO_FATAL_FAILURE(start_menu());
  button("event0", BTN_EAST);
  EXPECT_EQ(x_.wait_exit(zol_), std::optional<int>(0));
  EXPECT_TRUE(record_.starts().empty());
}

TEST_F(GamepadTest, AHeldDirectionRepeatsUntilLetGo) {
  input_.plug("event0", ScriptedDevice::xbox_pad());
  ASSERT_NO_FATAL_FAILURE(start_menu());
  input_.send("event0", {pad_event(EV_ABS, ABS_X, 30000), report()});
  EXPECT_TRUE(shows_lit(3, "held-to-the-last"));
  input_.send("event0", {pad_event(EV_ABS, ABS_X, 0), report()});
}

TEST_F(GamepadTest, APadPluggedInWhileOpenIsReadOnceItsPermissionsArrive) {
  ASSERT_NO_FATAL_FAILURE(start_menu());
  input_.plug("event5", ScriptedDevice::nintendo_pad(), /*readable=*/false);
  std::this_thread::sleep_for(300ms);
  EXPECT_FALSE(input_.held_by(zol_, "event5"));
  input_.allow("event5");
  ASSERT_TRUE(eventually([&] { return input_.held_by(zol_, "event5"); }));
  button("event5", BTN_DPAD_RIGHT);
  EXPECT_TRUE(shows_lit(0, "plugged"));
}

TEST_F(GamepadTest, APadPulledOutIsDroppedWithoutABusyLoop) {
  input_.plug("event2", ScriptedDevice::xbox_pad());
  ASSERT_NO_FATAL_FAILURE(start_menu());
  hat_right("event2");
  ASSERT_TRUE(shows_lit(0, "before"));
  input_.pull("event2");
  ASSERT_TRUE(eventually([&] { return !input_.held_by(zol_, "event2"); }));
  const long before = cpu_ticks(zol_);
  std::this_thread::sleep_for(1s);
  EXPECT_LE(cpu_ticks(zol_) - before, 2) << "CPU ticks in a second after the pad went";

  input_.plug("event2", ScriptedDevice::xbox_pad());
  ASSERT_TRUE(eventually([&] { return input_.held_by(zol_, "event2"); }));
  hat_right("event2");
  EXPECT_TRUE(shows_lit(1, "plugged-again"));
}

TEST_F(GamepadTest, OnlyPadsItMayOpenAreKept) {
  input_.plug("event0", ScriptedDevice::keyboard());
  input_.plug("event1", ScriptedDevice::xbox_pad(), /*readable=*/false);
  input_.plug("event2", ScriptedDevice::xbox_pad());
  ASSERT_NO_FATAL_FAILURE(start_menu());
  EXPECT_TRUE(input_.held_by(zol_, "event2"));
  EXPECT_FALSE(input_.held_by(zol_, "event0")) << "the keyboard is held";
  EXPECT_FALSE(input_.held_by(zol_, "event1"));
  input_.send("event0", {pad_event(EV_KEY, KEY_RIGHT, 1), pad_event(EV_ABS, ABS_HAT0X, 1), report()});
  hat_right("event2");
  EXPECT_TRUE(shows_lit(0, "pad-beside-keyboard"));
}

TEST_F(GamepadTest, AfterLostEventsTheStateIsReadAgain) {
  input_.plug("event0", ScriptedDevice::xbox_pad());
  ASSERT_NO_FATAL_FAILURE(start_menu());
  // The release was lost in an overflow: the menu must not go on repeating.
  input_.send("event0", {pad_event(EV_ABS, ABS_HAT0X, 1), report(),
                         pad_event(EV_SYN, SYN_DROPPED, 0), lost(EV_ABS, ABS_HAT0X, 0), report()});
  ASSERT_TRUE(shows_lit(0, "pressed"));
  std::this_thread::sleep_for(700ms);
  EXPECT_TRUE(shows_lit(0, "no-repeat"));
  hat_right("event0");
  EXPECT_TRUE(shows_lit(1, "pressed-again"));
}

TEST_F(GamepadTest, UnderSteamAPhysicalPadAndItsVirtualOneStepOnce) {
  input_.plug("event0", ScriptedDevice::xbox_pad(0x045e, 0x028e));
  input_.plug("event1", ScriptedDevice::steam_virtual_pad());
  ASSERT_NO_FATAL_FAILURE(start_menu({"SDL_GAMECONTROLLER_IGNORE_DEVICES=0x045e/0x028e"}));
  hat_right("event0");
  hat_right("event1");
  ASSERT_TRUE(shows_lit(0, "one-step"));
  std::this_thread::sleep_for(300ms);
  EXPECT_TRUE(shows_lit(0, "still-one-step"));
}

TEST_F(GamepadTest, APressWhileAnotherWindowHasTheFocusDoesNothing) {
  input_.plug("event0", ScriptedDevice::xbox_pad());
  ASSERT_NO_FATAL_FAILURE(start_menu());
  x_.start("xmessage", {"-geometry", "+0+0", "Ein anderes Fenster"});
  const unsigned long other = x_.wait_for_window("xmessage");
  ASSERT_NE(other, 0u);
  x_.xdotool({"windowactivate", "--sync", std::to_string(other)});
  // Held, so that a repeat would show too.
  input_.send("event0", {pad_event(EV_ABS, ABS_HAT0X, 1), report()});
  std::this_thread::sleep_for(700ms);
  EXPECT_TRUE(same_pixels(x_.grab_window(window_), background(), "unfocused"));
  input_.send("event0", {pad_event(EV_ABS, ABS_HAT0X, 0), report()});

  x_.xdotool({"windowactivate", "--sync", std::to_string(window_)});
  hat_right("event0");
  EXPECT_TRUE(shows_lit(0, "focused-again"));
}

// A screen locker holds the keyboard: keys go to it, and pads must not work
// the menu behind it either.
TEST_F(GamepadTest, APressWhileAnotherClientHoldsTheKeyboardDoesNothing) {
  FakeGameRecord::install(menu_dir_ / "ZolMain.exe");
  input_.plug("event0", ScriptedDevice::xbox_pad());
  ASSERT_NO_FATAL_FAILURE(start_menu());
  ASSERT_TRUE(x_.wait_for_focus(window_));
  ASSERT_TRUE(x_.grab_keyboard());
  input_.send("event0", {pad_event(EV_ABS, ABS_HAT0X, 1), report()});  // held: a repeat would show
  std::this_thread::sleep_for(700ms);
  input_.send("event0", {pad_event(EV_ABS, ABS_HAT0X, 0), report()});
  button("event0", BTN_SOUTH);
  button("event0", BTN_EAST);
  EXPECT_FALSE(x_.wait_exit(zol_, 0.3).has_value()) << "a pad closed the menu behind the grab";
  EXPECT_TRUE(same_pixels(x_.grab_window(window_), background(), "grabbed"));
  EXPECT_TRUE(record_.starts().empty());

  x_.ungrab_keyboard();
  hat_right("event0");
  EXPECT_TRUE(shows_lit(0, "released"));
}

// The message has the focus as it comes up, given by the window manager or,
// with none, taken by itself; the pad then dismisses it as a key would.
class PadMessageTest : public GamepadTest, public ::testing::WithParamInterface<bool> {
 protected:
  PadMessageTest() : GamepadTest(/*window_manager=*/GetParam()) {}
};

TEST_P(PadMessageTest, TheFailureMessageIsDismissedByAPad) {
  input_.plug("event0", ScriptedDevice::xbox_pad());
  ASSERT_NO_FATAL_FAILURE(start_menu());  // no game beside it
  ASSERT_TRUE(x_.wait_for_focus(window_));
  hat_right("event0");
  ASSERT_TRUE(shows_lit(0, "lit"));
  button("event0", BTN_SOUTH);
  const unsigned long message = x_.wait_for_window("Zol");
  ASSERT_NE(message, 0u);
  ASSERT_TRUE(x_.wait_for_focus(message)) << "the message did not get the focus";
  hat_right("event0");
  EXPECT_FALSE(x_.wait_exit(zol_, 0.3).has_value()) << "dismissed by a step that moves";
  button("event0", BTN_SOUTH);
  EXPECT_EQ(x_.wait_exit(zol_), std::optional<int>(1));
}

INSTANTIATE_TEST_SUITE_P(Pads, PadMessageTest, ::testing::Bool(), [](const auto& info) {
  return std::string(info.param ? "UnderOpenbox" : "WithoutWindowManager");
});

}  // namespace
}  // namespace zol::e2e
