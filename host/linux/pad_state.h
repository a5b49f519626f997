#pragma once
// What one game controller's event device means for the menu: whether it is
// a pad at all, and its buttons, d-pad and left stick as the pad rule's
// reports (host/pad_rule.h), its axes on the rule's scale whatever their
// range. No I/O here: the reader (gamepads.h) feeds it the kernel's events
// and the time.

#include <linux/input.h>

#include <bitset>
#include <chrono>
#include <optional>
#include <vector>

#include "host/pad_rule.h"
#include "host/platform.h"

namespace zol::pads {

using Clock = std::chrono::steady_clock;

// What a device says it has (EVIOCGBIT).
struct Capabilities {
  std::bitset<KEY_CNT> keys;
  std::bitset<ABS_CNT> axes;
};

// A pad has gamepad buttons or a hat; keyboards, mice and motion sensors don't.
bool is_gamepad(const Capabilities& caps);

// An axis' range as EVIOCGABS gives it.
struct AxisRange {
  int min = 0, max = 0;
};

// The controls that navigate, as the device last reported them.
struct Controls {
  int hat = 0, stick = 0;  // raw axis values
  bool dpad_left = false, dpad_right = false, south = false, east = false;
};

class PadState {
 public:
  // Ranges of the hat and the left stick; an empty range: the pad has none.
  PadState(AxisRange hat, AxisRange stick);

  // What a device with these reports is when nothing is pressed.
  Controls at_rest() const;
  // What the device holds when first seen: none of it steps until let go.
  void start_from(const Controls& held);

  // One event as read. Steps are made when a report completes. True when
  // events were dropped and the report that followed has come: the caller
  // then reads the whole state from the device and hands it to resync().
  bool feed(const input_event& event, Clock::time_point now, std::vector<Navigation>& steps);
  // The device's whole state after a loss; changes since the last report
  // step as if they had been reported.
  void resync(const Controls& now_reported, Clock::time_point now, std::vector<Navigation>& steps);

  // When a held direction steps again; nullopt when none is held or it was cancelled.
  std::optional<Clock::time_point> next_repeat() const;
  // The repeat due by `now`, if one is.
  void repeat(Clock::time_point now, std::vector<Navigation>& steps);
  // The held direction no longer repeats until it is let go and pressed again.
  void cancel_repeat() { rule_.hold_off(); }

 private:
  void apply(Clock::time_point now, std::vector<Navigation>& steps);
  PadReport report_of(const Controls& c) const;

  AxisRange hat_, stick_;
  Controls reported_, applied_;
  bool dropping_ = false;
  PadRule rule_;
};

// `value` on the pad rule's scale, -32767 to 32767 from the range's centre.
// Where the centre falls between two values, both are the centre.
int normalised(AxisRange range, int value);

}  // namespace zol::pads
