#pragma once
// A controller's d-pad or stick held to one side: one step at once, then,
// after a delay, steps at a steady pace for as long as it stays there. Keys
// repeat at the keyboard's own rate instead; this is for pads, which have
// none. Platform-free: each platform feeds it what its pads report, and
// waits for events no longer than until deadline().

#include <chrono>
#include <optional>

#include "host/platform.h"

namespace zol {

class DirectionRepeat {
 public:
  using Clock = std::chrono::milliseconds;  // from any fixed origin
  static constexpr Clock kDelay{250}, kPace{150};

  // The side held now (Previous or Next; nullopt: none) at `now`. Returns
  // the step to take: at a new push, and each time a repeat is due.
  std::optional<Navigation> update(std::optional<Navigation> held, Clock now);
  // When the next repeat is due while the side stays held; nullopt when
  // nothing is held, and no wake-up is needed for this pad.
  std::optional<Clock> deadline() const;

 private:
  std::optional<Navigation> held_;
  Clock next_{};
};

}  // namespace zol
