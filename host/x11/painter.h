#pragma once
// Draws the failure message: text through Xft, or through the core font
// when Xft or its fonts are missing or the screen has few colours; then the
// text is black, and what can't be had of the other colours is white.

#include <X11/Xft/Xft.h>
#include <X11/Xlib.h>

#include <string>

#include "host/scale.h"
#include "host/units.h"
#include "host/x11/xft_library.h"

namespace zol::x11 {

// `pixels` at 96 DPI, at `dpi`.
inline int scaled(int pixels, int dpi) { return pixels * dpi / kBaseDpi; }

enum Colour { kFace, kText, kButton, kButtonLit, kButtonDown, kEdge, kEdgeLit, kColours };

class Painter {
 public:
  Painter(Display* d, Window w, int dpi);
  ~Painter();
  Painter(const Painter&) = delete;
  Painter& operator=(const Painter&) = delete;

  unsigned long pixel(Colour c) const { return colours_[c].pixel; }
  int ascent() const { return xft_ ? xft_->ascent : core_ ? core_->ascent : 10; }
  int text_height() const {
    return xft_ ? xft_->height : core_ ? core_->ascent + core_->descent : 12;
  }
  int line_height() const { return text_height() + leading_; }

  int width(const std::string& s) const;
  void text(int x, int baseline, const std::string& s);
  void fill(DeviceRect r, Colour c);
  void frame(DeviceRect r, Colour c);

 private:
  void open_font(int dpi);
  void alloc_colours();

  Display* display_;
  Window window_;
  Visual* visual_;
  const XftLibrary* lib_;
  int leading_;
  Colormap colormap_;
  GC gc_;
  XftFont* xft_ = nullptr;
  XftDraw* draw_ = nullptr;
  XFontStruct* core_ = nullptr;
  XftColor colours_[kColours]{};
  bool allocated_[kColours]{};
};

}  // namespace zol::x11
