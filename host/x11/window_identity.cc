// What each of our windows tells the window manager about itself.

#include <X11/Xatom.h>
#include <X11/Xutil.h>
#include <unistd.h>

#include "host/x11/platform.h"

namespace zol::x11 {

void set_fixed_size(Display* display, Window window, DeviceRect where) {
  XSizeHints* size = XAllocSizeHints();
  size->flags = PPosition | PSize | PMinSize | PMaxSize;
  size->x = where.x;
  size->y = where.y;
  size->width = size->min_width = size->max_width = where.w;
  size->height = size->min_height = size->max_height = where.h;
  XSetWMNormalHints(display, window, size);
  XFree(size);
}

void set_identity(Display* display, Window window, DeviceRect where, const std::string& title) {
  set_fixed_size(display, window, where);
  XWMHints* hints = XAllocWMHints();
  hints->flags = InputHint | StateHint;
  hints->input = True;
  hints->initial_state = NormalState;
  XClassHint* cls = XAllocClassHint();
  cls->res_name = const_cast<char*>("zol");
  cls->res_class = const_cast<char*>("Zol");
  Xutf8SetWMProperties(display, window, title.c_str(), title.c_str(), nullptr, 0, nullptr, hints,
                       cls);
  XFree(hints);
  XFree(cls);
  XChangeProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False),
                  XInternAtom(display, "UTF8_STRING", False), 8, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(title.data()),
                  static_cast<int>(title.size()));
  long pid = getpid();
  XChangeProperty(display, window, XInternAtom(display, "_NET_WM_PID", False), XA_CARDINAL, 32,
                  PropModeReplace, reinterpret_cast<unsigned char*>(&pid), 1);
  Atom close = XInternAtom(display, "WM_DELETE_WINDOW", False);
  XSetWMProtocols(display, window, &close, 1);
}

}  // namespace zol::x11
