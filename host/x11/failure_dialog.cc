// The failure message: a small modal window of its own with the text and
// an OK button, drawn at the menu's scale.

#include <X11/Xatom.h>
#include <X11/Xutil.h>

#include <algorithm>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "host/scale.h"
#include "host/x11/keyboard.h"
#include "host/x11/painter.h"
#include "host/x11/platform.h"
#include "host/x11/screen_reader.h"
#include "host/x11/text_layout.h"

namespace zol::x11 {
namespace {

// At 96 DPI; the dialog scales them, and its font, by the menu's factor.
constexpr int kPad = 16, kWrapWidth = 360, kMinWidth = 220, kButtonW = 88, kButtonH = 28;

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
  const Keyboard& keyboard() const { return keyboard_; }

 private:
  void set_properties(Window owner, DeviceRect where);
  void paint();
  void paint_button();

  Display* display_;
  Window window_;
  std::unique_ptr<Painter> painter_;
  Keyboard keyboard_;
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
  const TextWidth width = [&](const std::string& s) { return painter_->width(s); };
  lines_ = wrap(text, width, scaled(kWrapWidth, dpi));
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
  attrs.event_mask = ExposureMask | KeyPressMask | KeyReleaseMask | FocusChangeMask |
                     KeymapStateMask | ButtonPressMask | ButtonReleaseMask | PointerMotionMask | LeaveWindowMask |
                     StructureNotifyMask;
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
      take_focus_unmanaged(display_, window_);
      return false;
    case KeyPress: {
      // What would act on an entry or close the menu answers the message.
      XKeyEvent key = e.xkey;
      const std::optional<Navigation> step = keyboard_.press(key);
      return step == Navigation::Activate || step == Navigation::Back;
    }
    case KeyRelease:
      if (!repeats(display_, e.xkey)) keyboard_.release(e.xkey.keycode);
      return false;
    case FocusIn:
    case FocusOut:
      keyboard_.focus_event(e.xfocus.type, e.xfocus.detail);
      return false;
    case KeymapNotify:
      // The key that brought the message up may still be held: its repeats
      // must not dismiss it unread.
      keyboard_.keymap(e.xkeymap.key_vector);
      return false;
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
                        const std::function<void(DeviceRect)>& repaint_owner,
                        pads::Gamepads& pads, ScreenReader* reader) {
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
  bool dismissed = false;
  const auto handle = [&](XEvent& e) {
    if (owner && e.xany.window == owner) {
      // The menu stays painted and takes no pointer events meanwhile.
      if (e.type == Expose)
        repaint_owner({e.xexpose.x, e.xexpose.y, e.xexpose.width, e.xexpose.height});
      return;
    }
    // A key map names no window: it follows the dialog's own FocusIn.
    const bool ours = e.xany.window == dialog->window() || e.type == KeymapNotify;
    if (ours && !dismissed) dismissed = dialog->handle(e);
  };
  while (!dismissed) {
    if (XPending(display) == 0) {
      for (Navigation step : wait_for_input(display, dialog->keyboard(), pads, handle, reader))
        if (step == Navigation::Activate || step == Navigation::Back) dismissed = true;
      if (reader && reader->alert_dismissed()) dismissed = true;
      continue;
    }
    XEvent e;
    XNextEvent(display, &e);
    handle(e);
  }
}

}  // namespace zol::x11
