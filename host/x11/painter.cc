#include "host/x11/painter.h"

#include <cstdio>
#include <string>
#include <vector>

#include "host/x11/core_font.h"
#include "host/x11/text_layout.h"

namespace zol::x11 {
namespace {

// At 96 DPI; the painter scales them by the menu's factor. The core font's
// size is that of "fixed", the server's default (6 x 13).
constexpr int kFontPoints = 10, kCoreFontPixels = 13, kLeading = 2;

constexpr unsigned kRgb[kColours] = {0xECECEC, 0x202020, 0xF8F8F8, 0xFFFFFF,
                                     0xD6D6D6, 0x8C8C8C, 0x3C6EB4};

// A screen of few colours (8 bits: PseudoColor, StaticColor, GrayScale):
// antialiased text would stand on dark boxes there.
bool few_colours(Visual* visual) { return visual->c_class != TrueColor && visual->c_class != DirectColor; }

// The server's bitmap font nearest below `pixels`, or "fixed".
XFontStruct* open_core_font(Display* d, int pixels) {
  int count = 0;
  char** listed = XListFonts(d, kFixedFonts, 1000, &count);
  const std::vector<std::string> names(listed, listed + (listed ? count : 0));
  if (listed) XFreeFontNames(listed);
  const std::string name = core_font_for(names, pixels);
  XFontStruct* font = name.empty() ? nullptr : XLoadQueryFont(d, name.c_str());
  return font ? font : XLoadQueryFont(d, "fixed");
}

}  // namespace

Painter::Painter(Display* d, Window w, int dpi)
    : display_(d),
      window_(w),
      visual_(DefaultVisual(d, DefaultScreen(d))),
      lib_(few_colours(visual_) ? nullptr : XftLibrary::load()),
      leading_(scaled(kLeading, dpi)),
      colormap_(DefaultColormap(d, DefaultScreen(d))),
      gc_(XCreateGC(d, w, 0, nullptr)) {
  open_font(dpi);
  alloc_colours();
}

void Painter::open_font(int dpi) {
  const int screen = DefaultScreen(display_);
  if (lib_) {
    // Our DPI, not the one Xft would guess: the dialog grows with the menu.
    char size[32];
    std::snprintf(size, sizeof size, "-%d:dpi=%d", kFontPoints, dpi);
    xft_ = lib_->FontOpenName(display_, screen, (std::string("DejaVu Sans") + size).c_str());
    if (!xft_) xft_ = lib_->FontOpenName(display_, screen, (std::string("sans") + size).c_str());
    if (xft_) draw_ = lib_->DrawCreate(display_, window_, visual_, colormap_);
  }
  if (!xft_) core_ = open_core_font(display_, scaled(kCoreFontPixels, dpi));
  if (core_) XSetFont(display_, gc_, core_->fid);
}

void Painter::alloc_colours() {
  const int screen = DefaultScreen(display_);
  for (int i = 0; i < kColours; ++i) {
    XRenderColor rc{static_cast<unsigned short>((kRgb[i] >> 16 & 0xFF) * 257),
                    static_cast<unsigned short>((kRgb[i] >> 8 & 0xFF) * 257),
                    static_cast<unsigned short>((kRgb[i] & 0xFF) * 257), 0xFFFF};
    XColor c{0, rc.red, rc.green, rc.blue, DoRed | DoGreen | DoBlue, 0};
    if (i == kText && !lib_)
      colours_[i].pixel = BlackPixel(display_, screen);
    else if (lib_)
      allocated_[i] = lib_->ColorAllocValue(display_, visual_, colormap_, &rc, &colours_[i]);
    else if ((allocated_[i] = XAllocColor(display_, colormap_, &c)))
      colours_[i].pixel = c.pixel;
    if (!allocated_[i] && i != kText)
      colours_[i].pixel = i == kEdge || i == kEdgeLit ? BlackPixel(display_, screen)
                                                      : WhitePixel(display_, screen);
  }
}

Painter::~Painter() {
  for (int i = 0; i < kColours; ++i) {
    if (!allocated_[i]) continue;
    if (lib_)
      lib_->ColorFree(display_, visual_, colormap_, &colours_[i]);
    else
      XFreeColors(display_, colormap_, &colours_[i].pixel, 1, 0);
  }
  if (draw_) lib_->DrawDestroy(draw_);
  if (xft_) lib_->FontClose(display_, xft_);
  if (core_) XFreeFont(display_, core_);
  XFreeGC(display_, gc_);
}

int Painter::width(const std::string& s) const {
  if (xft_) {
    XGlyphInfo g;
    lib_->TextExtentsUtf8(display_, xft_, reinterpret_cast<const FcChar8*>(s.data()),
                          static_cast<int>(s.size()), &g);
    return g.xOff;
  }
  if (core_) {
    std::string l = to_latin1(s);
    return XTextWidth(core_, l.data(), static_cast<int>(l.size()));
  }
  return static_cast<int>(s.size()) * 6;
}

void Painter::text(int x, int baseline, const std::string& s) {
  if (xft_) {
    lib_->DrawStringUtf8(draw_, &colours_[kText], xft_, x, baseline,
                         reinterpret_cast<const FcChar8*>(s.data()), static_cast<int>(s.size()));
  } else if (core_) {
    std::string l = to_latin1(s);
    XSetForeground(display_, gc_, pixel(kText));
    XDrawString(display_, window_, gc_, x, baseline, l.data(), static_cast<int>(l.size()));
  }
}

void Painter::fill(DeviceRect r, Colour c) {
  XSetForeground(display_, gc_, pixel(c));
  XFillRectangle(display_, window_, gc_, r.x, r.y, r.w, r.h);
}

void Painter::frame(DeviceRect r, Colour c) {
  XSetForeground(display_, gc_, pixel(c));
  XDrawRectangle(display_, window_, gc_, r.x, r.y, r.w - 1, r.h - 1);
}

}  // namespace zol::x11
