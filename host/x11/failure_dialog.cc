#include <X11/Xatom.h>
#include <X11/Xft/Xft.h>
#include <X11/Xutil.h>
#include <X11/keysym.h>
#include <dlfcn.h>
#include <unistd.h>

#include <algorithm>
#include <cstdio>
#include <memory>
#include <optional>
#include <string>
#include <type_traits>
#include <vector>

#include "host/x11/platform.h"
#include "host/scale.h"

namespace zol::x11 {
namespace {

// At 96 DPI; the dialog scales them, and its font, by the menu's factor.
constexpr int kPad = 16, kWrapWidth = 360, kMinWidth = 220, kButtonW = 88, kButtonH = 28;
constexpr int kFontPoints = 10, kLeading = 2;

int scaled(int pixels, int dpi) { return pixels * dpi / kBaseDpi; }

enum Colour { kFace, kText, kButton, kButtonLit, kButtonDown, kEdge, kEdgeLit, kColours };
constexpr unsigned kRgb[kColours] = {0xECECEC, 0x202020, 0xF8F8F8, 0xFFFFFF,
                                     0xD6D6D6, 0x8C8C8C, 0x3C6EB4};

bool continuation(char c) { return (static_cast<unsigned char>(c) & 0xC0) == 0x80; }

// The core "fixed" font speaks Latin-1; what it can't show becomes '?'.
std::string to_latin1(const std::string& utf8) {
  std::string out;
  for (size_t i = 0; i < utf8.size();) {
    unsigned char c = static_cast<unsigned char>(utf8[i]);
    size_t len = c < 0x80 ? 1 : c < 0xE0 ? 2 : c < 0xF0 ? 3 : 4;
    if (len == 2 && i + 1 < utf8.size())
      c = static_cast<unsigned char>(((c & 0x1F) << 6) | (utf8[i + 1] & 0x3F));
    else if (len > 1 || c >= 0x80)
      c = '?';
    out += static_cast<char>(c);
    for (i += 1; i < utf8.size() && continuation(utf8[i]); ++i) {
    }
  }
  return out;
}

// Xft, and with it fontconfig, FreeType and their libraries, is loaded only
// when a message is shown: linked, they would slow every start of the menu
// and add to its memory, for a message it seldom shows.
struct XftLibrary {
  decltype(&XftFontOpenName) FontOpenName;
  decltype(&XftFontClose) FontClose;
  decltype(&XftDrawCreate) DrawCreate;
  decltype(&XftDrawDestroy) DrawDestroy;
  decltype(&XftColorAllocValue) ColorAllocValue;
  decltype(&XftColorFree) ColorFree;
  decltype(&XftTextExtentsUtf8) TextExtentsUtf8;
  decltype(&XftDrawStringUtf8) DrawStringUtf8;

