#pragma once
// Private to the Win32 platform: game controllers through XInput, all four
// slots. Read at about 60 Hz only while one is connected and the menu (or
// its failure message) is active; with none, nothing wakes the menu. It
// learns of a pad at each activation and when the device list changes.

#include "host/win32/system_library.h"  // windows.h as the room includes it

#include <xinput.h>

#include <array>
#include <vector>

#include "host/pad_rule.h"
#include "host/platform.h"

namespace zol::win32 {

// Asks the system to tell `window` (WM_DEVICECHANGE) when a HID device, such
// as a pad, comes. nullptr when it refuses: the next activation still looks.
HDEVNOTIFY notify_on_pad_arrivals(HWND window);

class XInputPads {
 public:
  using Clock = PadRule::Clock;
  using GetStateFunction = DWORD(WINAPI*)(DWORD, XINPUT_STATE*);
  static constexpr Clock kPollInterval{16};
  // XInput may see a pad a moment after the device list changed: look again
  // this long after a change, as well as at once.
  static constexpr Clock kLookAgain[] = {Clock{300}, Clock{2000}};

  // Loads XInput from System32 when it first looks (xinput1_4.dll, else
  // xinput9_1_0.dll); without either, it never finds a pad.
  XInputPads() = default;
  // For tests: reads through `get_state` in place of XInput.
  explicit XInputPads(GetStateFunction get_state) : get_state_(get_state), loaded_(true) {}
  ~XInputPads();
  XInputPads(const XInputPads&) = delete;
  XInputPads& operator=(const XInputPads&) = delete;

  // The menu's application became active (looks for pads) or inactive.
  void set_active(bool active, Clock now);
  // The system's device list changed: a pad may have come.
  void devices_changed(Clock now);
  // How long the event wait may last, in ms; INFINITE when nothing is to be read.
  DWORD wait(Clock now) const;
  // Looks and reads what is due at `now`: the steps the pads ask for.
  std::vector<Navigation> read(Clock now);
  bool any_connected() const;

 private:
  struct Slot {
    bool connected = false;
    PadRule rule;
  };
  void read_slot(DWORD index, Slot& slot, Clock now, std::vector<Navigation>& steps);
  void load();

  GetStateFunction get_state_ = nullptr;
  HMODULE library_ = nullptr;
  bool loaded_ = false;
  bool active_ = false;
  std::array<Slot, XUSER_MAX_COUNT> slots_;
  std::vector<Clock> looks_;  // when to look at all four slots
  Clock next_poll_{};
};

}  // namespace zol::win32
