#include "host/linux/pad_state.h"

#include <cstdint>

namespace zol::pads {
namespace {

// The stick is let go a little inside its dead zone, so that a stick
// resting at the zone's edge does not step again with every tremor.
constexpr int64_t kLetGoPercent = 75;

DirectionRepeat::Clock ms(Clock::time_point t) {
  return std::chrono::duration_cast<DirectionRepeat::Clock>(t.time_since_epoch());
}

bool empty(AxisRange r) { return r.max <= r.min; }

// The axis' position from its centre, doubled so that an even range has a
// whole centre, and the matching full deflection.
int64_t offset2(AxisRange r, int value) { return int64_t{value} * 2 - r.min - r.max; }
int64_t half2(AxisRange r) { return int64_t{r.max} - r.min; }

int sign(int64_t v) { return (v > 0) - (v < 0); }

}  // namespace

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

int PadState::direction_of(const Controls& c) {
  if (!empty(stick_)) {
    const int64_t off = offset2(stick_, c.stick), full = half2(stick_);
    const int64_t dead = full * kStickDeadZone / kStickHalfRange;
    const int64_t tilt = off < 0 ? -off : off;
    if (tilt > dead)
      stick_direction_ = sign(off);
    else if (tilt * 100 < dead * kLetGoPercent)
      stick_direction_ = 0;
  }
  int hat = empty(hat_) ? 0 : sign(offset2(hat_, c.hat));
  const int buttons = int{c.dpad_right} - int{c.dpad_left};
  if (hat == 0) hat = buttons;
  return hat != 0 ? hat : stick_direction_;
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
  const int direction = direction_of(reported_);
  if (direction != held_) cancelled_ = false;
  held_ = direction;
  repeat(now, steps);
  if (reported_.south && !applied_.south) steps.push_back(Navigation::Activate);
  if (reported_.east && !applied_.east) steps.push_back(Navigation::Back);
  applied_ = reported_;
}

void PadState::repeat(Clock::time_point now, std::vector<Navigation>& steps) {
  std::optional<Navigation> side;
  if (held_ != 0 && !cancelled_) side = held_ < 0 ? Navigation::Previous : Navigation::Next;
  if (const std::optional<Navigation> step = repeat_.update(side, ms(now))) steps.push_back(*step);
}

std::optional<Clock::time_point> PadState::next_repeat() const {
  const std::optional<DirectionRepeat::Clock> due = repeat_.deadline();
  if (!due || cancelled_) return std::nullopt;
  return Clock::time_point(std::chrono::duration_cast<Clock::duration>(*due));
}

}  // namespace zol::pads