  // nullptr when it can't be loaded.
  static const XftLibrary* load() {
    static const std::optional<XftLibrary> loaded = []() -> std::optional<XftLibrary> {
      void* lib = dlopen("libXft.so.2", RTLD_NOW | RTLD_LOCAL);
      if (!lib) return std::nullopt;
      XftLibrary x{};
      bool all = true;
      auto bind = [&](auto& fn, const char* name) {
        fn = reinterpret_cast<std::remove_reference_t<decltype(fn)>>(dlsym(lib, name));
        all = all && fn;
      };
      bind(x.FontOpenName, "XftFontOpenName");
      bind(x.FontClose, "XftFontClose");
      bind(x.DrawCreate, "XftDrawCreate");
      bind(x.DrawDestroy, "XftDrawDestroy");
      bind(x.ColorAllocValue, "XftColorAllocValue");
      bind(x.ColorFree, "XftColorFree");
      bind(x.TextExtentsUtf8, "XftTextExtentsUtf8");
      bind(x.DrawStringUtf8, "XftDrawStringUtf8");
      if (all) return x;
      dlclose(lib);
      return std::nullopt;
    }();
    return loaded ? &*loaded : nullptr;
  }
};

// A screen of few colours (8 bits: PseudoColor, StaticColor, GrayScale):
// antialiased text would stand on dark boxes there.
bool few_colours(Visual* visual) { return visual->c_class != TrueColor && visual->c_class != DirectColor; }

// Text through Xft, or through the core font when Xft or its fonts are
// missing or the screen has few colours; then the text is black, and what
// can't be had of the other colours is white.
class Painter {
 public:
  Painter(Display* d, Window w, int dpi)
      : display_(d),
        window_(w),
        visual_(DefaultVisual(d, DefaultScreen(d))),
        lib_(few_colours(visual_) ? nullptr : XftLibrary::load()),
        leading_(scaled(kLeading, dpi)) {
    const int screen = DefaultScreen(d);
    colormap_ = DefaultColormap(d, screen);
    gc_ = XCreateGC(d, w, 0, nullptr);
    if (lib_) {
      // Our DPI, not the one Xft would guess: the dialog grows with the menu.
      char size[32];
      std::snprintf(size, sizeof size, "-%d:dpi=%d", kFontPoints, dpi);
      xft_ = lib_->FontOpenName(d, screen, (std::string("DejaVu Sans") + size).c_str());
      if (!xft_) xft_ = lib_->FontOpenName(d, screen, (std::string("sans") + size).c_str());
      if (xft_) draw_ = lib_->DrawCreate(d, w, visual_, colormap_);
    }
    if (!xft_) core_ = XLoadQueryFont(d, "fixed");
    if (core_) XSetFont(d, gc_, core_->fid);
    for (int i = 0; i < kColours; ++i) {
      XRenderColor rc{static_cast<unsigned short>((kRgb[i] >> 16 & 0xFF) * 257),
                      static_cast<unsigned short>((kRgb[i] >> 8 & 0xFF) * 257),
                      static_cast<unsigned short>((kRgb[i] & 0xFF) * 257), 0xFFFF};
      XColor c{0, rc.red, rc.green, rc.blue, DoRed | DoGreen | DoBlue, 0};
      if (i == kText && !lib_)
        colours_[i].pixel = BlackPixel(d, screen);
      else if (lib_)
        allocated_[i] = lib_->ColorAllocValue(d, visual_, colormap_, &rc, &colours_[i]);
      else if ((allocated_[i] = XAllocColor(d, colormap_, &c)))
        colours_[i].pixel = c.pixel;
      if (!allocated_[i] && i != kText)
        colours_[i].pixel = i == kEdge || i == kEdgeLit ? BlackPixel(d, screen) : WhitePixel(d, screen);
    }
  }
  ~Painter() {
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
  Painter(const Painter&) = delete;
  Painter& operator=(const Painter&) = delete;

  unsigned long pixel(Colour c) const { return colours_[c].pixel; }
  int ascent() const { return xft_ ? xft_->ascent : core_ ? core_->ascent : 10; }
  int text_height() const {
    return xft_ ? xft_->height : core_ ? core_->ascent + core_->descent : 12;
  }
  int line_height() const { return text_height() + leading_; }

  int width(const std::string& s) const {
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

  void text(int x, int baseline, const std::string& s) {
    if (xft_) {
      lib_->DrawStringUtf8(draw_, &colours_[kText], xft_, x, baseline,
                           reinterpret_cast<const FcChar8*>(s.data()), static_cast<int>(s.size()));
    } else if (core_) {
      std::string l = to_latin1(s);
      XSetForeground(display_, gc_, pixel(kText));
      XDrawString(display_, window_, gc_, x, baseline, l.data(), static_cast<int>(l.size()));
    }
  }

  void fill(DeviceRect r, Colour c) {
    XSetForeground(display_, gc_, pixel(c));
    XFillRectangle(display_, window_, gc_, r.x, r.y, r.w, r.h);
  }
  void frame(DeviceRect r, Colour c) {
    XSetForeground(display_, gc_, pixel(c));
    XDrawRectangle(display_, window_, gc_, r.x, r.y, r.w - 1, r.h - 1);
  }

 private:
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

// Greedy wrap at spaces; a word wider than a line (a path, say) is broken
// between characters. Line breaks in the text are kept.
std::vector<std::string> wrap(const std::string& text, const Painter& p, int wrap_width) {
  std::vector<std::string> lines;
  size_t start = 0;
  while (start <= text.size()) {
    size_t end = std::min(text.find('\n', start), text.size());
    std::string line;
    size_t pos = start;
    while (pos < end) {
      size_t stop = std::min(text.find(' ', pos), end);
      std::string word = text.substr(pos, stop - pos);
      pos = stop + 1;
      if (word.empty()) continue;
      std::string joined = line.empty() ? word : line + " " + word;
      if (p.width(joined) <= wrap_width) {
        line = joined;
        continue;
      }
      if (!line.empty()) lines.push_back(line);
      while (p.width(word) > wrap_width) {
        size_t cut = 1;
        for (size_t next = cut; next <= word.size(); ++next) {
          if (next < word.size() && continuation(word[next])) continue;
          if (p.width(word.substr(0, next)) > wrap_width) break;
          cut = next;
        }
        while (cut < word.size() && continuation(word[cut])) ++cut;
        lines.push_back(word.substr(0, cut));
        word.erase(0, cut);
      }
      line = word;
    }
    lines.push_back(line);
    start = end + 1;
  }
  return lines;
}

DeviceRect place_over(Display* d, Window owner, DeviceSize size) {
  XWindowAttributes a;
  Window child;
  int x, y;
  if (owner && XGetWindowAttributes(d, owner, &a) && a.map_state == IsViewable &&
      XTranslateCoordinates(d, owner, a.root, 0, 0, &x, &y, &child))
    return centred({x, y, a.width, a.height}, size);
  return centred(monitor_at_pointer(d), size);
}

class Dialog {
 public:
  Dialog(Display* d, Window owner, int dpi, const std::string& text);
  ~Dialog() {
    painter_.reset();
    if (!gone_) XDestroyWindow(display_, window_);
    XFlush(display_);
  }
  Dialog(const Dialog&) = delete;
  Dialog& operator=(const Dialog&) = delete;
  // True when the event dismisses the dialog.
  bool handle(const XEvent& e);
  Window window() const { return window_; }

 private:
  void set_properties(Window owner, DeviceRect where);
  void paint();
  void paint_button();

  Display* display_;
  Window window_;
  std::unique_ptr<Painter> painter_;
  std::vector<std::string> lines_;
  int pad_;
  DeviceRect button_;
  bool lit_ = false, down_ = false, gone_ = false;
};

Dialog::Dialog(Display* d, Window owner, int dpi, const std::string& text)
    : display_(d), pad_(scaled(kPad, dpi)) {
  const int screen = DefaultScreen(d);
  // Created at once so the painter can measure; sized and placed after.
  window_ = XCreateSimpleWindow(d, RootWindow(d, screen), 0, 0, 1, 1, 0, 0, 0);
  painter_ = std::make_unique<Painter>(d, window_, dpi);
  lines_ = wrap(text, *painter_, scaled(kWrapWidth, dpi));
  int text_w = 0;
  for (const auto& l : lines_) text_w = std::max(text_w, painter_->width(l));
  const int w = std::max(text_w, scaled(kMinWidth, dpi)) + 2 * pad_;
  const int text_h = static_cast<int>(lines_.size()) * painter_->line_height();
  const int button_w = scaled(kButtonW, dpi), button_h = scaled(kButtonH, dpi);
  const int h = pad_ + text_h + pad_ + button_h + pad_;
  button_ = {(w - button_w) / 2, h - pad_ - button_h, button_w, button_h};

  const DeviceRect where = place_over(d, owner, {w, h});
  XSetWindowAttributes attrs{};
  attrs.background_pixel = painter_->pixel(kFace);
  attrs.event_mask = ExposureMask | KeyPressMask | ButtonPressMask | ButtonReleaseMask |
                     PointerMotionMask | LeaveWindowMask | StructureNotifyMask;
  XChangeWindowAttributes(d, window_, CWBackPixel | CWEventMask, &attrs);
  XMoveResizeWindow(d, window_, where.x, where.y, w, h);
  set_properties(owner, where);
  XMapRaised(d, window_);
}

void Dialog::set_properties(Window owner, DeviceRect where) {
  set_identity(display_, window_, where, "Zol");
  auto atom = [&](const char* name) { return XInternAtom(display_, name, False); };
  Atom type = atom("_NET_WM_WINDOW_TYPE_DIALOG"), modal = atom("_NET_WM_STATE_MODAL");
  XChangeProperty(display_, window_, atom("_NET_WM_WINDOW_TYPE"), XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(&type), 1);
  XChangeProperty(display_, window_, atom("_NET_WM_STATE"), XA_ATOM, 32, PropModeReplace,
                  reinterpret_cast<unsigned char*>(&modal), 1);
  if (owner) XSetTransientForHint(display_, window_, owner);
}

void Dialog::paint() {
  Painter& p = *painter_;
  int baseline = pad_ + p.ascent();
  for (const auto& l : lines_) {
    p.text(pad_, baseline, l);
    baseline += p.line_height();
  }
  paint_button();
}

void Dialog::paint_button() {
  Painter& p = *painter_;
  p.fill(button_, down_ && lit_ ? kButtonDown : lit_ ? kButtonLit : kButton);
  p.frame(button_, lit_ ? kEdgeLit : kEdge);
  const std::string label = "OK";
  int lh = p.text_height();
  p.text(button_.x + (button_.w - p.width(label)) / 2,
         button_.y + (button_.h - lh) / 2 + p.ascent(), label);
}

bool Dialog::handle(const XEvent& e) {
  switch (e.type) {
    case Expose:
      if (e.xexpose.count == 0) paint();
      return false;
    case MapNotify:
      // Without a window manager nobody else gives us the keyboard.
      XSetInputFocus(display_, window_, RevertToParent, CurrentTime);
      return false;
    case KeyPress: {
      KeySym k = XLookupKeysym(const_cast<XKeyEvent*>(&e.xkey), 0);
      return k == XK_Return || k == XK_KP_Enter || k == XK_Escape || k == XK_space;
    }
    case MotionNotify:
    case LeaveNotify: {
      bool lit = e.type == MotionNotify && button_.contains({e.xmotion.x, e.xmotion.y});
      if (lit != lit_) {
        lit_ = lit;
        paint_button();
      }
      return false;
    }
    case ButtonPress:
      if (e.xbutton.button != Button1 || !button_.contains({e.xbutton.x, e.xbutton.y})) return false;
      down_ = lit_ = true;
      paint_button();
      return false;
    case ButtonRelease:
      if (e.xbutton.button != Button1 || !down_) return false;
      down_ = false;
      if (button_.contains({e.xbutton.x, e.xbutton.y})) return true;
      paint_button();
      return false;
    case ClientMessage:
      return e.xclient.message_type == XInternAtom(display_, "WM_PROTOCOLS", False) &&
             static_cast<Atom>(e.xclient.data.l[0]) ==
                 XInternAtom(display_, "WM_DELETE_WINDOW", False);
    case DestroyNotify:
      gone_ = true;
      return true;
    default:
      return false;
  }
}

}  // namespace

void run_failure_dialog(Display* display, Window owner, int dpi, const std::string& text,
                        const std::function<void(DeviceRect)>& repaint_owner) {
  std::optional<Dialog> dialog;
  {
    ErrorTrap trap;
    dialog.emplace(display, owner, dpi, text);
    // A message the server would not show would be waited on for ever; the
    // failure is on stderr already.
    if (trap.first_error(display)) {
      dialog.reset();
      XSync(display, False);
      return;
    }
  }
  for (;;) {
    XEvent e;
    XNextEvent(display, &e);
    if (owner && e.xany.window == owner) {
      // The menu stays painted and takes no pointer events meanwhile.
      if (e.type == Expose)
        repaint_owner({e.xexpose.x, e.xexpose.y, e.xexpose.width, e.xexpose.height});
      continue;
    }
    if (e.xany.window == dialog->window() && dialog->handle(e)) return;
  }
}

}  // namespace zol::x11
