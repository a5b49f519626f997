// The floor: the least an Xlib program can do to show the menu's picture
// and light a button under the pointer. Same artwork, embedded and decoded
// the same way as zol's; no checks beyond that, so that zol is measured
// against the bare cost of the job. It assumes a 24-bit TrueColor default
// visual (the benchmark's Xvfb) and runs until it is killed.
// Usage: zol_floor [DPI], for a window of zol's size at that DPI.

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <bit>
#include <vector>

#include "bench/scene.h"
#include "host/image.h"

namespace {

// Wraps the pixels without copying them.
XImage* wrap(Display* display, zol::Image& image) {
  XImage* x = XCreateImage(display, DefaultVisual(display, DefaultScreen(display)), 24, ZPixmap,
                           0, reinterpret_cast<char*>(image.pixels.data()), image.width,
                           image.height, 32, image.width * 4);
  x->byte_order = std::endian::native == std::endian::little ? LSBFirst : MSBFirst;
  return x;
}

}  // namespace

int main(int argc, char** argv) {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return 1;
  bench::Look look = bench::cut_look(bench::dpi_argument(argc, argv));
  const int width = look.background.width, height = look.background.height;
  XImage* background_image = wrap(display, look.background);
  std::vector<XImage*> lit_images;
  for (zol::Image& image : look.lit) lit_images.push_back(wrap(display, image));

  const int screen = DefaultScreen(display);
  XSetWindowAttributes attrs{};
  attrs.background_pixmap = None;
  attrs.event_mask = ExposureMask | PointerMotionMask;
  const Window window = XCreateWindow(
      display, RootWindow(display, screen), (DisplayWidth(display, screen) - width) / 2,
      (DisplayHeight(display, screen) - height) / 2, width, height, 0, CopyFromParent,
      InputOutput, CopyFromParent, CWBackPixmap | CWEventMask, &attrs);
  const long no_decorations[5] = {2, 0, 0, 0, 0};
  const Atom motif = XInternAtom(display, "_MOTIF_WM_HINTS", False);
  XChangeProperty(display, window, motif, motif, 32, PropModeReplace,
                  reinterpret_cast<const unsigned char*>(no_decorations), 5);
  GC gc = XCreateGC(display, window, 0, nullptr);
  XMapWindow(display, window);

  int lit_now = -1;
  for (;;) {
    XEvent event;
    XNextEvent(display, &event);
    if (event.type == Expose) {
      const XExposeEvent& e = event.xexpose;
      XPutImage(display, window, gc, background_image, e.x, e.y, e.x, e.y, e.width, e.height);
    } else if (event.type == MotionNotify) {
      int over = -1;
      for (size_t i = 0; i < look.buttons.size(); ++i)
        if (look.buttons[i].contains({event.xmotion.x, event.xmotion.y})) over = static_cast<int>(i);
      if (over == lit_now) continue;
      if (lit_now >= 0) {
        const zol::DeviceRect& b = look.buttons[lit_now];
        XPutImage(display, window, gc, background_image, b.x, b.y, b.x, b.y, b.w, b.h);
      }
      if (over >= 0) {
        const zol::DeviceRect& b = look.buttons[over];
        XPutImage(display, window, gc, lit_images[over], 0, 0, b.x, b.y, b.w, b.h);
      }
      lit_now = over;
      XFlush(display);
    }
  }
}
