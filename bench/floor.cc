// The floor: the least an Xlib program can do to show the menu's picture
// and light a button under the pointer. Same artwork, embedded and decoded
// the same way as zol's; no checks beyond that, so that zol is measured
// against the bare cost of the job. It assumes a 24-bit TrueColor default
// visual (the benchmark's Xvfb) and runs until it is killed.

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <bit>
#include <vector>

#include "art/art.h"
#include "bench/scene.h"
#include "host/image.h"

namespace {

using bench::Button, bench::kButtons, bench::kWidth, bench::kHeight, bench::kButtonWidth,
    bench::kButtonHeight;

// Wraps the pixels without copying them.
XImage* wrap(Display* display, zol::Image& image) {
  XImage* x = XCreateImage(display, DefaultVisual(display, DefaultScreen(display)), 24, ZPixmap,
                           0, reinterpret_cast<char*>(image.pixels.data()), image.width,
                           image.height, 32, image.width * 4);
  x->byte_order = std::endian::native == std::endian::little ? LSBFirst : MSBFirst;
  return x;
}

}  // namespace

int main() {
  Display* display = XOpenDisplay(nullptr);
  if (!display) return 1;
  zol::Image background =
      zol::decode_bmp(zol::art::background.bytes, zol::art::background.file, kWidth, kHeight);
  std::vector<zol::Image> lit;
  for (const Button& b : kButtons)
    lit.push_back(zol::decode_bmp(b.lit.bytes, b.lit.file, kButtonWidth, kButtonHeight));
  XImage* background_image = wrap(display, background);
  std::vector<XImage*> lit_images;
  for (zol::Image& image : lit) lit_images.push_back(wrap(display, image));

  const int screen = DefaultScreen(display);
  XSetWindowAttributes attrs{};
  attrs.background_pixmap = None;
  attrs.event_mask = ExposureMask | PointerMotionMask;
  const Window window = XCreateWindow(
      display, RootWindow(display, screen), (DisplayWidth(display, screen) - kWidth) / 2,
      (DisplayHeight(display, screen) - kHeight) / 2, kWidth, kHeight, 0, CopyFromParent,
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
      for (int i = 0; i < 4; ++i) {
        const Button& b = kButtons[i];
        if (event.xmotion.x >= b.x && event.xmotion.x < b.x + kButtonWidth &&
            event.xmotion.y >= b.y && event.xmotion.y < b.y + kButtonHeight)
          over = i;
      }
      if (over == lit_now) continue;
      if (lit_now >= 0) {
        const Button& b = kButtons[lit_now];
        XPutImage(display, window, gc, background_image, b.x, b.y, b.x, b.y, kButtonWidth,
                  kButtonHeight);
      }
      if (over >= 0)
        XPutImage(display, window, gc, lit_images[over], 0, 0, kButtons[over].x,
                  kButtons[over].y, kButtonWidth, kButtonHeight);
      lit_now = over;
      XFlush(display);
    }
  }
}
