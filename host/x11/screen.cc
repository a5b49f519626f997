// The screen the menu opens on, as the server and the desktop describe it.

#include <X11/extensions/Xrandr.h>

#include <optional>
#include <string>
#include <vector>

#include "host/x11/desktop_settings.h"
#include "host/x11/platform.h"

namespace zol::x11 {
namespace {

// The settings manager's XSETTINGS, if a desktop runs one.
std::vector<uint8_t> xsettings(Display* display) {
  const std::string selection = "_XSETTINGS_S" + std::to_string(DefaultScreen(display));
  const Window owner = XGetSelectionOwner(display, XInternAtom(display, selection.c_str(), False));
  if (!owner) return {};
  const Atom settings = XInternAtom(display, "_XSETTINGS_SETTINGS", False);
  Atom type = None;
  int format = 0;
  unsigned long count = 0, after = 0;
  unsigned char* data = nullptr;
  std::vector<uint8_t> bytes;
  if (XGetWindowProperty(display, owner, settings, 0, 1 << 16, False, settings, &type, &format,
                         &count, &after, &data) == Success &&
      data && format == 8)
    bytes.assign(data, data + count);
  if (data) XFree(data);
  return bytes;
}

}  // namespace

DeviceRect monitor_at_pointer(Display* display) {
  const int screen = DefaultScreen(display);
  const Window root = RootWindow(display, screen);
  DeviceRect whole{0, 0, DisplayWidth(display, screen), DisplayHeight(display, screen)};

  Window root_ret, child;
  int px = 0, py = 0, wx, wy;
  unsigned mask;
  XQueryPointer(display, root, &root_ret, &child, &px, &py, &wx, &wy, &mask);

  int event_base, error_base, major = 0, minor = 0;
  if (!XRRQueryExtension(display, &event_base, &error_base) ||
      !XRRQueryVersion(display, &major, &minor) || major * 100 + minor < 105)
    return whole;
  int count = 0;
  XRRMonitorInfo* monitors = XRRGetMonitors(display, root, True, &count);
  if (!monitors) return whole;
  DeviceRect fallback = whole;
  std::optional<DeviceRect> hit;
  for (int i = 0; i < count; ++i) {
    DeviceRect m{monitors[i].x, monitors[i].y, monitors[i].width, monitors[i].height};
    if (i == 0 || monitors[i].primary) fallback = m;
    if (!hit && m.contains({px, py})) hit = m;
  }
  XRRFreeMonitors(monitors);
  return hit.value_or(fallback);
}

Screen screen_of(Display* display) {
  return {desktop_dpi(XResourceManagerString(display), xsettings(display)),
          monitor_at_pointer(display)};
}

}  // namespace zol::x11
