#pragma once
// Private to the X11 platform: what its files share, included nowhere
// else, so no X type leaks out.

#include <X11/Xlib.h>

#include <functional>
#include <optional>
#include <string>
#include <vector>

#include "host/platform.h"

namespace zol::pads {
class Gamepads;
}

namespace zol::x11 {

class Keyboard;
class ScreenReader;

// While one lives, X errors are caught instead of logged, so that making
// a window either works or fails as a whole. One at a time.
class ErrorTrap {
 public:
  ErrorTrap();
  ~ErrorTrap();
  ErrorTrap(const ErrorTrap&) = delete;
  ErrorTrap& operator=(const ErrorTrap&) = delete;
  // Once the server has handled all sent so far: the first error caught.
  std::optional<std::string> first_error(Display* display);
  // Throws PlatformError "<what>: X-Fehler <error>." when one was caught.
  void check(Display* display, const std::string& what);
};

// Opens the display with our error handlers in place, the connection
// closed on exec and repeats detectable; nullptr when there is no X server
// to reach.
Display* open_display();

// Gives `window` the keyboard where nobody else would: with no window
// manager running (no owner of WM_S<screen>). A window manager gives a new
// window the focus itself; a request of ours, coming late, could take it
// back from a window the player has chosen since.
void take_focus_unmanaged(Display* display, Window window);

// The RandR monitor holding the pointer, or the whole screen.
DeviceRect monitor_at_pointer(Display* display);

// The DPI the desktop asks for (desktop_settings.h) and the monitor under
// the pointer.
Screen screen_of(Display* display);

// Tells the window manager the window sits at `where` and keeps that size.
void set_fixed_size(Display* display, Window window, DeviceRect where);

// What every window of ours tells the window manager: its title, class
// "zol"/"Zol", our pid, a fixed size at `where`, and that it takes
// WM_DELETE_WINDOW.
void set_identity(Display* display, Window window, DeviceRect where, const std::string& title);

// Waits until Xlib has events queued or the connection has something to
// read, or the pads make a step. With steps, the events the server sent
// meanwhile go to `handle` first; then the steps, while `keyboard` has the
// focus: a pad acts exactly when a key would. Without it they are dropped,
// and held directions stop repeating. A screen reader's bus (nullptr: none)
// is served in the same wait.
std::vector<Navigation> wait_for_input(Display* display, const Keyboard& keyboard,
                                       pads::Gamepads& pads,
                                       const std::function<void(XEvent&)>& handle,
                                       ScreenReader* reader = nullptr);

// Shows the modal failure message, drawn at `dpi` (a scale step), and
// returns when it is dismissed. While it is up, events of `owner` (0 when
// there is none) are not delivered: its Expose areas go to `repaint_owner`,
// its pointer events are dropped.
// A pad's activate or back step dismisses it as a key does; so does a
// screen reader's press on its OK.
void run_failure_dialog(Display* display, Window owner, int dpi, const std::string& text,
                        const std::function<void(DeviceRect)>& repaint_owner,
                        pads::Gamepads& pads, ScreenReader* reader = nullptr);

}  // namespace zol::x11
