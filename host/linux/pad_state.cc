#include "host/linux/pad_state.h"

#include <algorithm>
#include <cstdint>

namespace zol::pads {
namespace {

PadRule::Clock ms(Clock::time_point t) {
  return std::chrono::duration_cast<PadRule::Clock>(t.time_since_epoch());
}

int sign(int64_t v) { return (v > 0) - (v < 0); }

}  // namespace

int normalised(AxisRange r, int value) {
  // Doubled, so that an even count of values has a whole centre.
  int64_t offset = int64_t{value} * 2 - r.min - r.max, half = int64_t{r.max} - r.min;
  if ((int64_t{r.min} + r.max) % 2 != 0) {
    offset -= sign(offset);
    --half;
  }
  if (half <= 0) return 0;
  offset = std::clamp(offset, -half, half);
  return static_cast<int>(offset * kStickHalfRange / half);
}

bool is_gamepad(const Capabilities& caps) {
  for (int code = BTN_GAMEPAD; code <= BTN_THUMBR; ++code)
    if (caps.keys.test(code)) return true;
  return caps.axes.test(ABS_HAT0X);
}

PadState::PadState(AxisRange hat, AxisRange stick) : hat_(hat), stick_(stick) {
  reported_ = applied_ = at_rest();
}

Controls PadState::at_rest() const {
  Controls c;
  c.hat = static_cast<int>((int64_t{hat_.min} + hat_.max) / 2);
  c.stick = static_cast<int>((int64_t{stick_.min} + stick_.max) / 2);
  return c;
}

void PadState::start_from(const Controls& held) {
  reported_ = applied_ = held;
  rule_.start_from(report_of(held));
}

PadReport PadState::report_of(const Controls& c) const {
  PadReport r;
  r.dpad = sign(normalised(hat_, c.hat));
  if (r.dpad == 0) r.dpad = int{c.dpad_right} - int{c.dpad_left};
  r.stick_x = normalised(stick_, c.stick);
  r.south = c.south;
  r.east = c.east;
  return r;
}

bool PadState::feed(const input_event& e, Clock::time_point now, std::vector<Navigation>& steps) {
  if (e.type == EV_SYN) {
    if (e.code == SYN_DROPPED) {
      dropping_ = true;
    } else if (e.code == SYN_REPORT) {
      if (!dropping_) {
        apply(now, steps);
        return false;
      }
      // What came since the loss is a fragment: the device is asked instead.
      dropping_ = false;
      reported_ = applied_;
      return true;
    }
    return false;
  }
  if (dropping_) return false;
  if (e.type == EV_ABS) {
    if (e.code == ABS_HAT0X) reported_.hat = e.value;
    if (e.code == ABS_X) reported_.stick = e.value;
  } else if (e.type == EV_KEY) {
    const bool down = e.value != 0;
    switch (e.code) {
      case BTN_SOUTH: reported_.south = down; break;
      case BTN_EAST: reported_.east = down; break;
      case BTN_DPAD_LEFT: reported_.dpad_left = down; break;
      case BTN_DPAD_RIGHT: reported_.dpad_right = down; break;
      default: break;
    }
  }
  return false;
}

void PadState::resync(const Controls& now_reported, Clock::time_point now,
                      std::vector<Navigation>& steps) {
  reported_ = now_reported;
  apply(now, steps);
}

void PadState::apply(Clock::time_point now, std::vector<Navigation>& steps) {
  rule_.report(report_of(reported_), ms(now), steps);
  applied_ = reported_;
}

void PadState::repeat(Clock::time_point now, std::vector<Navigation>& steps) {
  rule_.repeat(ms(now), steps);
}

std::optional<Clock::time_point> PadState::next_repeat() const {
  const std::optional<PadRule::Clock> due = rule_.next_repeat();
  if (!due) return std::nullopt;
  return Clock::time_point(std::chrono::duration_cast<Clock::duration>(*due));
}

}  // namespace zol::pads
