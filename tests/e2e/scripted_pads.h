#pragma once
// Scripted event devices for the real menu: a folder the preloaded library
// (tests/e2e/scripted_input.cc) puts in the place of /dev/input, where the
// test plugs in, presses and pulls out devices. No test framework in here,
// so the benchmark can share it.

#include <linux/input.h>
#include <sys/types.h>

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace zol::e2e {

struct ScriptedDevice {
  uint16_t vendor = 0, product = 0;
  std::vector<int> keys;
  struct Axis {
    int code, min, max;
  };
  std::vector<Axis> axes;

  // An Xbox 360 pad: hat d-pad, 16-bit sticks.
  static ScriptedDevice xbox_pad(uint16_t vendor = 0x045e, uint16_t product = 0x028e);
  // Steam's virtual pad, which stands for a physical one.
  static ScriptedDevice steam_virtual_pad() { return xbox_pad(0x28de, 0x11ff); }
  // A Nintendo pad: the d-pad as buttons.
  static ScriptedDevice nintendo_pad();
  static ScriptedDevice keyboard();
};

class ScriptedInput {
 public:
  // The folders under `dir`, which must exist.
  explicit ScriptedInput(const std::string& dir);
  ~ScriptedInput();
  ScriptedInput(const ScriptedInput&) = delete;
  ScriptedInput& operator=(const ScriptedInput&) = delete;

  // What the menu's environment needs to see this folder as /dev/input.
  std::vector<std::string> environment() const;

  // A device node appears, `name` as "event7"; one its owner may not read
  // can't be opened until allow().
  void plug(const std::string& name, const ScriptedDevice& device, bool readable = true);
  void allow(const std::string& name);
  void pull(const std::string& name);

  // Writes `events` as the kernel would deliver them; each report is
  // closed by the caller with report().
  void send(const std::string& name, const std::vector<input_event>& events);

  // Whether `pid` holds the device open.
  bool held_by(pid_t pid, const std::string& name) const;

 private:
  std::string node(const std::string& name) const { return dir_ + "/input/" + name; }
  std::string dir_;
  std::map<std::string, int> writers_;
};

input_event pad_event(int type, int code, int value);
inline input_event report() { return pad_event(EV_SYN, SYN_REPORT, 0); }
// A change the device made whose event was lost to an overflow.
input_event lost(int type, int code, int value);

}  // namespace zol::e2e
