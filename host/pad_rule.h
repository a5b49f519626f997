#pragma once
// What a game controller's reports mean for the menu, whatever reads them:
// the d-pad over the left stick, the stick's dead zone and let-go margin,
// A and B at the moment they go down, and the repeat of a held side. What
// is held when a pad is first seen, or when the menu comes to the front,
// was pressed for something else: it does nothing until it is let go.
// Platform-free: each platform turns its device's report into a PadReport.

#include <optional>
#include <vector>

#include "host/direction_repeat.h"
#include "host/platform.h"

namespace zol {

// A stick counts as pushed to one side past this share of its half range:
// XInput's usual dead zone, 7849 of 32767.
inline constexpr int kStickDeadZone = 7849, kStickHalfRange = 32767;

// One whole report of a pad.
struct PadReport {
  int dpad = 0;     // -1 left, 1 right, 0 neither (or both)
  int stick_x = 0;  // the left stick, -32767 (left) to 32767 (right); 0 at rest
  bool south = false, east = false;  // A and B on an Xbox pad
};

class PadRule {
 public:
  using Clock = DirectionRepeat::Clock;

  // What `held` holds does nothing until it is let go.
  void start_from(const PadReport& held);
  // The steps a report makes at `now`, appended to `steps`.
  void report(const PadReport& now_reported, Clock now, std::vector<Navigation>& steps);
  // The repeat due by `now`, if one is.
  void repeat(Clock now, std::vector<Navigation>& steps);
  // When a held side steps again; nullopt when none is held or it was held off.
  std::optional<Clock> next_repeat() const;
  // The side held now does nothing more until it is let go.
  void hold_off() { held_off_ = held_ != 0; }

 private:
  int side_of(const PadReport& r);

  PadReport last_;
  int stick_side_ = 0, held_ = 0;
  bool held_off_ = false;
  DirectionRepeat repeat_;
};

}  // namespace zol
