// The one place the X11 platform blocks. It waits on descriptors rather than
// inside Xlib so that the game controllers share the wait: no thread and no
// timer, so nothing runs while nothing happens.

#include <poll.h>

#include <cerrno>
#include <cstring>
#include <span>
#include <string>

#include "host/linux/gamepads.h"
#include "host/x11/keyboard.h"
#include "host/x11/platform.h"
#include "host/x11/screen_reader.h"

namespace zol::x11 {
namespace {

// Until `connection` has something to read, or the pads make a step, or a
// screen reader's bus had something to serve.
std::vector<Navigation> wait_on(int connection, pads::Gamepads& pads, ScreenReader* reader) {
  for (;;) {
    std::vector<pollfd> fds{{connection, POLLIN, 0}};
    pads.add_descriptors(fds);
    const size_t bus = fds.size();
    if (reader) reader->add_descriptors(fds);
    if (poll(fds.data(), fds.size(), pads.timeout_ms(pads::Clock::now())) < 0) {
      if (errno == EINTR) continue;
      throw PlatformError(std::string("Warten auf Eingaben fehlgeschlagen: ") +
                          std::strerror(errno));
    }
    std::vector<Navigation> steps = pads.take(fds.data() + 1, pads::Clock::now());
    bool served = false;
    if (reader) {
      const std::span<const pollfd> mine(fds.data() + bus, fds.size() - bus);
      for (const pollfd& p : mine) served = served || p.revents;
      reader->handle(mine);
    }
    if (!steps.empty() || fds[0].revents || served) return steps;
  }
}

}  // namespace

std::vector<Navigation> wait_for_input(Display* display, const Keyboard& keyboard,
                                       pads::Gamepads& pads,
                                       const std::function<void(XEvent&)>& handle,
                                       ScreenReader* reader) {
  // libdbus reads ahead as Xlib does: what it holds is dispatched first,
  // and answering may ask the X server, so Xlib's queue is checked after.
  if (reader) reader->drain();
  // The last Xlib call before poll(): it flushes and reads, and finding
  // nothing it leaves nothing behind. XFlush would not do: it may move
  // events from the socket into Xlib's queue, where poll() can't see them.
  if (XPending(display) > 0) return {};
  std::vector<Navigation> steps = wait_on(ConnectionNumber(display), pads, reader);
  if (steps.empty()) return steps;
  // What the server sent with the press counts first, as it would for a
  // key: a grab's FocusOut that came meanwhile wins.
  while (XPending(display) > 0) {
    XEvent event;
    XNextEvent(display, &event);
    handle(event);
  }
  // The keyboard's focus, not the server's: during another client's grab
  // (a screen locker) the server still names our window.
  if (!keyboard.focused()) {
    pads.cancel_repeats();
    steps.clear();
  }
  return steps;
}

}  // namespace zol::x11
