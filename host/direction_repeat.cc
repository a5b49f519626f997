#include "host/direction_repeat.h"

namespace zol {

std::optional<Navigation> DirectionRepeat::update(std::optional<Navigation> held, Clock now) {
  if (held != held_) {
    held_ = held;
    next_ = now + kDelay;
    return held;
  }
  if (!held_ || now < next_) return std::nullopt;
  // A steady pace even when woken late; after a long stall, one step, not a burst.
  next_ += kPace;
  if (next_ <= now) next_ = now + kPace;
  return held_;
}

std::optional<DirectionRepeat::Clock> DirectionRepeat::deadline() const {
  if (!held_) return std::nullopt;
  return next_;
}

}  // namespace zol
