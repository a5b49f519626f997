#include "host/x11/presenter.h"

#include <algorithm>
#include <bit>

namespace zol::x11 {

XVisualInfo pick_visual(Display* display) {
  XVisualInfo want{};
  want.screen = DefaultScreen(display);
  want.c_class = TrueColor;
  int count = 0;
  XVisualInfo* found = XGetVisualInfo(display, VisualScreenMask | VisualClassMask, &want, &count);
  std::optional<XVisualInfo> best;
  for (int i = 0; i < count; ++i) {
    const XVisualInfo& v = found[i];
    if (v.depth < 15) continue;
    if (v.visual == DefaultVisual(display, want.screen)) {
      best = v;
      break;
    }
    // 32 bits is 24 and alpha, which only a compositor would blend.
    if (!best || (v.depth > best->depth && v.depth != 32)) best = v;
  }
  if (found) XFree(found);
  if (!best)
    throw PlatformError(
        "Der X-Server bietet keine TrueColor-Darstellung mit mindestens 15 Bit Farbtiefe.");
  return *best;
}

std::optional<PixelLayout> layout_of(Display* display, const XVisualInfo& visual) {
  PixelLayout layout{static_cast<uint32_t>(visual.red_mask),
                     static_cast<uint32_t>(visual.green_mask),
                     static_cast<uint32_t>(visual.blue_mask), 0};
  int count = 0;
  if (XPixmapFormatValues* formats = XListPixmapFormats(display, &count)) {
    for (int i = 0; i < count; ++i)
      if (formats[i].depth == visual.depth) layout.bits_per_pixel = formats[i].bits_per_pixel;
    XFree(formats);
  }
  if (!layout.valid()) return std::nullopt;
  return layout;
}

Presenter::Presenter(Display* display, const XVisualInfo& visual)
    : display_(display), visual_(visual) {
  const std::optional<PixelLayout> layout = layout_of(display, visual);
  if (!layout)
    throw PlatformError("Der X-Server bietet keine TrueColor-Darstellung, die das Menü zeigen kann.");
  layout_ = *layout;
  if (!layout_.is_xrgb32()) converter_.emplace(layout_);
}

void Presenter::put(Drawable target, GC gc, const Framebuffer& frame, int x, int y, int w, int h) {
  const DeviceRect part = intersect(DeviceRect{x, y, w, h}, {0, 0, frame.width, frame.height});
  if (part.empty() || frame.pixels.empty()) return;
  const int native = std::endian::native == std::endian::little ? LSBFirst : MSBFirst;
  if (!converter_) {
    // Wraps the framebuffer's own memory: no copy on our side.
    put_image(target, gc, reinterpret_cast<char*>(const_cast<uint32_t*>(frame.pixels.data())),
              frame.width, frame.height, frame.width * 4, part.x, part.y, part.x, part.y, part.w,
              part.h, native);
    return;
  }
  const int stride = (part.w * converter_->bytes_per_pixel() + 3) / 4 * 4;
  converted_.resize(static_cast<size_t>(stride) * part.h);
  converter_->convert(frame.pixels.data(), frame.width, part.x, part.y, part.w, part.h,
                      converted_.data(), static_cast<size_t>(stride));
  put_image(target, gc, reinterpret_cast<char*>(converted_.data()), part.w, part.h, stride, 0, 0,
            part.x, part.y, part.w, part.h, LSBFirst);
}

void Presenter::put_image(Drawable target, GC gc, char* data, int width, int height,
                          int bytes_per_line, int from_x, int from_y, int x, int y, int w, int h,
                          int byte_order) {
  XImage* image = XCreateImage(display_, visual_.visual, static_cast<unsigned>(visual_.depth),
                               ZPixmap, 0, data, static_cast<unsigned>(width),
                               static_cast<unsigned>(height), 32, bytes_per_line);
  if (!image) return;
  image->byte_order = byte_order;
  XPutImage(display_, target, gc, image, from_x, from_y, x, y, static_cast<unsigned>(w),
            static_cast<unsigned>(h));
  image->data = nullptr;  // ours, not Xlib's to free
  XDestroyImage(image);
}

}  // namespace zol::x11
