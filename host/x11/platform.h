#pragma once
// Private to the X11 platform: shared by platform.cc and
// failure_dialog.cc, included nowhere else, so no X type leaks out.

#include <X11/Xlib.h>

#include <cstdint>
#include <functional>
#include <optional>
#include <span>
#include <string>

#include "host/platform.h"

namespace zol::x11 {

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

// Opens the display with our error handlers in place and the connection
// closed on exec; nullptr when there is no X server to reach.
Display* open_display();

// The RandR monitor holding the pointer, or the whole screen.
DeviceRect monitor_at_pointer(Display* display);

// The DPI the desktop asks for in the server's resource string
// (XResourceManagerString): Xft.dpi, as Xft itself reads it. 96 when it is
// missing, not a number, or outside 48 to 480.
int dpi_from_resources(const char* resources);

// The integer scale a GTK desktop announces through XSETTINGS
// (Gdk/WindowScalingFactor), from the bytes of the settings manager's
// _XSETTINGS_SETTINGS property; 0 when it is not there or they are malformed.
int window_scaling_factor(std::span<const uint8_t> settings);

// The DPI of the desktop: Xft.dpi from `resources`, raised to 96 x the
// XSETTINGS scaling factor when that is larger (and at most 480).
int desktop_dpi(const char* resources, std::span<const uint8_t> xsettings);

// Tells the window manager the window sits at `where` and keeps that size.
void set_fixed_size(Display* display, Window window, DeviceRect where);

// What every window of ours tells the window manager: its title, class
// "zol"/"Zol", our pid, a fixed size at `where`, and that it takes
// WM_DELETE_WINDOW.
void set_identity(Display* display, Window window, DeviceRect where, const std::string& title);

// Shows the modal failure message, drawn at `dpi` (a scale step), and
// returns when it is dismissed. While it is up, events of `owner` (0 when
// there is none) are not delivered: its Expose areas go to `repaint_owner`,
// its pointer events are dropped.
void run_failure_dialog(Display* display, Window owner, int dpi, const std::string& text,
                        const std::function<void(DeviceRect)>& repaint_owner);

}  // namespace zol::x11
