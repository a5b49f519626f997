#pragma once
// What the desktop asks the menu's scale to be, read from the bytes the X
// server holds: pure parsers, so that tests can feed them any text.

#include <cstdint>
#include <span>

namespace zol::x11 {

// The DPI the desktop asks for in the server's resource string
// (XResourceManagerString): Xft.dpi, as Xft itself reads it. 96 when it is
// missing, does not start with a number, or is outside 48 to 480.
int dpi_from_resources(const char* resources);

// The integer scale a GTK desktop announces through XSETTINGS
// (Gdk/WindowScalingFactor), from the bytes of the settings manager's
// _XSETTINGS_SETTINGS property; 0 when it is not there or they are malformed.
int window_scaling_factor(std::span<const uint8_t> settings);

// The DPI of the desktop: Xft.dpi from `resources`, raised to 96 x the
// XSETTINGS scaling factor when that is larger (and at most 480).
int desktop_dpi(const char* resources, std::span<const uint8_t> xsettings);

}  // namespace zol::x11
