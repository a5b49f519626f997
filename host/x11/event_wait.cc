// The one place the X11 platform blocks. It waits on descriptors rather than
// inside Xlib so that other input (game controllers) can share the wait: no
// thread and no timer, so nothing runs while nothing happens.

#include <poll.h>

#include <cerrno>

#include "host/x11/platform.h"

namespace zol::x11 {

void next_event(Display* display, XEvent& event) {
  // XPending reads what has arrived without blocking; a lost connection
  // ends the process through the I/O error handler there.
  while (XPending(display) == 0) {
    pollfd fd{ConnectionNumber(display), POLLIN, 0};
    if (poll(&fd, 1, -1) < 0 && errno != EINTR) break;
  }
  XNextEvent(display, &event);
}

}  // namespace zol::x11
