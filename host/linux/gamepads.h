#pragma once
// The game controllers among a folder's event devices (the kernel's
// /dev/input), known by what each device reports of itself, and watched for
// pads that come and go. Their descriptors are waited on in the same wait as
// the window system's connection: no thread, and no timeout unless a held
// direction is due to repeat. The wait itself is the window system's.

#include <poll.h>

#include <string>
#include <vector>

#include "host/platform.h"
#include "host/linux/pad_state.h"
#include "host/linux/steam_filter.h"

namespace zol::pads {

class Gamepads {
 public:
  // Pads that can't be opened, or are not kept by `filter`, are passed over
  // silently; so is a folder that is not there.
  Gamepads(std::string folder, SteamFilter filter);
  ~Gamepads();
  Gamepads(const Gamepads&) = delete;
  Gamepads& operator=(const Gamepads&) = delete;

  // Appends the descriptors to wait on for reading.
  void add_descriptors(std::vector<pollfd>& fds) const;
  // How long the wait may last before a held direction is due; -1: for ever.
  int timeout_ms(Clock::time_point now) const;
  // After the wait, `fds` as add_descriptors() appended them, their
  // revents filled in: reads what came; the steps, in order.
  std::vector<Navigation> take(const pollfd* fds, Clock::time_point now);
  // Held directions stop repeating until they are let go.
  void cancel_repeats();

 private:
  struct Pad {
    std::string name;
    int fd;
    PadState state;
  };

  void scan();
  void take_changes();
  void try_open(const std::string& name);
  bool read_pad(Pad& pad, Clock::time_point now, std::vector<Navigation>& steps);

  std::string folder_;
  SteamFilter filter_;
  int watch_ = -1;  // inotify on the folder
  std::vector<Pad> pads_;
};

}  // namespace zol::pads
