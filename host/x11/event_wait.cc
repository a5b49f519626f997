// The one place the X11 platform blocks. It waits on descriptors rather than
// inside Xlib so that the game controllers share the wait: no thread and no
// timer, so nothing runs while nothing happens.

#include "host/x11/gamepads.h"
#include "host/x11/platform.h"
#include "host/x11/screen_reader.h"

namespace zol::x11 {
namespace {

// Asked only when a pad makes a step, so a press costs one round trip and
// nothing else does.
bool has_focus(Display* display, Window window) {
  Window focus = None;
  int revert = 0;
  XGetInputFocus(display, &focus, &revert);
  if (focus == window) return true;
  if (focus != PointerRoot) return false;
  // Without a window manager the focus may follow the pointer.
  Window root = None, child = None;
  int x = 0, y = 0, wx = 0, wy = 0;
  unsigned mask = 0;
  return XQueryPointer(display, DefaultRootWindow(display), &root, &child, &x, &y, &wx, &wy,
                       &mask) &&
         child == window;
}

}  // namespace

std::vector<Navigation> wait_for_input(Display* display, Window window, pads::Gamepads& pads,
                                       ScreenReader* reader) {
  // libdbus reads ahead as Xlib does: what it holds is dispatched first,
  // and answering may ask the X server, so Xlib's queue is checked after.
  if (reader) reader->drain();
  // The last Xlib call before poll(): it flushes and reads, and finding
  // nothing it leaves nothing behind. XFlush would not do: it may move
  // events from the socket into Xlib's queue, where poll() can't see them.
  if (XPending(display) > 0) return {};
  std::vector<pollfd> bus;
  if (reader) reader->add_descriptors(bus);
  std::vector<Navigation> steps = pads.wait(ConnectionNumber(display), bus);
  if (reader) reader->handle(bus);
  if (!steps.empty() && (!window || !has_focus(display, window))) {
    pads.cancel_repeats();
    steps.clear();
  }
  return steps;
}

}  // namespace zol::x11
