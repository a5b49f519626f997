// The connection to the X server: how its errors are handled, and the
// trap that turns them into a failure while a window is being made.

#include <X11/XKBlib.h>
#include <fcntl.h>
#include <unistd.h>

#include <cstdio>
#include <optional>
#include <string>

#include "host/x11/platform.h"

namespace zol::x11 {
namespace {

int on_io_error(Display*) {
  static const char msg[] = "zol: Verbindung zum X-Server verloren\n";
  ssize_t ignored = write(STDERR_FILENO, msg, sizeof msg - 1);
  (void)ignored;
  _exit(1);
}

// Set while an ErrorTrap lives: the first error it caught.
bool trapping = false;
std::optional<std::string> trapped;

// A protocol error (say a window gone in a race) is not worth dying for,
// unless a window is being made.
int on_error(Display* display, XErrorEvent* e) {
  char text[256] = "";
  XGetErrorText(display, e->error_code, text, sizeof text);
  char line[400];
  std::snprintf(line, sizeof line, "%s (Anfrage %d.%d)", text, e->request_code, e->minor_code);
  if (!trapping)
    std::fprintf(stderr, "zol: X-Fehler: %s\n", line);
  else if (!trapped)
    trapped = line;
  return 0;
}

}  // namespace

ErrorTrap::ErrorTrap() {
  trapping = true;
  trapped.reset();
}

ErrorTrap::~ErrorTrap() {
  trapping = false;
  trapped.reset();
}

std::optional<std::string> ErrorTrap::first_error(Display* display) {
  XSync(display, False);
  return trapped;
}

void ErrorTrap::check(Display* display, const std::string& what) {
  if (auto error = first_error(display)) throw PlatformError(what + ": X-Fehler " + *error + ".");
}

void take_focus_unmanaged(Display* display, Window window) {
  const std::string selection = "WM_S" + std::to_string(DefaultScreen(display));
  if (XGetSelectionOwner(display, XInternAtom(display, selection.c_str(), False)) != None) return;
  XSetInputFocus(display, window, RevertToParent, CurrentTime);
}

Display* open_display() {
  XSetIOErrorHandler(on_io_error);
  XSetErrorHandler(on_error);
  Display* display = XOpenDisplay(nullptr);
  if (!display) return nullptr;
  fcntl(ConnectionNumber(display), F_SETFD, FD_CLOEXEC);
  // A held key then repeats as presses alone: the keyboard tells repeats
  // from fresh presses (keyboard.h). A server without it repeats as before.
  XkbSetDetectableAutoRepeat(display, True, nullptr);
  return display;
}

}  // namespace zol::x11
