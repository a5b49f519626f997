// Preloaded into the menu by a test: the process stops (SIGSTOP) as soon as
// its first window is mapped, before it has handled a single event of it,
// as a loaded machine may hold it there. What happens on the screen
// meanwhile (the focus given, a click, a key) waits in its queue until the
// test continues it. The menu itself reads nothing that could switch this on.

#include <X11/Xlib.h>
#include <dlfcn.h>
#include <signal.h>

extern "C" int XMapWindow(Display* display, Window window) {
  using Real = decltype(&XMapWindow);
  static const Real real = reinterpret_cast<Real>(dlsym(RTLD_NEXT, "XMapWindow"));
  static bool stopped = false;
  const int result = real(display, window);
  if (!stopped) {
    stopped = true;
    XFlush(display);
    raise(SIGSTOP);
  }
  return result;
}
