#include "host/pad_rule.h"

#include <cstdlib>

namespace zol {

// The stick is let go three quarters inside its dead zone, so that a stick
// resting at the zone's edge does not step again with every tremor.
int PadRule::side_of(const PadReport& r) {
  const int tilt = std::abs(r.stick_x);
  if (tilt > kStickDeadZone)
    stick_side_ = r.stick_x < 0 ? -1 : 1;
  else if (tilt * 4 < kStickDeadZone * 3)
    stick_side_ = 0;
  return r.dpad != 0 ? r.dpad : stick_side_;
}

void PadRule::start_from(const PadReport& held) {
  stick_side_ = 0;
  held_ = side_of(held);
  held_off_ = held_ != 0;
  repeat_ = {};
  last_ = held;
}

void PadRule::report(const PadReport& r, Clock now, std::vector<Navigation>& steps) {
  const int side = side_of(r);
  if (side != held_) held_off_ = false;
  held_ = side;
  repeat(now, steps);
  if (r.south && !last_.south) steps.push_back(Navigation::Activate);
  if (r.east && !last_.east) steps.push_back(Navigation::Back);
  last_ = r;
}

void PadRule::repeat(Clock now, std::vector<Navigation>& steps) {
  std::optional<Navigation> side;
  if (held_ != 0 && !held_off_) side = held_ < 0 ? Navigation::Previous : Navigation::Next;
  if (const std::optional<Navigation> step = repeat_.update(side, now)) steps.push_back(*step);
}

std::optional<PadRule::Clock> PadRule::next_repeat() const {
  if (held_off_) return std::nullopt;
  return repeat_.deadline();
}

}  // namespace zol
