// Preloaded into the menu by a test: every window it makes with
// XCreateWindow comes with a request the server must reject (a window of
// no width, BadValue), as a real server's refusal would. The menu itself
// reads nothing that could switch this on.

#include <X11/Xlib.h>
#include <dlfcn.h>

extern "C" Window XCreateWindow(Display* display, Window parent, int x, int y, unsigned width,
                                unsigned height, unsigned border, int depth, unsigned kind,
                                Visual* visual, unsigned long mask, XSetWindowAttributes* attrs) {
  using Real = decltype(&XCreateWindow);
  static const Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "XCreateWindow"));
  const Window made = real(display, parent, x, y, width, height, border, depth, kind, visual, mask, attrs);
  real(display, parent, 0, 0, 0, 0, 0, CopyFromParent, InputOutput, CopyFromParent, 0, nullptr);
  return made;
}
