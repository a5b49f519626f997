// Who gives the real menu the keyboard, and what keys do around that moment:
// under openbox, which hands out the focus, and with no window manager,
// where the menu takes it itself. The menu is held stopped once its window
// is mapped (tests/e2e/x_stop_after_map.cc), so that what the player does
// before it has handled a single event is queued, as on a loaded machine.

#include <gtest/gtest.h>
#include <signal.h>
#include <unistd.h>

#include <chrono>
#include <cstdlib>
#include <fstream>
#include <string>
#include <thread>

#include "tests/e2e/menu_fixtures.h"
#include "tests/e2e/x_session.h"

namespace zol::e2e {
namespace {

using namespace std::chrono_literals;

constexpr int kLeft = (1024 - 640) / 2, kTop = (768 - 480) / 2;

bool stopped(pid_t pid) {
  std::ifstream stat("/proc/" + std::to_string(pid) + "/stat");
  std::string text((std::istreambuf_iterator<char>(stat)), {});
  const size_t end = text.rfind(')');
  return end != std::string::npos && end + 2 < text.size() && text[end + 2] == 'T';
}

class FocusTest : public ::testing::Test {
 protected:
  explicit FocusTest(bool window_manager = true) : x_(1024, 768, window_manager) {}
  // The menu, stopped with its window mapped.
  void start_stopped_menu() {
    // A sanitizer's runtime would insist on coming first.
    const char* options = std::getenv("ASAN_OPTIONS");
    zol_ = x_.start(zol_binary(), {}, "", "",
                    {"LD_PRELOAD=" ZOL_X_STOP_AFTER_MAP,
                     std::string("ASAN_OPTIONS=") + (options ? options : "") +
                         ":verify_asan_link_order=0"});
    window_ = x_.wait_for_window("Orvenna");
    ASSERT_NE(window_, 0u);
    for (int i = 0; i < 500 && !stopped(zol_); ++i) std::this_thread::sleep_for(10ms);
    ASSERT_TRUE(stopped(zol_)) << "the menu did not stop";
  }
  // Continues the menu, and waits for it to show `expected`.
  void continue_menu(const Image& expected) {
    kill(zol_, SIGCONT);
    x_.wait_for_pixels(kLeft, kTop, expected);
    ASSERT_TRUE(same_pixels(x_.grab_window(window_), expected, "continued"));
  }
  // Another program, at the top left.
  unsigned long open_other() {
    x_.start("xmessage", {"-geometry", "+0+0", "Ein anderes Fenster"});
    return x_.wait_for_window("xmessage");
  }
  void click_centre(unsigned long window) {
    const Geometry g = x_.geometry(window);
    x_.click(g.x + g.width / 2, g.y + g.height / 2);
  }

  XSession x_;
  pid_t zol_ = -1;
  unsigned long window_ = 0;
};

// The window manager gave the menu the focus, and the player clicked
// another window before the menu had handled anything: the focus stays
// where the player put it.
TEST_F(FocusTest, AWindowClickedWhileTheMenuStartsKeepsTheFocus) {
  const unsigned long other = open_other();
  ASSERT_NE(other, 0u);
  ASSERT_NO_FATAL_FAILURE(start_stopped_menu());
  ASSERT_TRUE(x_.wait_for_focus(window_)) << "openbox did not give the menu the focus";
  click_centre(other);
  ASSERT_TRUE(x_.wait_for_focus(other)) << "openbox did not give the clicked window the focus";
  ASSERT_NO_FATAL_FAILURE(continue_menu(background()));
  std::this_thread::sleep_for(300ms);  // for a focus request the menu may have made
  EXPECT_TRUE(x_.wait_for_focus(other, 0)) << "the menu took the focus back";
  x_.xdotool({"key", "Right"});
  x_.xdotool({"key", "Escape"});
  EXPECT_FALSE(x_.wait_exit(zol_, 0.3).has_value()) << "Escape reached the menu";
  EXPECT_TRUE(same_pixels(x_.grab_window(window_), background(), "unfocused"));
}

// Return pressed just after the focus came, before the menu handled the
// FocusIn: a fresh press, not one held from before.
TEST_F(FocusTest, AReturnPressedAsTheFocusArrivesActs) {
  ASSERT_NO_FATAL_FAILURE(start_stopped_menu());
  ASSERT_TRUE(x_.wait_for_focus(window_)) << "openbox did not give the menu the focus";
  x_.xdotool({"keydown", "Return"});
  // With none lit, Return lights the first entry.
  EXPECT_NO_FATAL_FAILURE(continue_menu(with_highlight(menu_buttons()[0])));
  x_.xdotool({"keyup", "Return"});
}

class FocusWithoutWindowManagerTest : public FocusTest {
 protected:
  FocusWithoutWindowManagerTest() : FocusTest(/*window_manager=*/false) {}
};

// Nobody else gives the focus: the menu takes it when shown, and leaves it
// to a program clicked after.
TEST_F(FocusWithoutWindowManagerTest, TheMenuTakesTheFocusOnceAndLetsItGo) {
  const unsigned long other = open_other();
  ASSERT_NE(other, 0u);
  ASSERT_NO_FATAL_FAILURE(start_stopped_menu());
  ASSERT_NO_FATAL_FAILURE(continue_menu(background()));
  ASSERT_TRUE(x_.wait_for_focus(window_)) << "the menu did not take the focus";
  click_centre(other);
  x_.set_focus(other);
  x_.xdotool({"key", "Right"});
  x_.xdotool({"key", "Escape"});
  EXPECT_FALSE(x_.wait_exit(zol_, 0.3).has_value()) << "Escape reached the menu";
  EXPECT_TRUE(x_.wait_for_focus(other, 0)) << "the menu took the focus back";
  EXPECT_TRUE(same_pixels(x_.grab_window(window_), background(), "unfocused"));
}

}  // namespace
}  // namespace zol::e2e
