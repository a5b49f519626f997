// Which keys work the menu, how a held key repeats, and when the window
// counts as focused.

#include <gtest/gtest.h>
// (gtest before Xlib, whose macros clash with its names)
#include "host/x11/keyboard.h"

#include <X11/keysym.h>

#include <initializer_list>
#include <optional>
#include <string>
#include <vector>

namespace zol::x11 {
namespace {

using enum Navigation;

constexpr unsigned kNumLock = Mod2Mask, kAltGr = Mod5Mask;

TEST(KeyboardTest, KeysAndModifiersGiveTheirStep) {
  struct Case {
    const char* what;
    KeySym sym;
    unsigned state;
    std::optional<Navigation> step;
  };
  const Case cases[] = {
      {"Left", XK_Left, 0, Previous},
      {"keypad Left", XK_KP_Left, 0, Previous},
      {"Right", XK_Right, 0, Next},
      {"keypad Right", XK_KP_Right, 0, Next},
      {"Tab", XK_Tab, 0, Next},
      {"Shift+Tab as most layouts give it", XK_ISO_Left_Tab, ShiftMask, Previous},
      {"Shift+Tab in a keymap without ISO_Left_Tab", XK_Tab, ShiftMask, Previous},
      {"Return", XK_Return, 0, Activate},
      {"keypad Enter", XK_KP_Enter, 0, Activate},
      {"keypad Enter with Num Lock", XK_KP_Enter, kNumLock, Activate},
      {"Space", XK_space, 0, Activate},
      {"Escape", XK_Escape, 0, Back},
      {"Up: the entries lie in one row", XK_Up, 0, std::nullopt},
      {"Down", XK_Down, 0, std::nullopt},
      {"keypad 4 with Num Lock is a digit", XK_KP_4, kNumLock, std::nullopt},
      {"a letter", XK_w, 0, std::nullopt},
      {"F4 (Alt+F4 is the window manager's)", XK_F4, Mod1Mask, std::nullopt},
      {"Caps Lock changes nothing", XK_Return, LockMask, Activate},
      {"Num Lock changes nothing", XK_Right, kNumLock, Next},
      {"AltGr changes nothing", XK_Escape, kAltGr, Back},
      {"Shift+Right", XK_Right, ShiftMask, Next},
      {"Control+Return", XK_Return, ControlMask, std::nullopt},
      {"Alt+Tab", XK_Tab, Mod1Mask, std::nullopt},
      {"Super+Left", XK_Left, Mod4Mask, std::nullopt},
      {"Control+Shift+Tab", XK_ISO_Left_Tab, ControlMask | ShiftMask, std::nullopt},
  };
  for (const Case& c : cases) EXPECT_EQ(navigation_for(c.sym, c.state), c.step) << c.what;
}

constexpr unsigned kReturnKey = 36, kRightKey = 114, kEscapeKey = 9;

TEST(KeyboardTest, HeldKeysMoveAgainButActOnlyOnAFreshPress) {
  struct Event {
    bool press;
    unsigned keycode;
    KeySym sym;
  };
  struct Case {
    const char* what;
    std::vector<Event> events;
    std::vector<std::optional<Navigation>> steps;  // one for each press
  };
  const Case cases[] = {
      {"Right held repeats",
       {{true, kRightKey, XK_Right}, {true, kRightKey, XK_Right}, {true, kRightKey, XK_Right}},
       {Next, Next, Next}},
      {"Return held acts once",
       {{true, kReturnKey, XK_Return}, {true, kReturnKey, XK_Return}},
       {Activate, std::nullopt}},
      {"Escape held closes once",
       {{true, kEscapeKey, XK_Escape}, {true, kEscapeKey, XK_Escape}},
       {Back, std::nullopt}},
      {"Return pressed twice acts twice",
       {{true, kReturnKey, XK_Return},
        {false, kReturnKey, XK_Return},
        {true, kReturnKey, XK_Return}},
       {Activate, Activate}},
      {"another key between does not end the hold",
       {{true, kReturnKey, XK_Return}, {true, kRightKey, XK_Right}, {true, kReturnKey, XK_Return}},
       {Activate, Next, std::nullopt}},
  };
  for (const Case& c : cases) {
    Keyboard keyboard;
    std::vector<std::optional<Navigation>> steps;
    for (const Event& e : c.events) {
      if (e.press)
        steps.push_back(keyboard.press(e.keycode, e.sym, 0));
      else
        keyboard.release(e.keycode);
    }
    EXPECT_EQ(steps, c.steps) << c.what;
  }
}

struct KeyMap {
  char keys[32] = {};
  explicit KeyMap(std::initializer_list<unsigned> down = {}) {
    for (unsigned code : down) keys[code / 8] |= static_cast<char>(1 << (code % 8));
  }
};

TEST(KeyboardTest, AKeyDownWhenTheFocusCameActsOnlyOnceReleased) {
  Keyboard keyboard;
  keyboard.focus_event(FocusIn, NotifyNonlinear);
  keyboard.keymap(KeyMap{kReturnKey}.keys);
  EXPECT_EQ(keyboard.press(kReturnKey, XK_Return, 0), std::nullopt);
  EXPECT_EQ(keyboard.press(kEscapeKey, XK_Escape, 0), Back);
  keyboard.release(kReturnKey);
  EXPECT_EQ(keyboard.press(kReturnKey, XK_Return, 0), Activate);
}

// The key map that counts is the one sent as the focus arrived: what the
// keys are by the time the FocusIn is handled is told by the key events.
TEST(KeyboardTest, OnlyTheKeyMapThatFollowsGainingTheFocusSaysWhatIsHeld) {
  struct Case {
    const char* what;
    bool focus_gained;
    int maps_before;  // other key maps, each with Return down, before the one that counts
    std::optional<Navigation> step;
  };
  const Case cases[] = {
      {"Return up as the focus came", true, 0, Activate},
      {"a key map without a focus change", false, 1, Activate},
      {"a second key map after the focus came", true, 1, Activate},
  };
  for (const Case& c : cases) {
    Keyboard keyboard;
    if (c.focus_gained) keyboard.focus_event(FocusIn, NotifyNonlinear);
    keyboard.keymap(KeyMap{}.keys);
    for (int i = 0; i < c.maps_before; ++i) keyboard.keymap(KeyMap{kReturnKey}.keys);
    EXPECT_EQ(keyboard.press(kReturnKey, XK_Return, 0), c.step) << c.what;
  }
}

TEST(KeyboardTest, FocusFollowsTheEventsThatConcernTheWindow) {
  struct Event {
    int type, detail;
  };
  struct Case {
    const char* what;
    std::vector<Event> events;
    bool focused;
  };
  const Case cases[] = {
      {"none yet", {}, false},
      {"given by the window manager", {{FocusIn, NotifyNonlinear}}, true},
      {"taken back", {{FocusIn, NotifyNonlinear}, {FocusOut, NotifyNonlinear}}, false},
      {"from its frame", {{FocusIn, NotifyAncestor}}, true},
      {"the pointer in it, the focus on the root", {{FocusIn, NotifyPointer}}, true},
      {"the pointer gone", {{FocusIn, NotifyPointer}, {FocusOut, NotifyPointer}}, false},
      {"from the pointer to itself",
       {{FocusIn, NotifyPointer}, {FocusOut, NotifyPointer}, {FocusIn, NotifyNonlinear}}, true},
      {"a change inside it", {{FocusIn, NotifyNonlinear}, {FocusOut, NotifyInferior}}, true},
      {"between the roots", {{FocusIn, NotifyNonlinear}, {FocusOut, NotifyPointerRoot}}, true},
      {"to nothing", {{FocusIn, NotifyNonlinear}, {FocusOut, NotifyDetailNone}}, true},
  };
  for (const Case& c : cases) {
    Keyboard keyboard;
    for (const Event& e : c.events) keyboard.focus_event(e.type, e.detail);
    EXPECT_EQ(keyboard.focused(), c.focused) << c.what;
  }
}

TEST(KeyboardTest, AKeyReleasedWhileAnotherWindowHadTheFocusIsFreshAgain) {
  Keyboard keyboard;
  EXPECT_EQ(keyboard.press(kReturnKey, XK_Return, 0), Activate);
  keyboard.focus_event(FocusOut, NotifyNonlinear);  // its release goes to the other window
  keyboard.focus_event(FocusIn, NotifyNonlinear);
  keyboard.keymap(KeyMap{}.keys);
  EXPECT_EQ(keyboard.press(kReturnKey, XK_Return, 0), Activate);
}

XEvent key_event(int type, unsigned keycode, Time time) {
  XEvent e{};
  e.xkey.type = type;
  e.xkey.keycode = keycode;
  e.xkey.time = time;
  return e;
}

TEST(KeyboardTest, AReleaseIsARepeatOnlyWhenThePressOfTheSameKeyAtTheSameTimeFollows) {
  struct Case {
    const char* what;
    std::optional<XEvent> next;
    bool repeats;
  };
  const Case cases[] = {
      {"the server's repeat", key_event(KeyPress, kReturnKey, 1000), true},
      {"let go and pressed again", key_event(KeyPress, kReturnKey, 1090), false},
      {"another key at the same time", key_event(KeyPress, kRightKey, 1000), false},
      {"another release", key_event(KeyRelease, kRightKey, 1000), false},
      {"nothing yet", std::nullopt, false},
  };
  const XEvent release = key_event(KeyRelease, kReturnKey, 1000);
  for (const Case& c : cases)
    EXPECT_EQ(repeats(release.xkey, c.next ? &*c.next : nullptr), c.repeats) << c.what;
}

}  // namespace
}  // namespace zol::x11
