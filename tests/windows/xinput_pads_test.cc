// XInput's pads as the menu reads them, through a fake XInputGetState that
// records which slots it was asked for: when it looks, what a press is, the
// stick's dead zone, the repeat, and that with no pad nothing is polled.

#include "host/win32/xinput_pads.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <array>
#include <optional>
#include <vector>

namespace zol::win32 {
namespace {

using enum Navigation;
using Ms = XInputPads::Clock;
using Steps = std::vector<Navigation>;

// What is plugged into each slot, and which slots were asked for.
std::array<std::optional<XINPUT_GAMEPAD>, XUSER_MAX_COUNT> plugged;
std::vector<DWORD> asked;

DWORD WINAPI fake_get_state(DWORD slot, XINPUT_STATE* state) {
  asked.push_back(slot);
  if (!plugged[slot]) return ERROR_DEVICE_NOT_CONNECTED;
  *state = {};
  state->Gamepad = *plugged[slot];
  return ERROR_SUCCESS;
}

XINPUT_GAMEPAD pad(WORD buttons = 0, SHORT stick_x = 0) {
  XINPUT_GAMEPAD p{};
  p.wButtons = buttons;
  p.sThumbLX = stick_x;
  return p;
}

// The pads of a menu that became active at 0 ms, with one pad in slot 0.
struct ActiveMenu {
  explicit ActiveMenu(std::optional<XINPUT_GAMEPAD> first = pad()) {
    plugged = {first, std::nullopt, std::nullopt, std::nullopt};
    asked.clear();
    pads.set_active(true, Ms{0});
    pads.read(Ms{0});
  }
  // Reads as the loop does when its wait ends, until `until`.
  Steps run_until(int until) {
    Steps steps;
    for (Ms now = at;; now += Ms{pads.wait(now)}) {
      if (pads.wait(now) == INFINITE || now > Ms{until}) break;
      at = now;
      for (Navigation n : pads.read(now)) steps.push_back(n);
    }
    at = Ms{until};
    return steps;
  }
  XInputPads pads{fake_get_state};
  Ms at{0};
};

// `state` read for `ms`, in the 50 ms reads of the table below.
std::vector<XINPUT_GAMEPAD> held(XINPUT_GAMEPAD state, int ms) {
  return std::vector<XINPUT_GAMEPAD>(static_cast<size_t>(ms / 50), state);
}

TEST(XInputPadsTest, APressIsOneStepAndWhatWasHeldAtActivationIsNone) {
  struct Case {
    const char* what;
    XINPUT_GAMEPAD at_start;
    std::vector<XINPUT_GAMEPAD> then;  // each read for 50 ms
    Steps steps;
  };
  const Case cases[] = {
      {"A", pad(), {pad(XINPUT_GAMEPAD_A), pad()}, {Activate}},
      {"B", pad(), {pad(XINPUT_GAMEPAD_B)}, {Back}},
      {"A held from before", pad(XINPUT_GAMEPAD_A), {pad(XINPUT_GAMEPAD_A)}, {}},
      {"A held from before, then pressed", pad(XINPUT_GAMEPAD_A),
       {pad(), pad(XINPUT_GAMEPAD_A)}, {Activate}},
      {"other buttons", pad(),
       {pad(XINPUT_GAMEPAD_X), pad(XINPUT_GAMEPAD_Y), pad(XINPUT_GAMEPAD_START),
        pad(XINPUT_GAMEPAD_DPAD_UP), pad(XINPUT_GAMEPAD_DPAD_DOWN)},
       {}},
      {"d-pad tapped", pad(),
       {pad(XINPUT_GAMEPAD_DPAD_RIGHT), pad(), pad(XINPUT_GAMEPAD_DPAD_LEFT), pad()},
       {Next, Previous}},
      {"stick inside the dead zone", pad(), {pad(0, 7849), pad(0, -7849), pad()}, {}},
      {"stick past it", pad(), {pad(0, 7850), pad(), pad(0, -7850), pad()}, {Next, Previous}},
      {"the d-pad wins over the stick", pad(),
       {pad(XINPUT_GAMEPAD_DPAD_LEFT, 30000), pad()}, {Previous}},
      {"d-pad to stick the same way is one push", pad(),
       {pad(XINPUT_GAMEPAD_DPAD_RIGHT), pad(0, 30000), pad()}, {Next}},
      {"a step and a press at once", pad(),
       {pad(XINPUT_GAMEPAD_DPAD_RIGHT | XINPUT_GAMEPAD_A)}, {Next, Activate}},
      // Held past the repeat delay: what was held before the menu came to
      // the front does nothing until it is let go.
      {"the stick held at activation", pad(0, 30000), held(pad(0, 30000), 400), {}},
      {"the d-pad held at activation", pad(XINPUT_GAMEPAD_DPAD_LEFT),
       held(pad(XINPUT_GAMEPAD_DPAD_LEFT), 400), {}},
      {"the stick held at activation, let go, pushed again", pad(0, 30000),
       {pad(0, 30000), pad(), pad(0, 30000), pad()}, {Next}},
  };
  for (const Case& c : cases) {
    ActiveMenu menu(c.at_start);
    Steps steps;
    int until = 0;
    for (const XINPUT_GAMEPAD& state : c.then) {
      plugged[0] = state;
      until += 50;
      for (Navigation n : menu.run_until(until)) steps.push_back(n);
    }
    EXPECT_EQ(steps, c.steps) << c.what;
  }
}

TEST(XInputPadsTest, AHeldSideRepeatsAfterTheDelayAtTheRepeatPace) {
  ActiveMenu menu;
  plugged[0] = pad(XINPUT_GAMEPAD_DPAD_RIGHT);
  EXPECT_EQ(menu.run_until(250), Steps{Next});  // at the first poll, 16 ms
  // 250 ms after, then every 150 ms, each at the first poll when due.
  EXPECT_EQ(menu.run_until(600), (Steps{Next, Next, Next}));
  plugged[0] = pad();
  EXPECT_EQ(menu.run_until(2000), Steps{});
}

TEST(XInputPadsTest, PollsOnlyWhileAPadIsConnectedAndTheMenuActive) {
  ActiveMenu menu(std::nullopt);
  EXPECT_EQ(asked, (std::vector<DWORD>{0, 1, 2, 3})) << "all four slots at activation";
  EXPECT_EQ(menu.pads.wait(Ms{1}), INFINITE) << "no pad: no wake-up";

  // One arrives: the device list changed.
  plugged[2] = pad();
  asked.clear();
  menu.pads.devices_changed(Ms{1000});
  EXPECT_EQ(menu.pads.wait(Ms{1000}), 0u);
  menu.run_until(1100);
  EXPECT_EQ(asked.front(), 0u);
  EXPECT_EQ(std::count(asked.begin(), asked.end(), 2), std::ssize(asked) - 3)
      << "after the look, only the slot with a pad";
  EXPECT_LE(menu.pads.wait(menu.at), 16u);

  // Pulled out: no more polls.
  plugged[2].reset();
  menu.run_until(1200);
  EXPECT_FALSE(menu.pads.any_connected());
  // The looks after the change are still due; then nothing.
  menu.run_until(4000);
  asked.clear();
  EXPECT_EQ(menu.pads.wait(Ms{4000}), INFINITE);

  // Inactive, nothing is read, whatever happens.
  plugged[0] = pad();
  menu.pads.set_active(false, Ms{5000});
  menu.pads.devices_changed(Ms{5000});
  EXPECT_EQ(menu.pads.wait(Ms{5000}), INFINITE);
  EXPECT_EQ(menu.pads.read(Ms{5000}), Steps{});
  EXPECT_EQ(asked, std::vector<DWORD>{});
}

TEST(XInputPadsTest, APadThatXInputSeesLateIsFoundByALaterLook) {
  ActiveMenu menu(std::nullopt);
  menu.pads.devices_changed(Ms{1000});
  menu.run_until(1200);
  EXPECT_FALSE(menu.pads.any_connected());
  plugged[1] = pad();
  menu.run_until(1350);
  EXPECT_TRUE(menu.pads.any_connected()) << "looked again 300 ms after the change";
  plugged[1] = pad(XINPUT_GAMEPAD_A);
  EXPECT_EQ(menu.run_until(1400), Steps{Activate});
}

}  // namespace
}  // namespace zol::win32
