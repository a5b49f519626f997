// A held d-pad or stick: the first step at once, repeats after the delay at
// a steady pace, and nothing while it rests.

#include "host/direction_repeat.h"

#include <gtest/gtest.h>

#include <vector>

namespace zol {
namespace {

using enum Navigation;
using Ms = DirectionRepeat::Clock;

struct Sample {
  int at_ms;
  std::optional<Navigation> held;
  std::optional<Navigation> step;  // what it must give
};

TEST(DirectionRepeatTest, StepsAtAPushThenAfterTheDelayAtASteadyPace) {
  struct Case {
    const char* what;
    std::vector<Sample> samples;
  };
  const std::optional<Navigation> none;
  const Case cases[] = {
      {"resting gives nothing", {{0, none, none}, {1000, none, none}}},
      {"a tap is one step",
       {{0, Next, Next}, {16, Next, none}, {33, none, none}, {50, none, none}}},
      {"held: the delay, then the pace",
       {{0, Next, Next}, {249, Next, none}, {250, Next, Next}, {399, Next, none},
        {400, Next, Next}, {550, Next, Next}}},
      {"woken late keeps the pace",
       {{0, Previous, Previous}, {260, Previous, Previous}, {400, Previous, Previous},
        {566, Previous, Previous}, {700, Previous, Previous}}},
      {"after a long stall one step, not a burst",
       {{0, Next, Next}, {2000, Next, Next}, {2001, Next, none}, {2150, Next, Next}}},
      {"the other side is a new push with its own delay",
       {{0, Next, Next}, {200, Previous, Previous}, {300, Previous, none},
        {450, Previous, Previous}}},
      {"released and pushed again starts over",
       {{0, Next, Next}, {240, none, none}, {245, Next, Next}, {260, Next, none},
        {495, Next, Next}}},
  };
  for (const Case& c : cases) {
    DirectionRepeat repeat;
    for (const Sample& s : c.samples)
      EXPECT_EQ(repeat.update(s.held, Ms{s.at_ms}), s.step) << c.what << ", at " << s.at_ms;
  }
}

TEST(DirectionRepeatTest, AWakeUpIsAskedForOnlyWhileASideIsHeld) {
  DirectionRepeat repeat;
  EXPECT_EQ(repeat.deadline(), std::nullopt);
  repeat.update(Next, Ms{1000});
  EXPECT_EQ(repeat.deadline(), Ms{1250});
  repeat.update(Next, Ms{1250});
  EXPECT_EQ(repeat.deadline(), Ms{1400});
  repeat.update(std::nullopt, Ms{1300});
  EXPECT_EQ(repeat.deadline(), std::nullopt);
}

}  // namespace
}  // namespace zol
