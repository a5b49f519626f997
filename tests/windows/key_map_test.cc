// The keys the menu's window takes, and those it leaves alone.

#include "host/win32/key_map.h"

#include <gtest/gtest.h>

#ifndef NOMINMAX
#define NOMINMAX
#endif
#define WIN32_LEAN_AND_MEAN
#include <windows.h>

namespace zol::win32 {
namespace {

using enum Navigation;

TEST(KeyMapTest, MapsTheMenuKeysAndNothingElse) {
  struct Case {
    const char* what;
    KeyPress key;
    std::optional<Navigation> step;
  };
  const Case cases[] = {
      {"Left", {VK_LEFT}, Previous},
      {"Right", {VK_RIGHT}, Next},
      {"Tab", {VK_TAB}, Next},
      {"Shift+Tab", {VK_TAB, true}, Previous},
      {"Return, the keypad's Enter too", {VK_RETURN}, Activate},
      {"Space", {VK_SPACE}, Activate},
      {"Escape", {VK_ESCAPE}, Back},
      {"held Right repeats", {VK_RIGHT, false, false, true}, Next},
      {"held Tab repeats", {VK_TAB, false, false, true}, Next},
      {"held Return does not act again", {VK_RETURN, false, false, true}, std::nullopt},
      {"held Space does not act again", {VK_SPACE, false, false, true}, std::nullopt},
      {"held Escape once is enough", {VK_ESCAPE, false, false, true}, std::nullopt},
      {"Up", {VK_UP}, std::nullopt},
      {"Down", {VK_DOWN}, std::nullopt},
      {"a letter", {'W'}, std::nullopt},
      {"Ctrl+Tab is a shortcut", {VK_TAB, false, true}, std::nullopt},
      {"Ctrl+Return is a shortcut", {VK_RETURN, false, true}, std::nullopt},
      {"Shift alone", {VK_SHIFT, true}, std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(key_navigation(c.key), c.step) << c.what;
}

}  // namespace
}  // namespace zol::win32
