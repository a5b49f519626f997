#pragma once
// Private to the X11 platform: the visual the menu is drawn with and the
// putting of framebuffer rectangles onto it.

#include <X11/Xlib.h>
#include <X11/Xutil.h>

#include <cstdint>
#include <optional>
#include <vector>

#include "host/x11/pixel_format.h"
#include "host/platform.h"

namespace zol::x11 {

// The screen's default visual when it is TrueColor, else its deepest
// TrueColor one; throws PlatformError when there is none of at least 15
// bits, where the artwork could not be shown.
XVisualInfo pick_visual(Display* display);

// The layout of a visual's pixels in an image; nullopt when its masks or
// bits per pixel are not ones the converter takes.
std::optional<PixelLayout> layout_of(Display* display, const XVisualInfo& visual);

// Puts rectangles of a framebuffer on a drawable of one visual: wrapped as
// it stands where the visual's pixels are 0x00RRGGBB in 32 bits, converted
// rectangle by rectangle otherwise.
class Presenter {
 public:
  // Throws PlatformError when the visual's layout can't be converted to.
  Presenter(Display* display, const XVisualInfo& visual);

  void put(Drawable target, GC gc, const Framebuffer& frame, int x, int y, int w, int h);

 private:
  void put_image(Drawable target, GC gc, char* data, int width, int height, int bytes_per_line,
                 int from_x, int from_y, int x, int y, int w, int h, int byte_order);

  Display* display_;
  XVisualInfo visual_;
  PixelLayout layout_;
  std::optional<PixelConverter> converter_;  // none on the copy-free path
  std::vector<uint8_t> converted_;
};

}  // namespace zol::x11
