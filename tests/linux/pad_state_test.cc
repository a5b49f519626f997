// A controller's events become the menu's steps: which devices are pads,
// what their hat, d-pad buttons, stick and face buttons do, losses, and
// the repeat of a held direction.

#include "host/linux/pad_state.h"

#include <gtest/gtest.h>

#include <initializer_list>
#include <string>
#include <vector>

namespace zol::pads {
namespace {

using namespace std::chrono_literals;
using N = Navigation;

Capabilities caps(std::initializer_list<int> keys, std::initializer_list<int> axes) {
  Capabilities c;
  for (int k : keys) c.keys.set(k);
  for (int a : axes) c.axes.set(a);
  return c;
}

TEST(PadStateTest, APadIsKnownByItsGamepadButtonsOrAHat) {
  struct Case {
    const char* device;
    Capabilities caps;
    bool pad;
  };
  const Case cases[] = {
      {"xbox pad", caps({BTN_SOUTH, BTN_EAST, BTN_START}, {ABS_X, ABS_Y, ABS_HAT0X}), true},
      {"nintendo pad", caps({BTN_SOUTH, BTN_DPAD_LEFT, BTN_DPAD_RIGHT}, {ABS_X}), true},
      {"last gamepad button only", caps({BTN_THUMBR}, {}), true},
      {"flight stick with a hat", caps({BTN_TRIGGER}, {ABS_X, ABS_HAT0X}), true},
      {"keyboard", caps({KEY_A, KEY_ENTER, KEY_RIGHT}, {}), false},
      {"mouse", caps({BTN_LEFT, BTN_RIGHT}, {}), false},
      {"touchpad", caps({BTN_TOUCH, BTN_TOOL_FINGER}, {ABS_X, ABS_Y}), false},
      {"motion sensors", caps({}, {ABS_X, ABS_Y, ABS_Z, ABS_RX}), false},
      {"joystick buttons only", caps({BTN_TRIGGER, BTN_THUMB}, {ABS_X}), false},
      {"extra buttons past the pad range", caps({BTN_TRIGGER_HAPPY1}, {}), false},
  };
  for (const Case& c : cases) EXPECT_EQ(is_gamepad(c.caps), c.pad) << c.device;
}

input_event event(int type, int code, int value) {
  input_event e{};
  e.type = static_cast<uint16_t>(type);
  e.code = static_cast<uint16_t>(code);
  e.value = value;
  return e;
}
const input_event kReport = event(EV_SYN, SYN_REPORT, 0);
const input_event kDropped = event(EV_SYN, SYN_DROPPED, 0);
input_event key(int code, int value) { return event(EV_KEY, code, value); }
input_event hat(int value) { return event(EV_ABS, ABS_HAT0X, value); }
input_event stick(int value) { return event(EV_ABS, ABS_X, value); }

constexpr AxisRange kHat{-1, 1}, kStick{-32768, 32767}, kByteStick{0, 255}, kNone{};

// Feeds the events at one moment; the steps they make.
std::vector<N> feed(PadState& pad, std::initializer_list<input_event> events,
                    Clock::time_point at = Clock::time_point()) {
  std::vector<N> steps;
  for (const input_event& e : events) pad.feed(e, at, steps);
  return steps;
}

TEST(PadStateTest, ControlsMakeTheirSteps) {
  struct Case {
    const char* what;
    AxisRange hat, stick;
    std::vector<input_event> events;
    std::vector<N> steps;
  };
  const Case cases[] = {
      {"hat right, let go", kHat, kStick, {hat(1), kReport, hat(0), kReport}, {N::Next}},
      {"hat left", kHat, kStick, {hat(-1), kReport}, {N::Previous}},
      {"hat on a 0..2 range", {0, 2}, kNone, {hat(1), kReport, hat(2), kReport}, {N::Next}},
      {"d-pad buttons", kNone, kNone,
       {key(BTN_DPAD_RIGHT, 1), kReport, key(BTN_DPAD_RIGHT, 0), kReport, key(BTN_DPAD_LEFT, 1),
        kReport},
       {N::Next, N::Previous}},
      {"both d-pad buttons cancel out", kNone, kNone,
       {key(BTN_DPAD_RIGHT, 1), key(BTN_DPAD_LEFT, 1), kReport}, {}},
      {"south, held, let go", kHat, kStick,
       {key(BTN_SOUTH, 1), kReport, key(BTN_SOUTH, 2), kReport, key(BTN_SOUTH, 0), kReport},
       {N::Activate}},
      {"east", kHat, kStick, {key(BTN_EAST, 1), kReport}, {N::Back}},
      {"nothing before the report", kHat, kStick, {hat(1), key(BTN_SOUTH, 1)}, {}},
      {"a press and release in one report", kHat, kStick,
       {key(BTN_SOUTH, 1), key(BTN_SOUTH, 0), kReport}, {}},
      {"other buttons and axes", kHat, kStick,
       {key(BTN_NORTH, 1), key(BTN_WEST, 1), event(EV_ABS, ABS_Y, 32767), event(EV_ABS, ABS_HAT0Y, 1),
        kReport},
       {}},
      {"stick inside the dead zone", kHat, kStick, {stick(7000), kReport, stick(-7000), kReport}, {}},
      {"stick past it", kHat, kStick, {stick(9000), kReport, stick(0), kReport, stick(-9000), kReport},
       {N::Next, N::Previous}},
      {"stick flicked across", kHat, kStick, {stick(30000), kReport, stick(-30000), kReport},
       {N::Next, N::Previous}},
      {"a tremor at the zone's edge steps once", kHat, kStick,
       {stick(9000), kReport, stick(7000), kReport, stick(9000), kReport, stick(6500), kReport,
        stick(8000), kReport},
       {N::Next}},
      {"let go well inside, pushed again", kHat, kStick,
       {stick(9000), kReport, stick(5000), kReport, stick(9000), kReport}, {N::Next, N::Next}},
      {"stick on a byte range", kHat, kByteStick,
       {stick(150), kReport, stick(255), kReport, stick(128), kReport, stick(0), kReport},
       {N::Next, N::Previous}},
      {"a pad without a stick ignores ABS_X", kHat, kNone, {stick(30000), kReport}, {}},
      {"the hat wins over the stick", kHat, kStick,
       {stick(30000), hat(-1), kReport, hat(0), kReport}, {N::Previous, N::Next}},
  };
  for (const Case& c : cases) {
    PadState pad(c.hat, c.stick);
    std::vector<N> steps;
    for (const input_event& e : c.events) pad.feed(e, Clock::time_point(), steps);
    EXPECT_EQ(steps, c.steps) << c.what;
  }
}

// The dead zone and the let-go margin are shares of the stick's half range,
// so a stick of few positions once had none: pushed, it never let go.
TEST(PadStateTest, AStickOfAnyRangeStepsOncePerPushAndRestsAtItsCentre) {
  struct Case {
    AxisRange range;
    int rest, left, right;
    std::vector<N> steps;
  };
  const Case cases[] = {
      {{-1, 1}, 0, -1, 1, {N::Next, N::Previous}},
      {{0, 2}, 1, 0, 2, {N::Next, N::Previous}},
      {{-2, 2}, 0, -2, 2, {N::Next, N::Previous}},
      {{-2, 2}, 0, -1, 1, {N::Next, N::Previous}},
      {{0, 4}, 2, 0, 4, {N::Next, N::Previous}},
      {{0, 3}, 1, 0, 3, {N::Next, N::Previous}},
      // Two positions have no centre: neither can be told from rest.
      {{0, 1}, 0, 0, 1, {}},
      {{0, 1}, 1, 0, 1, {}},
  };
  for (const Case& c : cases) {
    PadState pad(kNone, c.range);
    const Clock::time_point t0;
    std::vector<N> steps = feed(pad, {stick(c.rest), kReport}, t0);
    const auto push = [&](int value, std::chrono::milliseconds at) {
      for (N step : feed(pad, {stick(value), kReport}, t0 + at)) steps.push_back(step);
      for (N step : feed(pad, {stick(c.rest), kReport}, t0 + at + 50ms)) steps.push_back(step);
      pad.repeat(t0 + at + 2s, steps);
    };
    push(c.right, 100ms);
    push(c.left, 3s);
    const std::string range = std::to_string(c.range.min) + ".." + std::to_string(c.range.max);
    EXPECT_EQ(steps, c.steps) << range << " pushed to " << c.left << " and " << c.right;
    EXPECT_FALSE(pad.next_repeat()) << range;
  }
}

// The kernel sends nothing for what a pad already holds when it is opened.
TEST(PadStateTest, WhatIsHeldWhenFirstSeenDoesNothingUntilLetGo) {
  struct Case {
    const char* what;
    Controls held;
    std::vector<input_event> events;
    std::vector<N> steps;
  };
  const Case cases[] = {
      {"the stick, trembling", {.stick = 30000}, {stick(29000), kReport, stick(30000), kReport}, {}},
      {"the stick, let go, pushed", {.stick = 30000},
       {stick(0), kReport, stick(30000), kReport}, {N::Next}},
      {"the hat, then the other way", {.hat = 1}, {hat(-1), kReport}, {N::Previous}},
  };
  for (const Case& c : cases) {
    PadState pad(kHat, kStick);
    pad.start_from(c.held);
    std::vector<N> steps;
    for (const input_event& e : c.events) pad.feed(e, Clock::time_point(), steps);
    EXPECT_EQ(steps, c.steps) << c.what;
  }
}

TEST(PadStateTest, AfterALossTheFragmentIsDroppedAndTheDeviceAskedInstead) {
  PadState pad(kHat, kStick);
  std::vector<N> steps;
  const Clock::time_point t0;
  pad.feed(hat(1), t0, steps);
  EXPECT_FALSE(pad.feed(kReport, t0, steps));
  EXPECT_FALSE(pad.feed(kDropped, t0, steps));
  EXPECT_FALSE(pad.feed(key(BTN_EAST, 1), t0, steps));  // the tail of a lost report
  EXPECT_TRUE(pad.feed(kReport, t0, steps));
  EXPECT_EQ(steps, std::vector<N>{N::Next});

  // The release was lost: the direction is let go, and repeats no more.
  Controls now = pad.at_rest();
  pad.resync(now, t0 + 10ms, steps);
  EXPECT_EQ(steps, std::vector<N>{N::Next});
  EXPECT_FALSE(pad.next_repeat());

  // A press that was lost steps as if it had been read.
  now.south = true;
  pad.resync(now, t0 + 20ms, steps);
  EXPECT_EQ(steps, (std::vector<N>{N::Next, N::Activate}));
  EXPECT_TRUE(feed(pad, {kReport}).empty());
}

TEST(PadStateTest, AHeldDirectionRepeatsAfterTheDelayAtTheSteadyPace) {
  PadState pad(kHat, kStick);
  const Clock::time_point t0 = Clock::time_point() + 1h;
  EXPECT_FALSE(pad.next_repeat());
  EXPECT_EQ(feed(pad, {stick(-30000), kReport}, t0), std::vector<N>{N::Previous});
  EXPECT_EQ(pad.next_repeat(), t0 + DirectionRepeat::kDelay);

  struct Tick {
    std::chrono::milliseconds at;
    size_t steps;
    std::chrono::milliseconds next;
  };
  // The pace itself is DirectionRepeat's; this is the pad keeping to it.
  const Tick ticks[] = {{249ms, 0, 250ms}, {250ms, 1, 400ms}, {2000ms, 1, 2150ms}};
  for (const Tick& t : ticks) {
    std::vector<N> steps;
    pad.repeat(t0 + t.at, steps);
    EXPECT_EQ(steps, std::vector<N>(t.steps, N::Previous)) << t.at.count();
    EXPECT_EQ(pad.next_repeat(), t0 + t.next) << t.at.count();
  }

  // Pushed on within the same direction: no new step, the pace goes on.
  EXPECT_TRUE(feed(pad, {stick(-32768), kReport}, t0 + 2100ms).empty());
  EXPECT_EQ(pad.next_repeat(), t0 + 2150ms);
  EXPECT_TRUE(feed(pad, {stick(0), kReport}, t0 + 2120ms).empty());
  EXPECT_FALSE(pad.next_repeat());
}

TEST(PadStateTest, ACancelledRepeatWaitsForTheNextPress) {
  PadState pad(kHat, kStick);
  const Clock::time_point t0;
  feed(pad, {hat(1), kReport}, t0);
  pad.cancel_repeat();
  EXPECT_FALSE(pad.next_repeat());
  std::vector<N> steps;
  pad.repeat(t0 + 1s, steps);
  EXPECT_TRUE(steps.empty());
  EXPECT_TRUE(feed(pad, {hat(1), kReport}, t0 + 2s).empty());
  EXPECT_EQ(feed(pad, {hat(0), kReport, hat(1), kReport}, t0 + 3s), std::vector<N>{N::Next});
  EXPECT_EQ(pad.next_repeat(), t0 + 3s + DirectionRepeat::kDelay);
}

}  // namespace
}  // namespace zol::pads
